// What a program links to call the reader library, in place of the library
// itself: on Windows the seven operations are imported from t2.dll by their
// plain names and bound at their first call, so that the program can first
// find out whether the t2.dll it would get can be used at all.
#ifndef T2_IMPORT_H
#define T2_IMPORT_H

#include <string>

// Empty when the reader library can be used; otherwise a line saying why not
// and what to do, for a program that cannot start without it; for a t2.dll
// that is there but unusable, it names its full path and, after a blank
// line, how to go back to the program's own.
std::string T2ImportProblem();

// What the check says of a t2.dll built for the other processor width than
// `program`, a 64-bit one or not as `program64` says.
inline std::string OtherBitnessProblem(const std::string& program, bool program64)
{
    const char* ours = program64 ? "64-bit" : "32-bit";
    const char* other = program64 ? "32-bit" : "64-bit";
    return std::string("t2.dll is a ") + other + " library and this " + program + " is " + ours + ": take the " +
           (program64 ? "win32" : "win64") + " zip or MSI, whose programs match it.";
}

#endif
