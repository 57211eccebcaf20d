/* OstrelZOLTDLL: the PIN library of the Ostrel point-of-sale integration.
 *
 * A point-of-sale program loads "OstrelZOLTDLL.dll" (Windows) or
 * "libOstrelZOLTDLL.so.20" (Linux) by name (ZOLT_LIBRARY_NAME) and calls
 * these two functions, once per query and once per basket sold. The library
 * reads its settings from "OstrelZOLTDLL.dta" beside the calling program's
 * executable and keeps the day's PIN tables in the shared data folder that
 * the settings name.
 *
 * Both functions return a signed 32-bit result: positive values are results,
 * negative values are the ZOLT_E_* codes below. The vendor and location
 * arguments are not read; the settings file supplies both numbers.
 *
 * A program that loads the library by name binds the two functions through
 * ZoltResultFn and check_SoldOut_ConditionFn; one that links against it
 * (an import library on Windows, -lOstrelZOLTDLL on Linux) calls them
 * directly. The header compiles as C89, C99 and C++, with GCC, Clang and
 * Visual C++.
 */
#ifndef OSTRELZOLTDLL_H_
#define OSTRELZOLTDLL_H_

/* ZoltInt32: the 32-bit integer of every argument and result. It is
 * int32_t where the compiler has <stdint.h> (C99, C++11, Visual C++ 2010),
 * and int otherwise, which is the same type on every system the library is
 * built for. */
#if (defined(__STDC_VERSION__) && __STDC_VERSION__ >= 199901L) || \
    (defined(__cplusplus) && __cplusplus >= 201103L) ||           \
    (defined(_MSC_VER) && _MSC_VER >= 1600)
#include <stdint.h>
typedef int32_t ZoltInt32;
#else
#include <limits.h>
#if INT_MAX != 2147483647
#error "OstrelZOLTDLL.h needs <stdint.h> or a 32-bit int"
#endif
typedef int ZoltInt32;
#endif

#if defined(_WIN32)
#define ZOLT_CALL __stdcall
#else
#define ZOLT_CALL
#endif

/* The version of the library this header describes: the DLL's file and
 * product version (20.0.0.0 on Windows) and the Linux library's file name
 * (libOstrelZOLTDLL.so.20.0.0). Callers built against a different major
 * version must be checked again before they are shipped. */
#define ZOLT_VERSION_MAJOR 20
#define ZOLT_VERSION_MINOR 0
#define ZOLT_VERSION_PATCH 0
#define ZOLT_VERSION_STRING "20.0.0"

/* The file name a program loads the library by. On Linux it is the SONAME,
 * libOstrelZOLTDLL.so.20: the library's own package installs that name;
 * the bare libOstrelZOLTDLL.so comes only with the development package (for
 * linking), so a program that loads it by that name fails on a station
 * without it. */
#if defined(_WIN32)
#define ZOLT_LIBRARY_NAME "OstrelZOLTDLL.dll"
#else
#define ZOLT_LIBRARY_NAME "libOstrelZOLTDLL.so.20"
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Basket sizes: the third argument of both functions. */
#define ZOLT_SIZE_SMALL 1
#define ZOLT_SIZE_MEDIUM 2
#define ZOLT_SIZE_LARGE 3

/* The caller's expiry-text buffer must hold at least this many bytes. */
#define ZOLT_EXPIRY_BUFFER_SIZE 12

/* Result codes. */
#define ZOLT_E_UNDETERMINED (-1)          /* undetermined failure: no PIN was issued and no file changed. The
                                             settings file cannot be opened for writing (held open elsewhere, a
                                             bad path), a PIN table cannot be read or written, the table lock is
                                             held by another station too long or cannot be taken, or the tables
                                             are dated later than this station's clock. zolt status names the
                                             cause at the station. */
#define ZOLT_E_SETTINGS_OPEN ZOLT_E_UNDETERMINED /* the former name of -1, kept for existing callers */
#define ZOLT_E_SEASON (-100)              /* Season outside 0..255 */
#define ZOLT_E_LOCATION (-101)            /* Location outside 0..800 */
#define ZOLT_E_VENDOR (-102)              /* Vendor outside 180..200 */
#define ZOLT_E_PINCRYPT (-103)            /* PINcrypt outside 1..255 */
#define ZOLT_E_WINDOW (-104)              /* first slot of the search window outside 0..1440 */
#define ZOLT_E_SIZE (-105)                /* basket size outside 1..3 */
#define ZOLT_E_PINEXPIRY (-106)           /* PINExpiry not 0, not 1, not 10..1439 */
#define ZOLT_E_YEAR (-111)                /* the sale date is outside the years 2001..2015, the only years the library issues PINs for (ZoltResult) */
#define ZOLT_E_MONTH (-112)               /* system month outside 1..12 (ZoltResult) */
#define ZOLT_E_DAY (-113)                 /* system day outside 1..31 (ZoltResult) */
#define ZOLT_E_PINS_OFF (-300)            /* PINExpiry is 1: PINs are turned off */
#define ZOLT_E_SETTINGS_DENIED (-375)     /* settings file exists but may not be written */
#define ZOLT_E_SETTINGS_MISSING (-400)    /* settings file OstrelZOLTDLL.dta not found */
#define ZOLT_E_DATA_FOLDER (-430)         /* Pathtopintable names no folder that can be listed */
#define ZOLT_E_SOLD_OUT (-500)            /* no PIN free in the search window */
#define ZOLT_E_DELETE_DENIED (-600)       /* deleting a PIN table at a new day was denied */
#define ZOLT_E_TABLE_NOT_FOUND (-610)     /* a PIN table to delete at a new day was not found (query only) */
#define ZOLT_E_TABLE_BAD_PATH (-620)      /* deleting a PIN table at a new day failed: bad path (query only) */
#define ZOLT_E_TABLE_EMPTY (-630)         /* emptying a [PINTable] section at a new day failed (query only) */

/* Issues a PIN for a basket sold. On success returns the six-digit PIN (first
 * digit 4, 6 or 8 for the size) and writes the expiry text, at most
 * ZOLT_EXPIRY_BUFFER_SIZE bytes with its terminating zero, into expiry_text;
 * on failure returns a negative code and leaves expiry_text untouched. */
ZoltInt32 ZOLT_CALL ZoltResult(ZoltInt32 vendor, ZoltInt32 location,
                               ZoltInt32 basket_size, char* expiry_text);

/* Tells, without using up a PIN, whether one could be issued now: the PIN
 * core (PINcrypt x size + the slot's value) of the newest free slot, or
 * ZOLT_E_SOLD_OUT, or another negative code. */
ZoltInt32 ZOLT_CALL check_SoldOut_Condition(ZoltInt32 vendor,
                                            ZoltInt32 location,
                                            ZoltInt32 basket_size);

/* Pointers to the two functions, for a program that binds them by name
 * (GetProcAddress, dlsym). */
typedef ZoltInt32(ZOLT_CALL* ZoltResultFn)(ZoltInt32 vendor,
                                           ZoltInt32 location,
                                           ZoltInt32 basket_size,
                                           char* expiry_text);
typedef ZoltInt32(ZOLT_CALL* check_SoldOut_ConditionFn)(ZoltInt32 vendor,
                                                        ZoltInt32 location,
                                                        ZoltInt32 basket_size);

#ifdef __cplusplus
}
#endif

#endif /* OSTRELZOLTDLL_H_ */
