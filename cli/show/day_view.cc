#include "cli/show/day_view.h"

#include <algorithm>

#include "cli/show/read_only_overlay_env.h"
#include "library/number_text.h"
#include "profile/profile.h"

namespace zolt::cli {
namespace {

TableFileView ViewFile(Env& env, const std::string& path) {
  TableFileView v;
  v.path = path;
  if (env.FolderExists(path)) {
    v.kind = "folder";
    return v;
  }
  if (!env.FileExists(path)) {
    v.kind = "missing";
    return v;
  }
  std::string bytes;
  if (env.ReadFile(path, &bytes) != FileError::kNone) {
    v.kind = "unreadable";
    return v;
  }
  // This library writes table files as plain text; control characters
  // other than line ends and tabs mean a binary or foreign file.
  for (unsigned char ch : bytes) {
    if (ch < 0x20 && ch != '\t' && ch != '\r' && ch != '\n') {
      v.kind = "binary";
      return v;
    }
  }
  const ProfileFile file = ProfileFile::Parse(bytes);
  v.kind = "file";
  v.run_day = file.GetString("Other", "LastPINRunDay", "");
  v.run_date = file.GetString("Other", "LastPINRunDate", "");
  return v;
}

// The search's own test, slot by slot: a non-zero entry in PINTable.dat is
// taken; DLLPINTable.dat's entry (void when missing) must be a value the
// generator can produce. (A slot the search reaches whose entry is missing
// or not the built value makes the call rebuild the library table first;
// ReadDayView has that rebuild made, so what is left here lies outside the
// window.)
SlotView ViewSlot(PinTables& t, int slot) {
  SlotView v;
  v.text = t.dll.Slot(slot, "");
  v.value = ParseHex(v.text.empty() ? "270F" : v.text);
  const int32_t mark = ParseHex(t.pin.Slot(slot, "0"));
  if (mark == kVoidMark || v.value == kVoidMark || v.value < 0 ||
      v.value > kLargestPinValue) {
    v.state = SlotState::kVoid;
  } else if (mark != 0 || v.value == kTakenMark) {
    v.state = SlotState::kTaken;
  }
  return v;
}

}  // namespace

const char* SlotStateName(SlotState s) {
  switch (s) {
    case SlotState::kFree: return "free";
    case SlotState::kTaken: return "taken";
    case SlotState::kVoid: return "void";
    case SlotState::kPast: return "past";
  }
  return "";
}

namespace {

// What the refresh did on the overlay: the tables' state, and what the
// next call does to the files. True when it rebuilt both tables.
bool TellRefresh(const ReadOnlyOverlayEnv& overlay, DayView* d) {
  const bool full = overlay.Touched("PINTable.dat");
  const bool library = overlay.Touched("DLLPINTable.dat");
  if (full) {
    d->state = d->pin.kind == "missing" ? "absent" : "stale";
    d->next_call = "rebuilds both tables";
  } else if (library) {
    d->state = "library table stale";
    d->next_call = "rebuilds DLLPINTable.dat (PINTable.dat keeps its marks)";
  } else {
    d->state = "current";
    d->next_call = "rebuilds nothing";
  }
  return full;
}

// Every slot of the tables searched, with its state and the counts.
void ViewSlots(PinTables& tables, DayView* d) {
  d->have_slots = true;
  d->slots.reserve(kSlotCount);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    SlotView v = ViewSlot(tables, slot);
    v.in_window = slot >= d->window_first && slot <= d->minute;
    if (v.state == SlotState::kFree && slot < d->window_first) {
      v.state = SlotState::kPast;
    }
    switch (v.state) {
      case SlotState::kFree: ++d->counts.free; break;
      case SlotState::kTaken: ++d->counts.taken; break;
      case SlotState::kVoid: ++d->counts.void_; break;
      case SlotState::kPast: ++d->counts.past; break;
    }
    if (v.in_window && v.state == SlotState::kFree) ++d->counts.window_free;
    d->slots.push_back(v);
  }
}

}  // namespace

DayView ReadDayView(Env& env, const LibrarySettings& settings) {
  DayView d;
  const LocalTime now = env.Now();
  d.minute = now.hour * 60 + now.minute;
  d.window_first =
      settings.PINExpiry == 0 ? 0 : std::max(0, d.minute - settings.PINExpiry);
  d.pin = ViewFile(env, JoinPath(env, settings.Pathtopintable, "PINTable.dat"));
  d.dll =
      ViewFile(env, JoinPath(env, settings.Pathtopintable, "DLLPINTable.dat"));

  ReadOnlyOverlayEnv overlay(env);
  Refusal why;
  TableCall call(overlay, settings, Caller::kZoltResult, &why);
  std::vector<std::string> leftovers;
  d.refresh = CheckDataFolder(overlay, settings, &leftovers);
  if (d.refresh == Code::kOk) d.refresh = RefreshPinTables(call);
  if (d.refresh == Code::kDataFolder) {
    d.state = "unknown";
    d.next_call = "stops: the data folder cannot be listed (-430)";
    return d;
  }
  const bool full = TellRefresh(overlay, &d);
  if (d.refresh != Code::kOk) {
    d.next_call += ", but is refused (" + std::to_string(ToInt(d.refresh)) + ")";
    return d;
  }
  // The search rebuilds a library table that fails its checks before it
  // answers; the slots shown are those of the tables it then searches.
  const size_t before_search = overlay.changes().size();
  FreeSlot found;
  const Code searched = FindFreeSlot(call, &found);
  if (overlay.changes().size() > before_search && !full) {
    d.state = "library table stale";
    d.next_call =
        "rebuilds DLLPINTable.dat, which fails the search's checks "
        "(PINTable.dat keeps its marks)";
  }
  if (searched != Code::kOk && searched != Code::kSoldOut &&
      searched != Code::kWindow) {
    d.refresh = searched;
    d.next_call += ", but is refused (" + std::to_string(ToInt(searched)) + ")";
    return d;
  }
  ViewSlots(call.tables, &d);
  return d;
}

}  // namespace zolt::cli
