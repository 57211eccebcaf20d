/* Uses every part of the public header, so that each compiler and dialect
 * that an integrator may use sees all of it: the typedefs must match the
 * prototypes, calling convention included (a mismatch is an error in C++
 * and a warning, made an error, in C).
 *
 * Linked against the MSVC-format import library (lld-link, no C runtime),
 * ZoltProbeMain is the program's entry point: it calls both functions
 * through the import library and exits 0 when the sold-out query gave a
 * PIN core and the issue gave a PIN or, outside the library's years, -111. */
#include "OstrelZOLTDLL.h"

typedef char ZoltInt32HasFourBytes[sizeof(ZoltInt32) == 4 ? 1 : -1];
/* The version macros work in #if, and the text agrees with the numbers. */
#if ZOLT_VERSION_MAJOR < 20 || ZOLT_VERSION_MINOR < 0 || ZOLT_VERSION_PATCH < 0
#error "version macros"
#endif
typedef char ZoltVersionTextFits[sizeof(ZOLT_VERSION_STRING) >= 6 ? 1 : -1];

static ZoltResultFn issue = ZoltResult;
static check_SoldOut_ConditionFn query = check_SoldOut_Condition;

int ZOLT_CALL ZoltProbeMain(void* unused);

int ZOLT_CALL ZoltProbeMain(void* unused) {
  char expiry[ZOLT_EXPIRY_BUFFER_SIZE];
  ZoltInt32 core = query(0, 0, ZOLT_SIZE_SMALL);
  ZoltInt32 pin = issue(0, 0, ZOLT_SIZE_SMALL, expiry);
  (void)unused;
  (void)sizeof(ZoltInt32HasFourBytes);
  (void)sizeof(ZoltVersionTextFits);
  if (core <= 0) return 1;
  return pin == ZOLT_E_YEAR || pin / 100000 == 4 ? 0 : 2;
}
