/*
 * A stand-in for a reader maker's closed t2.dll, written from the seven
 * operations alone: plain exported names, the calling convention chosen by
 * STANDIN_CALL (__stdcall or __cdecl), every call and its arguments
 * appended as one line to the file named by T2_STANDIN_LOG, and success
 * for everything. Like a library written for the documented call, lc_getver
 * writes the length without asking whether a pointer came. STANDIN_LACKS_HEAD leaves lc_setReaderOnlyHead out.
 */
#include <stdarg.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define EXPORT __declspec(dllexport)

static void Record(const char *format, ...)
{
    const char *path = getenv("T2_STANDIN_LOG");
    FILE *file = path ? fopen(path, "a") : NULL;
    if (!file)
        return;
    va_list args;
    va_start(args, format);
    vfprintf(file, format, args);
    va_end(args);
    fputc('\n', file);
    fclose(file);
}

static const char *Hex(const unsigned char *bytes, int count, char *out)
{
    for (int i = 0; i < count; ++i)
        sprintf(out + 2 * i, "%02X", bytes[i]);
    out[2 * count] = '\0';
    return out;
}

EXPORT int32_t STANDIN_CALL lc_init(int32_t port, int32_t baud)
{
    Record("lc_init(%d, %d)", (int)port, (int)baud);
    return 7;
}

EXPORT int32_t STANDIN_CALL lc_exit(int32_t handle)
{
    Record("lc_exit(%d)", (int)handle);
    return 0;
}

EXPORT int32_t STANDIN_CALL lc_getver(int32_t handle, unsigned char *text, int32_t *length)
{
    Record("lc_getver(%d)", (int)handle);
    strcpy((char *)text, "STAND-IN V1");
    *length = 11;
    return 0;
}

EXPORT int32_t STANDIN_CALL lc_setReadOnlyPara(int32_t handle, int32_t dataBase, const unsigned char *aux8,
                                               int32_t orientation, int32_t snSize, int32_t outLength,
                                               const unsigned char *auxA, const unsigned char *auxB)
{
    char a8[17], aA[7], aB[7];
    Record("lc_setReadOnlyPara(%d, %d, %s, %d, %d, %d, %s, %s)", (int)handle, (int)dataBase, Hex(aux8, 8, a8),
           (int)orientation, (int)snSize, (int)outLength, Hex(auxA, 3, aA), Hex(auxB, 3, aB));
    return 0;
}

EXPORT int32_t STANDIN_CALL lc_setBlockReadPara(int32_t handle, int32_t blockAddress, const unsigned char *key)
{
    char k[13];
    Record("lc_setBlockReadPara(%d, %d, %s)", (int)handle, (int)blockAddress, Hex(key, 6, k));
    return 0;
}

#ifndef STANDIN_LACKS_HEAD
EXPORT int32_t STANDIN_CALL lc_setReaderOnlyHead(int32_t handle, int32_t headerFlag)
{
    Record("lc_setReaderOnlyHead(%d, %d)", (int)handle, (int)headerFlag);
    return 0;
}
#endif

EXPORT int32_t STANDIN_CALL asc_hex(const char *text, unsigned char *out, int32_t count)
{
    Record("asc_hex(\"%s\", %d)", text, (int)count);
    unsigned char bytes[256];
    if (count < 0 || count > 256 || strlen(text) != (size_t)count * 2)
        return 1;
    for (int i = 0; i < count; ++i) {
        unsigned int byte;
        if (sscanf(text + 2 * i, "%2x", &byte) != 1)
            return 1;
        bytes[i] = (unsigned char)byte;
    }
    memcpy(out, bytes, (size_t)count);
    return 0;
}
