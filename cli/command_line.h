// What every zolt command shares: the options --station, --at and --json,
// their checks, and the exit statuses.
#ifndef ZOLT_CLI_COMMAND_LINE_H_
#define ZOLT_CLI_COMMAND_LINE_H_

#include <optional>
#include <stdexcept>
#include <string>

#include "platform/env.h"

namespace CLI {
class App;
}

namespace zolt::cli {

// Exit statuses.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // a failure code from the library, a fault
constexpr int kExitUsage = 2;    // wrong usage or unreadable input

// Wrong usage or unreadable input: main prints "zolt: <what>" on stderr
// and exits with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct CommonOptions {
  std::string station;  // "" for the current folder
  std::string at;       // "" for the clock
  bool json = false;
};

void AddCommonOptions(CLI::App* command, CommonOptions* options);

// The longer description of a command, shown by its --help below the
// options, followed by the exit statuses.
void Describe(CLI::App* command, const std::string& details);

// The exit statuses in words, for --help.
extern const char kExitStatusHelp[];

// The checked options of one command.
struct Context {
  std::string station;          // absolute, without a trailing separator
  std::optional<LocalTime> at;  // the simulated time, if any
  bool json = false;
};

// Checks the options: the station folder must exist, --at must be a real
// time. With `freeze_clock`, a run without --at reads the clock once, so
// that every answer of the command belongs to the same minute.
Context CheckOptions(const CommonOptions& options, bool freeze_clock);

// "YYYY-MM-DD HH:MM" (a real date and time of day), or nullopt.
std::optional<LocalTime> ParseTime(const std::string& text);
std::string FormatTime(const LocalTime& t);  // "YYYY-MM-DD HH:MM"
std::string FormatDate(const LocalTime& t);  // "YYYY-MM-DD"
std::string FormatMinute(int minute);        // "HH:MM"

// An absolute path without trailing separators; relative paths are taken
// from the current folder.
std::string AbsolutePath(const std::string& path);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMAND_LINE_H_
