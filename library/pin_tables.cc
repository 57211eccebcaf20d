#include "library/pin_tables.h"

#include <bitset>
#include <cstdio>
#include <memory>

#include "library/number_text.h"
#include "library/slot_pin.h"

namespace zolt {
namespace {

constexpr char kTableSection[] = "PINTable";
constexpr char kOtherSection[] = "Other";
constexpr char kRunDayKey[] = "LastPINRunDay";
// The full date of the build, YYYYMMDD. The day of the month alone would
// let a table of the same day of an earlier month pass for today's.
constexpr char kRunDateKey[] = "LastPINRunDate";

std::string SlotKey(int slot) { return std::to_string(slot); }

bool IsMark(int32_t v) { return v == kTakenMark || v == kVoidMark; }

int32_t RunDay(const ProfileFile& file) {
  return ParseDecimal(file.GetString(kOtherSection, kRunDayKey, "0"));
}

int32_t DateNumber(const LocalTime& t) {
  return t.year * 10000 + t.month * 100 + t.day;
}

// Whether a table file was built today: by its full date when it has one,
// else (a file written by a station that does not know the date key) by the
// day of the month.
bool BuiltToday(const ProfileFile& file, const LocalTime& today) {
  std::string date = file.GetString(kOtherSection, kRunDateKey, "");
  if (!date.empty()) return ParseDecimal(date) == DateNumber(today);
  return RunDay(file) == today.day;
}

void SetRunDate(const LocalTime& today, ProfileFile* file) {
  file->SetString(kOtherSection, kRunDayKey, std::to_string(today.day));
  file->SetString(kOtherSection, kRunDateKey,
                  std::to_string(DateNumber(today)));
}

// Deletes a table file; when it is gone, what was loaded from it is too.
FileError Delete(Env& env, const std::string& path, ProfileFile* file) {
  FileError e = env.RemoveFile(path);
  if (e == FileError::kNone) *file = ProfileFile();
  return e;
}

// Empties the [PINTable] section and writes the file out when that changed
// it. False when the write failed.
bool EmptyTableSection(Env& env, ProfileFile* file, const std::string& path) {
  file->RemoveSection(kTableSection);
  return file->Save(env, path) == FileError::kNone;
}

// Stamps both files with today, computes the table and writes it: every
// slot into DLLPINTable.dat, the marks into PINTable.dat as well. Each file
// is written once, with its date and its table together, so that no reader
// and no crash ever meets a file dated today without its table.
void BuildAndWrite(Env& env, const LibrarySettings& s, const LocalTime& today,
                   PinTables* t) {
  SetRunDate(today, &t->pin);
  SetRunDate(today, &t->dll);
  auto values = std::make_unique<int32_t[]>(kSlotCount);
  ComputeTable(env, s, values.get());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string key = SlotKey(slot);
    std::string text = TableText(values[slot]);
    t->dll.SetString(kTableSection, key, text);
    if (IsMark(values[slot])) t->pin.SetString(kTableSection, key, text);
  }
  t->dll.Save(env, t->dll_path);
  t->pin.Save(env, t->pin_path);
}

// A new day: both files are deleted and built again.
Code RebuildBoth(Env& env, const LibrarySettings& s, Caller caller,
                 int32_t table_day, const LocalTime& today, PinTables* t) {
  const bool query = caller == Caller::kSoldOutQuery;
  FileError e = Delete(env, t->pin_path, &t->pin);
  if (e == FileError::kNone) e = Delete(env, t->dll_path, &t->dll);
  if (e == FileError::kDenied) return Code::kDeleteDenied;
  if (query && table_day != 0) {
    if (e == FileError::kNotFound) return Code::kTableNotFound;
    if (e == FileError::kBadPath) return Code::kTableBadPath;
  }

  const bool pin_emptied = EmptyTableSection(env, &t->pin, t->pin_path);
  if (query && !pin_emptied) return Code::kTableEmpty;
  const bool dll_emptied = EmptyTableSection(env, &t->dll, t->dll_path);
  if (query && !dll_emptied) return Code::kTableEmpty;

  BuildAndWrite(env, s, today, t);
  return Code::kOk;
}

// The library table alone is stale: PINTable.dat keeps today's marks.
Code RebuildLibraryTable(Env& env, const LibrarySettings& s,
                         const LocalTime& today, PinTables* t) {
  if (Delete(env, t->dll_path, &t->dll) == FileError::kDenied) {
    return Code::kDeleteDenied;
  }
  EmptyTableSection(env, &t->dll, t->dll_path);
  BuildAndWrite(env, s, today, t);
  return Code::kOk;
}

}  // namespace

std::string TableText(int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%04X", static_cast<unsigned>(value));
  return buf;
}

void ComputeTable(Env& env, const LibrarySettings& s,
                  int32_t values[kSlotCount]) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    int32_t v = SlotPin(env, slot, s.Season, s.PINcrypt, s.Vendor, s.Location);
    values[slot] = v > kLargestPinValue ? kVoidMark : v;
  }
  // Of several slots with one value the lowest keeps it and every later one
  // becomes a taken mark. A value that equals a mark counts as that mark.
  std::bitset<65536> seen;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    int32_t v = values[slot];
    if (IsMark(v)) continue;
    if (seen.test(static_cast<size_t>(v))) {
      values[slot] = kTakenMark;
    } else {
      seen.set(static_cast<size_t>(v));
    }
  }
}

Code RefreshPinTables(Env& env, const LibrarySettings& s, Caller caller,
                      PinTables* t) {
  if (!env.FolderHasEntries(s.Pathtopintable)) return Code::kDataFolder;
  t->pin_path = JoinPath(env, s.Pathtopintable, "PINTable.dat");
  t->dll_path = JoinPath(env, s.Pathtopintable, "DLLPINTable.dat");
  t->pin = ProfileFile::Load(env, t->pin_path);
  t->dll = ProfileFile::Load(env, t->dll_path);

  const LocalTime today = env.Now();
  if (!BuiltToday(t->pin, today)) {
    return RebuildBoth(env, s, caller, RunDay(t->pin), today, t);
  }
  if (!BuiltToday(t->dll, today)) return RebuildLibraryTable(env, s, today, t);
  return Code::kOk;
}

Code FindFreeSlot(Env& env, const LibrarySettings& s, const PinTables& t,
                  FreeSlot* found) {
  const LocalTime now = env.Now();
  const int minute = now.hour * 60 + now.minute;
  int first = s.PINExpiry == 0 ? 0 : minute - s.PINExpiry;
  if (first < 0) first = 0;
  if (first > 1440) return Code::kWindow;

  for (int slot = minute; slot >= first; --slot) {
    std::string key = SlotKey(slot);
    if (ParseHex(t.pin.GetString(kTableSection, key, "0")) != 0) continue;
    int32_t v = ParseHex(t.dll.GetString(kTableSection, key, "270F"));
    if (IsMark(v)) continue;
    // A value the generator cannot produce is a damaged entry: never turn
    // it into a PIN.
    if (v < 0 || v > kLargestPinValue) continue;
    found->slot = slot;
    found->value = v;
    found->sale_time = now;
    return Code::kOk;
  }
  return Code::kSoldOut;
}

void MarkSlotTaken(Env& env, int slot, PinTables* t) {
  const std::string key = SlotKey(slot);
  const std::string mark = TableText(kTakenMark);
  t->dll.SetString(kTableSection, key, mark);
  t->dll.Save(env, t->dll_path);
  t->pin.SetString(kTableSection, key, mark);
  t->pin.Save(env, t->pin_path);
}

}  // namespace zolt

