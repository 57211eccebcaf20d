// The demo's clock. Built only into the demo's copy of the library, never
// into the one a site installs: when ZOLT_SIMULATED_TIME holds
// "YYYY-MM-DD HH:MM" (or "YYYY-MM-DD HH:MM:SS"), that is the time of every
// reading; otherwise the real clock runs. The variable is read at each
// reading, so a caller can move the time between calls.
#include <cstdio>
#include <cstdlib>

#include "library/exports_env.h"
#include "platform/env/env_wrapper.h"

namespace zolt {
namespace {

class SimulatedClockEnv final : public EnvWrapper {
 public:
  SimulatedClockEnv() : EnvWrapper(Env::Default()) {}

  LocalTime Now() override {
    const char* text = std::getenv("ZOLT_SIMULATED_TIME");
    LocalTime t;
    if (text != nullptr &&
        std::sscanf(text, "%d-%d-%d %d:%d:%d", &t.year, &t.month, &t.day,
                    &t.hour, &t.minute, &t.second) >= 5) {
      return t;
    }
    return EnvWrapper::Now();
  }
};

}  // namespace

Env& ExportsEnv() {
  static SimulatedClockEnv env;
  return env;
}

}  // namespace zolt
