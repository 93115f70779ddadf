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
using OpenCall = int32_t(T2_CALL*)(const char*, int32_t);

// Only a library already loaded counts: none is loaded for the asking.
template <class Call>
Call Lookup(const char* name)
{
#ifdef _WIN32
    HMODULE library = GetModuleHandleW(L"t2.dll");
    if (!library)
        return nullptr;
    return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(GetProcAddress(library, name)));
#else
    void* library = dlopen("libt2.so", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return nullptr;
    auto call = reinterpret_cast<Call>(dlsym(library, name));
    dlclose(library);  // drops only the reference taken here; the program's own keeps it loaded
    return call;
#endif
}

LastErrorCall LastError()
{
    static const LastErrorCall call = Lookup<LastErrorCall>("t2_last_error");
    return call;
}

OpenCall OpenByName()
{
    static const OpenCall call = Lookup<OpenCall>("t2_open");
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

bool T2OpensNames() { return OpenByName() != nullptr; }

int32_t T2Open(const std::string& port, int32_t baud)
{
    const OpenCall call = OpenByName();
    return call ? call(port.c_str(), baud) : -1;
}
