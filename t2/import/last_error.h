// Why the reader library's latest call failed, where the library says so.
#pragma once

#include <cstdint>
#include <string>

// The text of t2_last_error from the loaded reader library, looked up while
// the program runs so that a library without it still loads; empty where the
// library lacks it or the calling thread's latest call succeeded.
std::string T2LastError();

// Why a call failed with `code`: the library's own words where it gives
// them, else ours for the code.
std::string T2Reason(int32_t code);
