// The day's PIN tables as the next library call would meet them: each
// table file as it lies in the data folder, the state the pair is in
// (current, stale, library table stale, absent), what the next call does
// about it, and every slot of the tables that call would search (after the
// rebuild it would make, if any) with its state at the given minute.
#ifndef ZOLT_CLI_SHOW_DAY_VIEW_H_
#define ZOLT_CLI_SHOW_DAY_VIEW_H_

#include <cstdint>
#include <string>
#include <vector>

#include "library/pin_tables.h"
#include "library/result_code.h"
#include "library/settings.h"
#include "platform/env/env.h"

namespace zolt::cli {

struct TableFileView {
  std::string path;
  std::string kind;  // "file", "missing", "folder", "binary", "unreadable"
  std::string run_day;   // LastPINRunDay as written, "" when absent
  std::string run_date;  // LastPINRunDate as written, "" when absent
};

enum class SlotState { kFree, kTaken, kVoid, kPast };
const char* SlotStateName(SlotState s);

struct SlotView {
  std::string text;  // DLLPINTable.dat's entry ("" when missing)
  int32_t value = 0; // its table value (void when missing or damaged)
  SlotState state = SlotState::kFree;
  bool in_window = false;
};

struct SlotCounts {
  int free = 0, taken = 0, void_ = 0, past = 0;
  int window_free = 0;  // free slots the search can reach now
};

struct DayView {
  TableFileView pin, dll;
  std::string state;      // "current", "stale", "library table stale",
                          // "absent", or "unknown" (no data folder)
  std::string next_call;  // what the next call does to the files
  Code refresh = Code::kOk;  // the refresh's own outcome (for ZoltResult)
  bool have_slots = false;   // the slots below are known
  std::vector<SlotView> slots;  // kSlotCount, when have_slots
  int minute = 0;            // the current minute of the day
  int window_first = 0;      // the oldest slot the search reaches
  SlotCounts counts;
};

// Runs the refresh of the core on a read-only overlay of `env` (which is the
// station's Env) with these settings at `env`'s clock.
DayView ReadDayView(Env& env, const LibrarySettings& settings);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_DAY_VIEW_H_
