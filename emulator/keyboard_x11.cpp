#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <algorithm>
#include <cstdlib>
#include <thread>
#include <vector>

#include "emulator/keyboard.h"
#include "t2/one_line.h"

namespace emulator {

namespace {

using std::chrono::milliseconds;

// Some programs (Wine's among them) read keys in batches and lose order
// when they come all at once; a real reader pauses about this long too.
constexpr milliseconds kKeyGap{8};
// Lets the click that moved the focus end before the first key.
constexpr milliseconds kSettle{300};

// The characters of a text: UTF-8 where it is, any other byte as Latin-1,
// so that every byte of a block's text is typed as something.
std::vector<char32_t> Characters(const std::string& text)
{
    std::vector<char32_t> out;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t length = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 1;
        char32_t cp = length == 1 ? c : c & (0x7F >> length);
        bool valid = i + length <= text.size();
        for (size_t k = 1; valid && k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            cp = cp << 6 | (next & 0x3F);
        }
        out.push_back(valid ? cp : c);
        i += valid ? length : 1;
    }
    return out;
}

class Desktop final : public Keyboard {
public:
    Desktop(Display* display, milliseconds waitAway) : d_(display), waitAway_(waitAway) {}
    ~Desktop() override { XCloseDisplay(d_); }

    bool Type(const params::Typed& typed, std::string& error) override
    {
        if (waitAway_.count() > 0 && !FocusMoved(error))
            return false;
        for (const auto& part : typed) {
            if (std::holds_alternative<params::Key>(part))
                Press(XK_Return);
            else
                for (char32_t c : Characters(std::get<std::string>(part)))
                    // Latin-1 keysyms are their own code; the rest Unicode's.
                    Press(c < 0x100 ? KeySym(c) : KeySym(0x01000000 | c));
        }
        Unmap();
        return true;
    }

private:
    bool FocusMoved(std::string& error)
    {
        Window start, now;
        int revert;
        XGetInputFocus(d_, &start, &revert);
        const auto until = std::chrono::steady_clock::now() + waitAway_;
        do {
            std::this_thread::sleep_for(milliseconds(50));
            XGetInputFocus(d_, &now, &revert);
            if (now != start) {
                std::this_thread::sleep_for(kSettle);
                return true;
            }
        } while (std::chrono::steady_clock::now() < until);
        error = "the focus stayed on this window for " +
                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(waitAway_).count()) +
                " s: click where the number should go after the card line";
        return false;
    }

    void Press(KeySym sym)
    {
        KeyCode code = XKeysymToKeycode(d_, sym);
        if (!code && !(code = Map(sym)))
            return;  // no key is free to carry it
        const bool shift = XkbKeycodeToKeysym(d_, code, 0, 0) != sym && XkbKeycodeToKeysym(d_, code, 0, 1) == sym;
        const KeyCode shiftKey = XKeysymToKeycode(d_, XK_Shift_L);
        if (shift)
            XTestFakeKeyEvent(d_, shiftKey, True, CurrentTime);
        XTestFakeKeyEvent(d_, code, True, CurrentTime);
        XTestFakeKeyEvent(d_, code, False, CurrentTime);
        if (shift)
            XTestFakeKeyEvent(d_, shiftKey, False, CurrentTime);
        XSync(d_, False);
        std::this_thread::sleep_for(kKeyGap);
    }

    // A character no key of the layout gives goes on a key that gives
    // nothing, until the text is typed.
    KeyCode Map(KeySym sym)
    {
        int low, high, perCode;
        XDisplayKeycodes(d_, &low, &high);
        KeySym* map = XGetKeyboardMapping(d_, KeyCode(low), high - low + 1, &perCode);
        KeyCode free = 0;
        for (int code = high; code >= low && !free; --code) {
            bool empty = true;
            for (int k = 0; k < perCode; ++k)
                empty = empty && map[(code - low) * perCode + k] == NoSymbol;
            if (empty && std::find(mapped_.begin(), mapped_.end(), code) == mapped_.end())
                free = KeyCode(code);
        }
        XFree(map);
        if (!free)
            return 0;
        KeySym both[2] = {sym, sym};
        XChangeKeyboardMapping(d_, free, 2, both, 1);
        XSync(d_, False);
        mapped_.push_back(free);
        return free;
    }

    void Unmap()
    {
        if (mapped_.empty())
            return;
        std::this_thread::sleep_for(kSettle);  // the last keys read with the mapping they came with
        KeySym none[2] = {NoSymbol, NoSymbol};
        for (KeyCode code : mapped_)
            XChangeKeyboardMapping(d_, code, 2, none, 1);
        XSync(d_, False);
        mapped_.clear();
    }

    Display* d_;
    milliseconds waitAway_;
    std::vector<KeyCode> mapped_;
};

}  // namespace

std::unique_ptr<Keyboard> DesktopKeyboard(milliseconds waitAway, std::string& error)
{
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        error = "no X display (DISPLAY is unset)";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        error = "cannot open the X display " + t2proto::OneLineCut(name);
        return nullptr;
    }
    int event, reply, major, minor;
    if (!XTestQueryExtension(display, &event, &reply, &major, &minor)) {
        XCloseDisplay(display);
        error = "the X display " + t2proto::OneLineCut(name) + " has no XTest extension";
        return nullptr;
    }
    return std::make_unique<Desktop>(display, waitAway);
}

}  // namespace emulator
