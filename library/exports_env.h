// The Env the exports run on: the platform's own (exports_env.cc), or, in the
// demo's build of the library only, one whose clock can be set to a simulated
// sale time (exports_env_simulated.cc).
#ifndef ZOLT_LIBRARY_EXPORTS_ENV_H_
#define ZOLT_LIBRARY_EXPORTS_ENV_H_

#include "platform/env/env.h"

namespace zolt {

Env& ExportsEnv();

}  // namespace zolt

#endif  // ZOLT_LIBRARY_EXPORTS_ENV_H_
