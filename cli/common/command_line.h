// What every zolt command shares: the options --station, --at and --json,
// their checks, and the exit statuses.
#ifndef ZOLT_CLI_COMMON_COMMAND_LINE_H_
#define ZOLT_CLI_COMMON_COMMAND_LINE_H_

#include <optional>
#include <stdexcept>
#include <string>

#include "platform/env/env.h"

namespace CLI {
class App;
}

namespace zolt::cli {

// Exit statuses, the same for every command.
constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the site or the library said no
constexpr int kExitUsage = 2;    // bad usage or input

// The version of the JSON documents' layout, in their "schema" field.
constexpr int kJsonSchema = 1;

// Bad usage: main prints "zolt: COMMAND: <what> (see zolt help COMMAND)"
// on stderr and exits with kExitUsage.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Input that is not what it should be (a folder or a binary file where a
// settings or table file belongs): "zolt: COMMAND: <what>", kExitUsage.
class InputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The site said no before the command could answer (no settings file):
// "zolt: COMMAND: <what>", kExitFailure.
class SiteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One line on stderr: "zolt: COMMAND: <what>".
void PrintError(const std::string& command, const std::string& what);

struct CommonOptions {
  std::string station;  // "" for the current folder
  std::string at;       // "" for the clock
  bool json = false;
};

// The common options a command takes.
enum CommonOption : unsigned {
  kStationOption = 1,
  kAtOption = 2,
  kJsonOption = 4,
  kAllCommonOptions = 7,
};

// Adds the chosen options; `station_help` replaces the usual words of
// --station.
void AddCommonOptions(CLI::App* command, CommonOptions* options,
                      unsigned which = kAllCommonOptions,
                      const char* station_help = nullptr);

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
std::string IsoTime(const LocalTime& t);     // "YYYY-MM-DDTHH:MM"
std::string IsoDate(const LocalTime& t);     // "YYYY-MM-DD"

// An absolute path without trailing separators; relative paths are taken
// from the current folder.
std::string AbsolutePath(const std::string& path);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMON_COMMAND_LINE_H_
