// What a program links to call the reader library, in place of the library
// itself: on Windows the seven operations are imported from t2.dll by their
// plain names and bound at their first call, so that the program can first
// find out whether the t2.dll it would get can be used at all.
#ifndef T2_IMPORT_H
#define T2_IMPORT_H

#include <string>

// Empty when the reader library can be used; otherwise one line saying why
// not and what to do, for a program that cannot start without it.
std::string T2ImportProblem();

#endif
