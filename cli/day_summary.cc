#include "cli/day_summary.h"

#include <cstdio>
#include <string>

#include "cli/command_line.h"

namespace zolt::cli {
namespace {

nlohmann::ordered_json FileJson(const TableFileView& f) {
  nlohmann::ordered_json j = {{"path", f.path}, {"kind", f.kind}};
  j["LastPINRunDay"] = f.run_day.empty() ? nlohmann::ordered_json()
                                         : nlohmann::ordered_json(f.run_day);
  j["LastPINRunDate"] = f.run_date.empty() ? nlohmann::ordered_json()
                                           : nlohmann::ordered_json(f.run_date);
  return j;
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
  j["state"] = d.state;
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
