#include "t2/import/symbol.h"

#include <dlfcn.h>

void (*LoadedSymbol(const char* name))()
{
    void* library = dlopen("libt2.so", RTLD_LAZY | RTLD_NOLOAD);
    if (!library)
        return nullptr;
    auto call = reinterpret_cast<void (*)()>(dlsym(library, name));
    dlclose(library);  // drops only the reference taken here; the program's own keeps it loaded
    return call;
}
