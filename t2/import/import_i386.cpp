// The seven operations' thunks for 32-bit Windows (keep_stack_i386.h).
#include "t2/import/keep_stack_i386.h"

T2_KEEP_STACK_THUNK(lc_init, 8);
T2_KEEP_STACK_THUNK(lc_exit, 4);
T2_KEEP_STACK_THUNK(lc_getver, 12);
T2_KEEP_STACK_THUNK(lc_setReadOnlyPara, 32);
T2_KEEP_STACK_THUNK(lc_setBlockReadPara, 12);
T2_KEEP_STACK_THUNK(lc_setReaderOnlyHead, 8);
T2_KEEP_STACK_THUNK(asc_hex, 12);
