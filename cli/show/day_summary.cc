#include "cli/show/day_summary.h"

#include <cstdio>
#include <string>

#include "cli/common/command_line.h"

namespace zolt::cli {
namespace {

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char ch : s) {
    if (ch < '0' || ch > '9') return false;
  }
  return true;
}

// The dates as data: the day a number, the date in ISO 8601; null where
// the file holds none or something else (its text is then in "..._text").
nlohmann::ordered_json FileJson(const TableFileView& f) {
  nlohmann::ordered_json j = {{"path", f.path}, {"kind", f.kind}};
  j["LastPINRunDay"] = AllDigits(f.run_day) && f.run_day.size() <= 2
                           ? nlohmann::ordered_json(std::stoi(f.run_day))
                           : nlohmann::ordered_json();
  j["LastPINRunDate"] =
      AllDigits(f.run_date) && f.run_date.size() == 8
          ? nlohmann::ordered_json(f.run_date.substr(0, 4) + "-" +
                                   f.run_date.substr(4, 2) + "-" +
                                   f.run_date.substr(6, 2))
          : nlohmann::ordered_json();
  if (j["LastPINRunDay"].is_null() && !f.run_day.empty()) {
    j["LastPINRunDay_text"] = f.run_day;
  }
  if (j["LastPINRunDate"].is_null() && !f.run_date.empty()) {
    j["LastPINRunDate_text"] = f.run_date;
  }
  return j;
}

std::string Token(std::string words) {
  for (char& ch : words) {
    if (ch == ' ') ch = '-';
  }
  return words;
}

std::string FileText(const TableFileView& f) {
  if (f.kind != "file") return f.kind;
  std::string s = "LastPINRunDay " + (f.run_day.empty() ? "-" : f.run_day);
  s += ", LastPINRunDate " + (f.run_date.empty() ? "-" : f.run_date);
  return s;
}

int WindowSlots(const DayView& d) { return d.minute - d.window_first + 1; }

}  // namespace

nlohmann::ordered_json TablesJson(const DayView& d) {
  nlohmann::ordered_json j;
  j["state"] = Token(d.state);
  j["next_call"] = d.next_call;
  j["files"]["PINTable.dat"] = FileJson(d.pin);
  j["files"]["DLLPINTable.dat"] = FileJson(d.dll);
  if (d.have_slots) {
    j["counts"] = {{"free", d.counts.free},
                   {"taken", d.counts.taken},
                   {"void", d.counts.void_},
                   {"past", d.counts.past}};
    j["window"] = {{"first", d.window_first},
                   {"last", d.minute},
                   {"from", FormatMinute(d.window_first)},
                   {"to", FormatMinute(d.minute)},
                   {"slots", WindowSlots(d)},
                   {"free", d.counts.window_free}};
  }
  return j;
}

void PrintTablesText(const DayView& d) {
  std::printf("PIN tables     %s: the next call %s\n", d.state.c_str(),
              d.next_call.c_str());
  std::printf("  PINTable.dat     %s\n", FileText(d.pin).c_str());
  std::printf("  DLLPINTable.dat  %s\n", FileText(d.dll).c_str());
  if (!d.have_slots) return;
  std::printf("  %s: %d free, %d taken, %d void, %d past (of %d slots)\n",
              d.state == "current" ? "slots" : "after the rebuild",
              d.counts.free, d.counts.taken, d.counts.void_, d.counts.past,
              kSlotCount);
  std::printf("  window %s to %s (%d slots): %d free\n",
              FormatMinute(d.window_first).c_str(),
              FormatMinute(d.minute).c_str(), WindowSlots(d),
              d.counts.window_free);
}

}  // namespace zolt::cli
