// What our reader library adds to the seven operations, found while the
// program runs: why the latest call failed, and a port opened by its name.
#pragma once

#include <cstdint>
#include <string>

// The text of t2_last_error from the loaded reader library, looked up while
// the program runs so that a library without it still loads; empty where the
// library lacks it or the calling thread's latest call succeeded.
std::string T2LastError();

// Whether the loaded reader library is ours, as the t2_last_error it
// exports shows: a maker's lacks it.
bool T2IsOurs();

// Why a call failed with `code`: the library's own words where it gives
// them, else ours for the code.
std::string T2Reason(int32_t code);

// Whether the loaded library opens a port by its name (t2_open): ours does.
bool T2OpensNames();
// lc_init by the port's name through t2_open; -1 where the library lacks it.
int32_t T2Open(const std::string& port, int32_t baud);
