// An operation of the reader library the program has loaded, by name; one
// source file per system.
#pragma once

// Null where the library lacks it. Only a library already loaded counts:
// none is loaded for the asking.
void (*LoadedSymbol(const char* name))();
