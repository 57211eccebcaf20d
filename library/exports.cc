// The library's two exports. Each builds the default Env and runs the core;
// nothing but the result code crosses this boundary.
#include <cstdint>
#include <exception>

#include "OstrelZOLTDLL.h"
#include "library/exports_env.h"
#include "library/zolt.h"

#if defined(_WIN32)
#define ZOLT_EXPORT
#else
#define ZOLT_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

ZOLT_EXPORT int32_t ZOLT_CALL ZoltResult(int32_t /*vendor*/,
                                         int32_t /*location*/,
                                         int32_t basket_size,
                                         char* expiry_text) {
  try {
    return zolt::IssuePin(zolt::ExportsEnv(), basket_size, expiry_text);
  } catch (...) {
    // Out of memory is the only way here; the caller gets the catch-all code.
    return ZOLT_E_UNDETERMINED;
  }
}

ZOLT_EXPORT int32_t ZOLT_CALL check_SoldOut_Condition(int32_t /*vendor*/,
                                                      int32_t /*location*/,
                                                      int32_t basket_size) {
  try {
    return zolt::QuerySoldOut(zolt::ExportsEnv(), basket_size);
  } catch (...) {
    return ZOLT_E_UNDETERMINED;
  }
}

}  // extern "C"
