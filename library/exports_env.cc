#include "library/exports_env.h"

namespace zolt {

Env& ExportsEnv() { return Env::Default(); }

}  // namespace zolt
