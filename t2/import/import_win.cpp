#include "t2/import/t2_import.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace {

constexpr const char* kOperations[] = {"lc_init", "lc_exit", "lc_getver", "lc_setReadOnlyPara",
                                       "lc_setBlockReadPara", "lc_setReaderOnlyHead", "asc_hex"};

#ifdef _WIN64
constexpr WORD kOurMachine = IMAGE_FILE_MACHINE_AMD64, kOtherMachine = IMAGE_FILE_MACHINE_I386;
#else
constexpr WORD kOurMachine = IMAGE_FILE_MACHINE_I386, kOtherMachine = IMAGE_FILE_MACHINE_AMD64;
#endif

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), n, nullptr, nullptr);
    return out;
}

// The program that asks (tavelin.exe, tavelin-config.exe); its folder is where its t2.dll belongs.
std::wstring ProgramPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path;
}

// Reads exactly size bytes at offset.
bool ReadAt(HANDLE file, LONG offset, void* into, DWORD size)
{
    DWORD got = 0;
    return SetFilePointer(file, offset, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
           ReadFile(file, into, size, &got, nullptr) && got == size;
}

// `problem`, which begins "t2.dll", of the library at `path`: named by its full
// path, as the MSI keeps a replaced t2.dll through repairs, and with the way
// back to the program's own.
std::string AtPath(const std::wstring& path, const std::string& problem)
{
    const std::string at = Utf8(path);
    return at + problem.substr(std::string_view("t2.dll").size()) + "\n\nTo go back to the t2.dll that came with " +
           "the program, delete " + at + ", then repair the program (run its MSI again, or use Programs and " +
           "Features) or, from a zip, copy its t2.dll back.";
}

// Why a t2.dll that would not load cannot be used, from its own header: the
// loader's codes alone do not tell a 64-bit library from a broken one.
std::string WhyNotLoaded(const std::wstring& path, const std::string& program, DWORD error)
{
    IMAGE_DOS_HEADER dos{};
    struct {
        DWORD signature;
        IMAGE_FILE_HEADER header;
    } nt{};
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    bool pe = file != INVALID_HANDLE_VALUE && ReadAt(file, 0, &dos, sizeof dos) && dos.e_magic == IMAGE_DOS_SIGNATURE &&
              ReadAt(file, dos.e_lfanew, &nt, sizeof nt) && nt.signature == IMAGE_NT_SIGNATURE;
    if (file != INVALID_HANDLE_VALUE)
        CloseHandle(file);
    const IMAGE_FILE_HEADER& header = nt.header;
    if (!pe || !(header.Characteristics & IMAGE_FILE_DLL))
        return "t2.dll is not a library: replace it with the reader maker's t2.dll.";
    if (header.Machine == kOtherMachine)
        return OtherBitnessProblem(program, kOurMachine == IMAGE_FILE_MACHINE_AMD64);
    if (header.Machine != kOurMachine)
        return "t2.dll is for another kind of processor: ask the reader maker for one for Intel or AMD processors.";
    if (error == ERROR_MOD_NOT_FOUND)
        return "t2.dll needs a library that is missing here (Windows error 126): ask its maker what it needs.";
    return "t2.dll cannot be loaded (Windows error " + std::to_string(error) + "): ask its maker why.";
}

}  // namespace

std::string T2ImportProblem()
{
    const std::wstring program = ProgramPath();
    const size_t split = program.find_last_of(L"\\/");
    const std::wstring folder = program.substr(0, split);
    const std::string name = Utf8(program.substr(split + 1));
    // The same search as the binding at the first call, so what loads here is what the program gets.
    HMODULE library = LoadLibraryW(L"t2.dll");
    if (!library) {
        DWORD error = GetLastError();
        std::wstring path = folder + L"\\t2.dll";
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            return "t2.dll is missing beside " + name + " in " + Utf8(folder) +
                   ": put the reader library t2.dll there.";
        return AtPath(path, WhyNotLoaded(path, name, error));
    }
    std::string missing;
    for (const char* name : kOperations) {
        if (!GetProcAddress(library, name))
            missing += (missing.empty() ? "" : ", ") + std::string(name);
    }
    // Kept loaded: the program's calls bind to this very module.
    if (!missing.empty()) {
        std::wstring path(MAX_PATH, L'\0');
        path.resize(GetModuleFileNameW(library, path.data(), static_cast<DWORD>(path.size())));
        return AtPath(path, "t2.dll lacks " + missing + ": ask the reader maker for a t2.dll with all seven operations.");
    }
    return {};
}
