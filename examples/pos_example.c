/* pos_example.c: a point-of-sale program in miniature for the Ostrel PIN
 * library. It loads the library by name, asks whether a PIN can be issued
 * for a small basket, issues one, and prints the PIN with its expiry text,
 * or the code that the library answered and what a POS program does on it.
 *
 * Build it as most POS programs use the library, loading it at run time:
 *   mingw:  i686-w64-mingw32-gcc -Iinclude pos_example.c -o pos_example.exe
 *   MSVC:   cl /Iinclude pos_example.c
 *   Linux:  cc $(pkg-config --cflags ostrelzoltdll) pos_example.c -ldl
 * or linked against the library (POS_EXAMPLE_LINKED):
 *   mingw:  i686-w64-mingw32-gcc -DPOS_EXAMPLE_LINKED -Iinclude pos_example.c
 *               lib/libOstrelZOLTDLL.dll.a -o pos_example.exe
 *   MSVC:   cl /DPOS_EXAMPLE_LINKED /Iinclude pos_example.c
 *               lib\OstrelZOLTDLL.lib
 *   Linux:  cc -DPOS_EXAMPLE_LINKED pos_example.c
 *               $(pkg-config --cflags --libs ostrelzoltdll)
 *
 * Run it from a station folder: the library reads OstrelZOLTDLL.dta beside
 * the program's executable (see INTEGRATING.md). Exit status: 0 when the
 * library answered (a PIN or a code), 1 when it could not be loaded. */
#if !defined(_WIN32) && !defined(_POSIX_C_SOURCE)
#define _POSIX_C_SOURCE 200112L /* readlink, dlopen */
#endif
#include <stdio.h>
#include <string.h>

#include "OstrelZOLTDLL.h"

static ZoltResultFn zolt_result;
static check_SoldOut_ConditionFn sold_out;

#if defined(POS_EXAMPLE_LINKED)

static int BindLibrary(void) {
  zolt_result = ZoltResult;
  sold_out = check_SoldOut_Condition;
  return 1;
}

#elif defined(_WIN32)
#include <windows.h>

/* LoadLibraryA looks in the program's folder first, then the system's. */
static int BindLibrary(void) {
  HMODULE library = LoadLibraryA(ZOLT_LIBRARY_NAME);
  if (library == NULL) {
    fprintf(stderr, "cannot load %s (error %lu)\n", ZOLT_LIBRARY_NAME,
            (unsigned long)GetLastError());
    return 0;
  }
  zolt_result = (ZoltResultFn)(void (*)(void))GetProcAddress(library,
                                                             "ZoltResult");
  sold_out = (check_SoldOut_ConditionFn)(void (*)(void))GetProcAddress(
      library, "check_SoldOut_Condition");
  return zolt_result != NULL && sold_out != NULL;
}

#else
#include <dlfcn.h>
#include <unistd.h>

/* Like Windows: the program's folder first, then the dynamic linker's
 * search (the library installed by the package, LD_LIBRARY_PATH). */
static void* OpenLibrary(void) {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
  void* library;
  if (n > 0) {
    char* slash;
    path[n] = '\0';
    slash = strrchr(path, '/');
    if (slash != NULL && (size_t)(slash + 1 - path) +
                                 sizeof(ZOLT_LIBRARY_NAME) <= sizeof(path)) {
      strcpy(slash + 1, ZOLT_LIBRARY_NAME);
      library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
      if (library != NULL) return library;
    }
  }
  return dlopen(ZOLT_LIBRARY_NAME, RTLD_NOW | RTLD_LOCAL);
}

static int BindLibrary(void) {
  void* library = OpenLibrary();
  if (library == NULL) {
    fprintf(stderr, "cannot load %s: %s\n", ZOLT_LIBRARY_NAME, dlerror());
    return 0;
  }
  /* dlsym returns an object pointer; POSIX lets it be read as a function
   * pointer this way. */
  *(void**)&zolt_result = dlsym(library, "ZoltResult");
  *(void**)&sold_out = dlsym(library, "check_SoldOut_Condition");
  return zolt_result != NULL && sold_out != NULL;
}

#endif

/* What the cashier is told and what the program does next, by code. */
static const char* Advice(ZoltInt32 code) {
  switch (code) {
    case ZOLT_E_SOLD_OUT:
      return "PINs are sold out for now: tell the cashier, try again in a "
             "minute";
    case ZOLT_E_PINS_OFF:
      return "PINs are turned off at this site: sell without a PIN";
    case ZOLT_E_UNDETERMINED:
      return "no PIN this time (a file or the lock could not be used): retry "
             "once, then run zolt status at this station and call support";
    case ZOLT_E_YEAR:
      return "the library issues PINs only for sale dates in 2001 to 2015: "
             "no PIN (not a fault of the station's clock)";
    case ZOLT_E_MONTH:
    case ZOLT_E_DAY:
      return "the station's date is out of range: no PIN; call support";
    case ZOLT_E_SIZE:
      return "the program passed a wrong basket size: a fault in the POS "
             "program";
    case ZOLT_E_SETTINGS_MISSING:
    case ZOLT_E_SETTINGS_DENIED:
      return "OstrelZOLTDLL.dta is missing beside the program or may not be "
             "written: call the installer";
    case ZOLT_E_DATA_FOLDER:
      return "the shared data folder cannot be reached: check the network, "
             "then call support";
    default:
      return "the station is not set up right: no PIN; call the installer";
  }
}

int main(void) {
  char expiry[ZOLT_EXPIRY_BUFFER_SIZE];
  ZoltInt32 answer, pin;
  size_t length;

  if (!BindLibrary()) {
    fprintf(stderr, "%s does not provide both functions\n", ZOLT_LIBRARY_NAME);
    return 1;
  }

  /* The vendor and location arguments are not read: the settings file
   * gives both numbers. */
  answer = sold_out(0, 0, ZOLT_SIZE_SMALL);
  if (answer < 0) {
    printf("check_SoldOut_Condition: code %ld: %s\n", (long)answer,
           Advice(answer));
    return 0;
  }
  printf("check_SoldOut_Condition: %ld, a PIN can be issued\n", (long)answer);

  pin = zolt_result(0, 0, ZOLT_SIZE_SMALL, expiry);
  if (pin < 0) {
    printf("ZoltResult: code %ld: %s\n", (long)pin, Advice(pin));
    return 0;
  }
  /* The text ends with a blank and a line feed, ready for a receipt. */
  length = strlen(expiry);
  while (length > 0 &&
         (expiry[length - 1] == '\n' || expiry[length - 1] == ' ')) {
    expiry[--length] = '\0';
  }
  printf("ZoltResult: PIN %06ld, good until %s\n", (long)pin, expiry);
  return 0;
}
