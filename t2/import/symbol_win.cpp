#include "t2/import/symbol.h"

#include <windows.h>

void (*LoadedSymbol(const char* name))()
{
    HMODULE library = GetModuleHandleW(L"t2.dll");
    return library ? reinterpret_cast<void (*)()>(GetProcAddress(library, name)) : nullptr;
}
