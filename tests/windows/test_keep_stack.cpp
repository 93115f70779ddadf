// The 32-bit thunk that keeps the stack (keep_stack_i386.h), against a
// library function of either calling convention.
#include <gtest/gtest.h>

#include <cstdint>

#include "t2/import/keep_stack_i386.h"

// What a library exports under a plain name, in each convention.
int32_t __cdecl Cdecl(int32_t a, int32_t b, int32_t c) asm("_probe_cdecl");
int32_t __stdcall Stdcall(int32_t a, int32_t b, int32_t c) asm("_probe_stdcall");
int32_t __cdecl Cdecl(int32_t a, int32_t b, int32_t c) { return a * 100 + b * 10 + c; }
int32_t __stdcall Stdcall(int32_t a, int32_t b, int32_t c) { return a * 100 + b * 10 + c; }

// Their thunks, called as the program calls the library.
T2_KEEP_STACK_THUNK(probe_cdecl, 12);
T2_KEEP_STACK_THUNK(probe_stdcall, 12);
int32_t __stdcall ThunkToCdecl(int32_t a, int32_t b, int32_t c) asm("_probe_cdecl@12");
int32_t __stdcall ThunkToStdcall(int32_t a, int32_t b, int32_t c) asm("_probe_stdcall@12");

#define READ_STACK_POINTER(to) asm volatile("movl %%esp, %0" : "=r"(to) : : "memory")

TEST(KeepStack, EitherConventionLeavesTheStackPointerWhereItWas)
{
    for (auto* volatile call : {&ThunkToCdecl, &ThunkToStdcall}) {
        uintptr_t before = 0, after = 0;
        int64_t sum = 0;
        READ_STACK_POINTER(before);
        for (int32_t i = 0; i < 1000; ++i)
            sum += call(i % 10, 2, 3);
        READ_STACK_POINTER(after);
        EXPECT_EQ(after, before) << (call == &ThunkToCdecl ? "__cdecl" : "__stdcall");
        EXPECT_EQ(sum, 100 * 4500 + 1000 * 23);
    }
}
