// The Env a zolt command runs the library core on. The station folder
// stands in for the point-of-sale program's folder, so the core reads
// <station>/OstrelZOLTDLL.dta as it would beside the program; the clock
// reads the --at time when one was given; and the library's notices (its
// message boxes) are kept, and printed on stderr when asked, never shown.
#ifndef ZOLT_CLI_COMMON_STATION_ENV_H_
#define ZOLT_CLI_COMMON_STATION_ENV_H_

#include <optional>
#include <string>
#include <vector>

#include "platform/env/env_wrapper.h"

namespace zolt::cli {

struct Notice {
  std::string caption;
  std::string text;
};

class StationEnv : public EnvWrapper {
 public:
  // `station` is the folder (absolute, no trailing separator). Without `at`
  // the clock runs.
  StationEnv(Env& target, std::string station, std::optional<LocalTime> at,
             bool print_notices);

  const std::string& station() const { return station_; }
  const std::vector<Notice>& notices() const { return notices_; }
  void ClearNotices() { notices_.clear(); }

  std::string ExecutablePath() override;
  LocalTime Now() override;
  void Notify(const std::string& caption, const std::string& text) override;

 private:
  std::string station_;
  std::optional<LocalTime> at_;
  bool print_notices_;
  std::vector<Notice> notices_;
};

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMON_STATION_ENV_H_
