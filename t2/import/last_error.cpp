#include "t2/import/last_error.h"

#include "t2/protocol.h"
#include "t2/t2.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

using LastErrorCall = const char*(T2_CALL*)();

// Only a library already loaded counts: none is loaded for the asking.
LastErrorCall Lookup()
{
#ifdef _WIN32
    HMODULE library = GetModuleHandleW(L"t2.dll");
    if (!library)
        return nullptr;
    return reinterpret_cast<LastErrorCall>(reinterpret_cast<void (*)()>(GetProcAddress(library, "t2_last_error")));
#else
    void* library = dlopen("libt2.so", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return nullptr;
    auto call = reinterpret_cast<LastErrorCall>(dlsym(library, "t2_last_error"));
    dlclose(library);  // drops only the reference taken here; the program's own keeps it loaded
    return call;
#endif
}

LastErrorCall LastError()
{
    static const LastErrorCall call = Lookup();
    return call;
}

}  // namespace

bool T2IsOurs() { return LastError() != nullptr; }

std::string T2LastError()
{
    const LastErrorCall call = LastError();
    const char* text = call ? call() : nullptr;
    return text ? text : "";
}

std::string T2Reason(int32_t code)
{
    std::string why = T2LastError();
    return why.empty() ? t2proto::CodeWords(code) : why;
}
