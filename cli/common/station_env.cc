#include "cli/common/station_env.h"

#include <cstdio>

namespace zolt::cli {

StationEnv::StationEnv(Env& target, std::string station,
                       std::optional<LocalTime> at, bool print_notices)
    : EnvWrapper(target),
      station_(std::move(station)),
      at_(at),
      print_notices_(print_notices) {}

std::string StationEnv::ExecutablePath() {
  // A program in the station folder; the file itself need not exist.
  return station_ + PathSeparator() + "zolt";
}

LocalTime StationEnv::Now() { return at_ ? *at_ : EnvWrapper::Now(); }

void StationEnv::Notify(const std::string& caption, const std::string& text) {
  notices_.push_back({caption, text});
  if (print_notices_) {
    std::fprintf(stderr, "zolt: the library's notice: %s: %s\n",
                 caption.c_str(), text.c_str());
  }
}

}  // namespace zolt::cli
