// A 32-bit reader library may pop its arguments (__stdcall) or leave them on
// the stack (__cdecl); nothing in it tells which. The program's callers are
// __stdcall, so each call passes through a thunk of that name
// (_lc_init@8, ...) that copies the arguments, calls the library's plain
// name (_lc_init, the import) and then puts the stack pointer back from
// %ebp, which both conventions keep: whatever the library popped, the stack
// is as it was.
#ifndef T2_KEEP_STACK_I386_H
#define T2_KEEP_STACK_I386_H

// NAME's __stdcall thunk for BYTES bytes of arguments. COFF has no section
// stack; the compiler puts top-level asm before its own output, which names
// its sections itself.
#define T2_KEEP_STACK_THUNK(NAME, BYTES)                                    \
    asm(".text\n"                                                           \
        ".globl _" #NAME "@" #BYTES "\n"                                    \
        "_" #NAME "@" #BYTES ":\n"                                          \
        "  pushl %ebp\n"                                                    \
        "  movl %esp, %ebp\n"                                               \
        "  .set t2_arg, 4 + " #BYTES "\n" /* the last argument, pushed first */ \
        "  .rept " #BYTES " / 4\n"                                          \
        "  pushl t2_arg(%ebp)\n"                                            \
        "  .set t2_arg, t2_arg - 4\n"                                       \
        "  .endr\n"                                                         \
        "  call _" #NAME "\n"                                               \
        "  movl %ebp, %esp\n"                                               \
        "  popl %ebp\n"                                                     \
        "  ret $" #BYTES "\n")

#endif
