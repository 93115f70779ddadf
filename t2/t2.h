/*
 * t2 — card reader library.
 *
 * Seven C operations through which the program talks to a card reader.
 * A vendor's build of the library may take the place of ours, so these
 * declarations, their argument order and their results are fixed.
 *
 * Results are 32-bit signed ints. lc_init returns a handle or exactly -1;
 * every other operation returns 0 on success and a nonzero code otherwise.
 * Codes 0x01..0xFF are the reader's own refusal of a value; the T2_E_*
 * codes below come from the library (see docs/protocol.md).
 *
 * Calls come from one thread at a time per handle. No call is retried;
 * each returns within the library's reply bound (T2_REPLY_TIMEOUT_MS),
 * whatever the device sends meanwhile.
 *
 * A link outlives its reader being unplugged. The first call to find the
 * port gone fails with T2_E_LINK_LOST at once and sends nothing (a call
 * whose request was out when it went fails the same way), so that a caller
 * amid several calls learns that they broke. Each later call first opens
 * the port again as lc_init does (the port's name looked up anew, the same
 * checks, exclusively) and shakes hands, and only then sends its request;
 * while no reader answers there, it fails with T2_E_LINK_LOST, at once when
 * no device is there. Whatever reader answers on the port is the handle's
 * from then on. A request is never sent twice.
 */
#ifndef T2_H
#define T2_H

#include <stdint.h>

#if defined(_WIN32)
/* Ours is __stdcall; on 32-bit Windows a vendor's may be __cdecl, and the
   program's calls keep the stack either way (t2/import). */
#  define T2_CALL __stdcall
#  if defined(T2_BUILDING)
#    define T2_API __declspec(dllexport)
#  else
/*   No dllimport: calls reach the DLL through its import library all the
     same, and the program's objects can also link a static stand-in. */
#    define T2_API
#  endif
#else
#  define T2_CALL
#  if defined(T2_BUILDING)
#    define T2_API __attribute__((visibility("default")))
#  else
#    define T2_API
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Library error codes (never -1, never 0x01..0xFF). */
#define T2_E_TIMEOUT      0x1001 /* no complete reply within the bound */
#define T2_E_BAD_CRC      0x1002 /* a reply arrived with a wrong checksum */
#define T2_E_LINK_LOST    0x1003 /* the port went away or failed; see above for what follows */
#define T2_E_BAD_HANDLE   0x1004 /* handle unknown or already closed */
#define T2_E_BAD_REPLY    0x1005 /* a reply of the wrong command or shape, or a frame
                                    announcing more than 512 bytes */
#define T2_E_BAD_ARGUMENT 0x1006 /* null pointer; also asc_hex refusing its text */

/* Reader refusal codes (our emulator's; a reader may use any of 0x01..0xFF). */
#define T2_READER_E_COMMAND 0x20 /* command unknown to the reader */
#define T2_READER_E_RANGE   0x21 /* a value out of range */
#define T2_READER_E_LENGTH  0x22 /* a request payload of the wrong size */

/* Upper bound of any single call's wait for its reply, in milliseconds. */
#define T2_REPLY_TIMEOUT_MS 400

/*
 * Opens the reader on `port` (0..255 = COM1..COM256, but 100 = USB) at `baud`
 * (9600 or 115200; 8N1), exclusively, and checks that a reader answers.
 * Returns a small non-negative handle, or -1 on any failure; on failure
 * nothing stays open, the port keeps the settings it had, and t2_last_error
 * says why. The library prints nothing.
 */
T2_API int32_t T2_CALL lc_init(int32_t port, int32_t baud);

/* Closes the link, the port getting back the settings the link found, and
   frees the handle. 0, or T2_E_BAD_HANDLE. */
T2_API int32_t T2_CALL lc_exit(int32_t handle);

/*
 * Reads the firmware version text into `versionText`, which must hold 256
 * bytes; the text is always zero-terminated and cut to 255 characters.
 * `versionLength` (may be null) receives the text's length.
 */
T2_API int32_t T2_CALL lc_getver(int32_t handle, unsigned char *versionText,
                                 int32_t *versionLength);

/*
 * Sets the reader's read-only output: number base, byte order, card-number
 * size and output length. `aux8` points to 8 bytes, `auxA` and `auxB` to 3
 * bytes each; they are passed on to the reader unchanged.
 */
T2_API int32_t T2_CALL lc_setReadOnlyPara(int32_t handle, int32_t dataBase,
                                          const unsigned char *aux8,
                                          int32_t orientation, int32_t snSize,
                                          int32_t outLength,
                                          const unsigned char *auxA,
                                          const unsigned char *auxB);

/* Sets the card block read (0..255; 255 reads the UID) and its 6-byte key. */
T2_API int32_t T2_CALL lc_setBlockReadPara(int32_t handle, int32_t blockAddress,
                                           const unsigned char *key);

/* Sets whether the output carries a header (1) or not (0). */
T2_API int32_t T2_CALL lc_setReaderOnlyHead(int32_t handle, int32_t headerFlag);

/*
 * Converts `text` of exactly 2 * `count` hexadecimal digits (either case,
 * nothing else) into `count` bytes at `out`, first byte first. `text` is
 * zero-terminated: up to 2 * `count` + 1 characters are read, the last to
 * see that the text ends there.
 * 0 when valid; nonzero otherwise, and then `out` is left untouched.
 */
T2_API int32_t T2_CALL asc_hex(const char *text, unsigned char *out, int32_t count);

/*
 * Not one of the seven: our library's own addition, which a vendor's build
 * may lack. A program must not import it; it looks it up when it runs
 * (dlsym on the loaded libt2.so, GetProcAddress on t2.dll) and does without
 * it where it is missing.
 *
 * Returns why the calling thread's latest call into the library failed, as
 * one line of zero-terminated UTF-8 text without a line break (control
 * characters, C1 ones too, and bytes that are not UTF-8, as a device path
 * may hold, are written \xNN), e.g.
 * "COM5 (...) is busy: held by another program" (after lc_init); "" when
 * that call succeeded or no call was made yet. Never null. Takes no arguments and cannot fail.
 * The text belongs to the library and stays valid until the same thread
 * calls into the library again; each thread has its own.
 */
T2_API const char *T2_CALL t2_last_error(void);

/*
 * Our addition too, looked up at run time as t2_last_error is: lc_init by
 * the port's name, for the ports that have no number ("USB:1.2", a socket's
 * name on Linux; COM101, whose number would be USB's). `port` is "USB",
 * "COM1".."COM256" or, on Linux, "USB:" and a socket (docs/tavelin-config.md),
 * in any case, at most 64 characters. Otherwise as lc_init.
 */
T2_API int32_t T2_CALL t2_open(const char *port, int32_t baud);

#ifdef __cplusplus
}
#endif

#endif /* T2_H */
