#include "cli/common/command_line.h"

#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>

namespace zolt::cli {
namespace {

bool IsLeap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysIn(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30,
                                  31, 31, 30, 31, 30, 31};
  return kDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0);
}

}  // namespace

const char kExitStatusHelp[] =
    "Exit status: 0 ok; 1 the site or the library said no (a failure code, "
    "a PIN that is not good, a fault found); 2 bad usage or input, with one "
    "line on stderr naming what was wrong.";

void PrintError(const std::string& command, const std::string& what) {
  std::fflush(stdout);
  std::fprintf(stderr, "zolt: %s%s%s\n", command.c_str(),
               command.empty() ? "" : ": ", what.c_str());
}

void Describe(CLI::App* command, const std::string& details) {
  command->footer(details + "\n\n" + kExitStatusHelp);
}

void AddCommonOptions(CLI::App* command, CommonOptions* o, unsigned which,
                      const char* station_help) {
  if ((which & kStationOption) != 0) {
    command
        ->add_option("--station", o->station,
                     station_help != nullptr
                         ? station_help
                         : "the station folder: the one whose "
                           "OstrelZOLTDLL.dta the library reads, as beside "
                           "the point-of-sale program (default: the current "
                           "folder)")
        ->type_name("DIR");
  }
  if ((which & kAtOption) != 0) {
    command
        ->add_option("--at", o->at,
                     "a simulated local time, \"YYYY-MM-DD HH:MM\" "
                     "(default: the clock)")
        ->type_name("TIME");
  }
  if ((which & kJsonOption) != 0) {
    command->add_flag("--json", o->json,
                      "one JSON document on standard output instead of text");
  }
}

std::optional<LocalTime> ParseTime(const std::string& text) {
  LocalTime t;
  char tail = 0;
  if (text.size() != 16 ||
      std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d%c", &t.year, &t.month,
                  &t.day, &t.hour, &t.minute, &tail) != 5) {
    return std::nullopt;
  }
  if (text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':') {
    return std::nullopt;
  }
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == 4 || i == 7 || i == 10 || i == 13) continue;
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
  }
  if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 ||
      t.day > DaysIn(t.year, t.month) || t.hour > 23 || t.minute > 59) {
    return std::nullopt;
  }
  return t;
}

std::string FormatTime(const LocalTime& t) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%04d-%02d-%02d %02d:%02d", t.year, t.month,
                t.day, t.hour, t.minute);
  return buf;
}

std::string FormatDate(const LocalTime& t) {
  return FormatTime(t).substr(0, 10);
}

std::string FormatMinute(int minute) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%02d:%02d", minute / 60, minute % 60);
  return buf;
}

std::string IsoTime(const LocalTime& t) {
  std::string s = FormatTime(t);
  s[10] = 'T';
  return s;
}

std::string IsoDate(const LocalTime& t) { return FormatDate(t); }

std::string AbsolutePath(const std::string& path) {
  std::error_code ec;
  std::string out = std::filesystem::absolute(
                        std::filesystem::path(path.empty() ? "." : path), ec)
                        .lexically_normal()
                        .string();
  if (ec) out = path;
  while (out.size() > 1 && (out.back() == '/' || out.back() == '\\') &&
         !(out.size() == 3 && out[1] == ':')) {
    out.pop_back();
  }
  return out;
}

Context CheckOptions(const CommonOptions& o, bool freeze_clock) {
  Context c;
  c.json = o.json;
  c.station = AbsolutePath(o.station);
  if (!Env::Default().FolderExists(c.station)) {
    throw UsageError("--station: " + c.station + ": no such folder");
  }
  if (!o.at.empty()) {
    c.at = ParseTime(o.at);
    if (!c.at) {
      throw UsageError("--at: \"" + o.at +
                       "\" is not a time \"YYYY-MM-DD HH:MM\"");
    }
  } else if (freeze_clock) {
    c.at = Env::Default().Now();
  }
  return c;
}

}  // namespace zolt::cli
