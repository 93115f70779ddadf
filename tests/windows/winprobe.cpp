// Drives and reads top-level windows under Wine for the end-to-end test, as
// a user would: keys typed into the window that has the focus, the system
// menu, the clipboard. Windows are named by a part of their title.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
    return out;
}

// The visible top-level window whose title holds `part`, trying for up to
// `tries` tenths of a second; "*" is the active window (titles in Chinese do
// not pass the locale intact).
struct Search {
    std::string part;
    HWND found = nullptr;
};

// A function of its own: a lambda has no CALLBACK convention on 32-bit.
BOOL CALLBACK FindIn(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<Search*>(param);
    wchar_t title[256];
    if (IsWindowVisible(hwnd) && GetWindowTextW(hwnd, title, 256) && Utf8(title).find(s->part) != std::string::npos) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// Bounds for a failure, not a pace: a busy machine may take long to show a window.
constexpr DWORD kBoundMs = 30000;

// Waits, within the bound, for `holds` to be true.
template <typename Condition>
bool Await(Condition holds)
{
    for (const DWORD start = GetTickCount(); !holds(); Sleep(20))
        if (GetTickCount() - start >= kBoundMs)
            return false;
    return true;
}

std::string ClassOf(HWND hwnd)
{
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return Utf8(name);
}

BOOL CALLBACK ListOne(HWND hwnd, LPARAM)
{
    wchar_t title[256] = {};
    if (IsWindowVisible(hwnd)) {
        GetWindowTextW(hwnd, title, 256);
        std::fprintf(stderr, "  \"%s\" (%s)\n", Utf8(title).c_str(), ClassOf(hwnd).c_str());
    }
    return TRUE;
}

// What a failed search saw instead.
void ListWindows()
{
    std::fputs("winprobe: the visible windows are\n", stderr);
    EnumWindows(ListOne, 0);
}

// A menu or a program's drop-down list, shown by the thread that runs `owner`.
struct PopupSearch {
    DWORD thread;
    bool found = false;
};

BOOL CALLBACK PopupIn(HWND hwnd, LPARAM param)
{
    auto* s = reinterpret_cast<PopupSearch*>(param);
    if (IsWindowVisible(hwnd) && GetWindowThreadProcessId(hwnd, nullptr) == s->thread) {
        const std::string name = ClassOf(hwnd);
        if (name == "#32768" || name.find("QWindowPopup") != std::string::npos) {
            s->found = true;
            return FALSE;
        }
    }
    return TRUE;
}

bool PopupShown(HWND owner)
{
    PopupSearch search{GetWindowThreadProcessId(owner, nullptr)};
    EnumWindows(PopupIn, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND Find(const std::string& part, DWORD boundMs = kBoundMs)
{
    if (part == "*")
        return GetForegroundWindow();
    Search search{part};
    for (const DWORD start = GetTickCount();;) {
        EnumWindows(FindIn, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start >= boundMs)
            return search.found;
        Sleep(100);
    }
}

// Brings `window` to the front and waits for it to be there: keys sent
// before would go to whichever window had been in front.
bool Foreground(HWND window)
{
    SetForegroundWindow(window);
    return Await([&] { return GetForegroundWindow() == window; });
}

void Key(WORD vk, bool up)
{
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// "tab", "shift+tab", "ctrl+a", "down", "f3", ...: false for an unknown name.
bool Type(std::string name)
{
    static const std::map<std::string, WORD> keys = {
        {"tab", VK_TAB},   {"space", VK_SPACE}, {"enter", VK_RETURN}, {"esc", VK_ESCAPE}, {"up", VK_UP},
        {"down", VK_DOWN}, {"left", VK_LEFT},   {"right", VK_RIGHT},  {"home", VK_HOME}, {"end", VK_END},
        {"f3", VK_F3},
    };
    std::vector<WORD> held;
    for (size_t plus; (plus = name.find('+')) != std::string::npos; name.erase(0, plus + 1)) {
        std::string modifier = name.substr(0, plus);
        held.push_back(modifier == "ctrl" ? VK_CONTROL : modifier == "shift" ? VK_SHIFT : VK_MENU);
    }
    WORD vk = 0;
    if (auto it = keys.find(name); it != keys.end())
        vk = it->second;
    else if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        vk = static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    else
        return false;
    for (WORD m : held)
        Key(m, false);
    Key(vk, false);
    Key(vk, true);
    for (auto m = held.rbegin(); m != held.rend(); ++m)
        Key(*m, true);
    Sleep(150);  // let the program take it in before the next key
    return true;
}

// A left click at a point of the window's client area, given as fractions of its size.
void Click(HWND window, double fx, double fy)
{
    RECT client{};
    GetClientRect(window, &client);
    POINT at{static_cast<LONG>(client.right * fx), static_cast<LONG>(client.bottom * fy)};
    ClientToScreen(window, &at);
    INPUT input[2] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN;
    input[1].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP;
    SendInput(2, input, sizeof input[0]);
    Sleep(150);
}

std::string Clipboard()
{
    std::string text;
    if (!OpenClipboard(nullptr))
        return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Utf8(chars);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

int Usage()
{
    std::fputs("usage: winprobe find TITLE | gone TITLE | keys TITLE KEY... | copy TITLE KEY... | click TITLE FX FY\n"
               "                | rect TITLE | close TITLE | popup TITLE | nopopup TITLE | dialog TITLE\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    const std::string verb = argv[1];
    if (verb == "gone") {
        if (Await([&] { return !Find(argv[2], 0); }))
            return 0;
        std::fprintf(stderr, "winprobe: the window titled *%s* stayed\n", argv[2]);
        return 1;
    }
    HWND window = Find(argv[2]);
    if (!window) {
        std::fprintf(stderr, "winprobe: no window titled *%s*\n", argv[2]);
        ListWindows();
        return 1;
    }
    if (verb == "find")
        return 0;
    if (verb == "close")
        return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
    if (verb == "rect") {
        // As ImageMagick's -crop takes it, frame included.
        RECT r{};
        GetWindowRect(window, &r);
        std::printf("%ldx%ld+%ld+%ld\n", r.right - r.left, r.bottom - r.top, r.left, r.top);
        return 0;
    }
    if ((verb == "keys" || verb == "copy" || verb == "click") && !Foreground(window)) {
        std::fprintf(stderr, "winprobe: the window titled *%s* did not come to the front\n", argv[2]);
        ListWindows();
        return 1;
    }
    if (verb == "click" && argc == 5) {
        Click(window, std::strtod(argv[3], nullptr), std::strtod(argv[4], nullptr));
        return 0;
    }
    // A program's popups are shown and hidden as it gets to it, which a busy
    // one may do long after the click or key that asked.
    if (verb == "popup" || verb == "nopopup") {
        const bool want = verb == "popup";
        if (Await([&] { return PopupShown(window) == want; }))
            return 0;
        std::fprintf(stderr, "winprobe: the window titled *%s* %s\n", argv[2],
                     want ? "showed no menu or list" : "kept its menu or list open");
        ListWindows();
        return 1;
    }
    // Another window of the same program in front: a dialog it opened.
    if (verb == "dialog") {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (Await([&] {
                HWND front = GetForegroundWindow();
                DWORD owner = 0;
                GetWindowThreadProcessId(front, &owner);
                return front && front != window && owner == process;
            }))
            return 0;
        std::fprintf(stderr, "winprobe: the window titled *%s* opened no dialog\n", argv[2]);
        ListWindows();
        return 1;
    }
    if (verb == "keys" || verb == "copy") {
        Sleep(200);  // as a user's hand: the window takes its focus back first
        const DWORD before = GetClipboardSequenceNumber();
        for (int i = 3; i < argc; ++i)
            if (!Type(argv[i])) {
                std::fprintf(stderr, "winprobe: no key named %s\n", argv[i]);
                return 2;
            }
        if (verb == "keys")
            return 0;
        // The program copies once it takes the keys in: until then the clipboard holds what it held.
        if (!Await([&] {
                return GetClipboardSequenceNumber() != before && IsClipboardFormatAvailable(CF_UNICODETEXT);
            })) {
            std::fprintf(stderr, "winprobe: the window titled *%s* copied nothing\n", argv[2]);
            return 1;
        }
        std::fputs(Clipboard().c_str(), stdout);
        return 0;
    }
    return Usage();
}
