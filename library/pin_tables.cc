#include "library/pin_tables.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <memory>

#include "library/number_text.h"
#include "library/slot_pin.h"
#include "library/table_lock.h"

namespace zolt {
namespace {

constexpr char kTableSection[] = "PINTable";
constexpr char kOtherSection[] = "Other";
constexpr char kRunDayKey[] = "LastPINRunDay";
// The full date of the build, YYYYMMDD. The day of the month alone would
// let a table of the same day of an earlier month pass for today's.
constexpr char kRunDateKey[] = "LastPINRunDate";
constexpr char kPinTableName[] = "PINTable.dat";
constexpr char kDllTableName[] = "DLLPINTable.dat";

std::string SlotKey(int slot) { return std::to_string(slot); }

bool IsMark(int32_t v) { return v == kTakenMark || v == kVoidMark; }

int32_t RunDay(TableFile& file) { return ParseDecimal(file.RunDay("0")); }

int32_t DateNumber(const LocalTime& t) {
  return t.year * 10000 + t.month * 100 + t.day;
}

// Whether a table file was built today: by its full date when it has one,
// else (a file written by a station that does not know the date key) by the
// day of the month.
bool BuiltToday(TableFile& file, const LocalTime& today) {
  std::string date = file.RunDate("");
  if (!date.empty()) return ParseDecimal(date) == DateNumber(today);
  return RunDay(file) == today.day;
}

void SetRunDate(const LocalTime& today, TableFile* file) {
  ProfileFile& p = file->profile();
  p.SetString(kOtherSection, kRunDayKey, std::to_string(today.day));
  p.SetString(kOtherSection, kRunDateKey, std::to_string(DateNumber(today)));
}

// Deletes a table file; when it is gone, what was loaded from it is too.
FileError Delete(Env& env, TableFile* file) {
  FileError e = env.RemoveFile(file->path());
  if (e == FileError::kNone) file->Clear();
  return e;
}

// Empties the [PINTable] section and writes the file out when that changed
// it. False when the write failed.
bool EmptyTableSection(Env& env, TableFile* file) {
  file->profile().RemoveSection(kTableSection);
  return file->Save(env) == FileError::kNone;
}

// Stamps both files with today, computes the table and writes it: every
// slot into DLLPINTable.dat, the marks into PINTable.dat as well. Each file
// is written once, with its date and its table together, so that no reader
// and no crash ever meets a file dated today without its table. kOk only
// when both files are on disk as built.
Code BuildAndWrite(Env& env, const LibrarySettings& s, const LocalTime& today,
                   PinTables* t) {
  SetRunDate(today, &t->pin);
  SetRunDate(today, &t->dll);
  auto values = std::make_unique<int32_t[]>(kSlotCount);
  ComputeTable(env, s, values.get());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string key = SlotKey(slot);
    std::string text = TableText(values[slot]);
    t->dll.profile().SetString(kTableSection, key, text);
    if (IsMark(values[slot])) t->pin.profile().SetString(kTableSection, key, text);
  }
  if (t->dll.Save(env) != FileError::kNone ||
      t->pin.Save(env) != FileError::kNone) {
    return Code::kTablesUnwritable;
  }
  return Code::kOk;
}

// A new day: both files are deleted and built again.
Code RebuildBoth(Env& env, const LibrarySettings& s, Caller caller,
                 int32_t table_day, const LocalTime& today, PinTables* t) {
  const bool query = caller == Caller::kSoldOutQuery;
  FileError e = Delete(env, &t->pin);
  if (e == FileError::kNone) e = Delete(env, &t->dll);
  if (e == FileError::kDenied) return Code::kDeleteDenied;
  if (query && table_day != 0) {
    if (e == FileError::kNotFound) return Code::kTableNotFound;
    if (e == FileError::kBadPath) return Code::kTableBadPath;
  }

  const bool pin_emptied = EmptyTableSection(env, &t->pin);
  if (query && !pin_emptied) return Code::kTableEmpty;
  const bool dll_emptied = EmptyTableSection(env, &t->dll);
  if (query && !dll_emptied) return Code::kTableEmpty;

  return BuildAndWrite(env, s, today, t);
}

// The library table alone is stale: PINTable.dat keeps today's marks.
Code RebuildLibraryTable(Env& env, const LibrarySettings& s,
                         const LocalTime& today, PinTables* t) {
  if (Delete(env, &t->dll) == FileError::kDenied) {
    return Code::kDeleteDenied;
  }
  EmptyTableSection(env, &t->dll);
  return BuildAndWrite(env, s, today, t);
}

// Rebuilds what is not today's: both files at a new day, else the library
// table when it is stale or `library_damaged`.
Code BringUpToDate(Env& env, const LibrarySettings& s, Caller caller,
                   const LocalTime& today, bool library_damaged,
                   PinTables* t) {
  if (!BuiltToday(t->pin, today)) {
    return RebuildBoth(env, s, caller, RunDay(t->pin), today, t);
  }
  if (library_damaged || !BuiltToday(t->dll, today)) {
    return RebuildLibraryTable(env, s, today, t);
  }
  return Code::kOk;
}

// The value a build on `date` gives a slot. Within one date no two slots
// share a generator value (their messages differ only in the two adjacent
// slot bytes, and a 16-bit CRC tells apart any two messages that differ
// within 16 adjacent bits), so a build that does not cross midnight marks no
// duplicates: the value is the generator's, or the void mark.
int32_t BuiltValue(const LibrarySettings& s, int slot, const LocalTime& date) {
  const int32_t v =
      SlotPinForDate(slot, s.Season, s.PINcrypt, s.Vendor, s.Location, date);
  return v > kLargestPinValue ? kVoidMark : v;
}

// The search itself, from `minute` down to `first`. A slot is free when
// PINTable.dat has no non-zero entry for it and DLLPINTable.dat holds the
// value the build gives it today. kTableDamaged when an entry it reaches in
// DLLPINTable.dat is missing or holds anything but that value or the taken
// mark.
Code SearchWindow(const LibrarySettings& s, PinTables& t, const LocalTime& now,
                  int minute, int first, FreeSlot* found) {
  for (int slot = minute; slot >= first; --slot) {
    if (ParseHex(t.pin.Slot(slot, "0")) != 0) continue;
    const std::string text = t.dll.Slot(slot, "");
    if (text.empty()) return Code::kTableDamaged;
    const int32_t v = ParseHex(text);
    if (v == kTakenMark) continue;
    if (v != BuiltValue(s, slot, now)) return Code::kTableDamaged;
    if (IsMark(v)) continue;
    found->slot = slot;
    found->value = v;
    found->sale_time = now;
    return Code::kOk;
  }
  return Code::kSoldOut;
}

// Of several slots with one value the lowest keeps it and every later one
// becomes a taken mark; values above the largest PIN value are void. A value
// that equals a mark counts as that mark.
void MarkVoidAndDuplicates(int32_t values[kSlotCount]) {
  std::bitset<65536> seen;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    int32_t v = values[slot];
    if (v > kLargestPinValue) v = values[slot] = kVoidMark;
    if (IsMark(v)) continue;
    if (seen.test(static_cast<size_t>(v))) {
      values[slot] = kTakenMark;
    } else {
      seen.set(static_cast<size_t>(v));
    }
  }
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
    values[slot] =
        SlotPin(env, slot, s.Season, s.PINcrypt, s.Vendor, s.Location);
  }
  MarkVoidAndDuplicates(values);
}

Code CheckDataFolder(Env& env, const LibrarySettings& s,
                     std::vector<std::string>* leftovers) {
  leftovers->clear();
  // An empty path would put the tables in the root of the current drive.
  if (s.Pathtopintable.empty()) return Code::kDataFolder;
  constexpr size_t kLongestName =
      std::max({sizeof(kDllTableName) - 1, sizeof(kPinTableName) - 1,
                sizeof(kTableLockName) - 1, kTemporaryNameLength});
  if (s.Pathtopintable.size() + 1 + kLongestName > env.MaxPathLength()) {
    return Code::kDataFolder;
  }
  std::vector<std::string> names;
  if (!env.ListFolder(s.Pathtopintable, &names)) return Code::kDataFolder;
  for (std::string& name : names) {
    if (IsTemporaryFileName(name)) leftovers->push_back(std::move(name));
  }
  return Code::kOk;
}

void RemoveLeftovers(Env& env, const LibrarySettings& s,
                     const std::vector<std::string>& leftovers) {
  for (const std::string& name : leftovers) {
    env.RemoveFile(JoinPath(env, s.Pathtopintable, name));
  }
}

Code RefreshPinTables(Env& env, const LibrarySettings& s, Caller caller,
                      PinTables* t) {
  t->pin.Load(env, JoinPath(env, s.Pathtopintable, kPinTableName));
  t->dll.Load(env, JoinPath(env, s.Pathtopintable, kDllTableName));
  return BringUpToDate(env, s, caller, env.Now(), false, t);
}

Code FindFreeSlot(Env& env, const LibrarySettings& s, Caller caller,
                  PinTables* t, FreeSlot* found) {
  const LocalTime now = env.Now();
  const int minute = now.hour * 60 + now.minute;
  int first = s.PINExpiry == 0 ? 0 : minute - s.PINExpiry;
  if (first < 0) first = 0;
  if (first > 1440) return Code::kWindow;

  Code c = SearchWindow(s, *t, now, minute, first, found);
  if (c != Code::kTableDamaged) return c;
  c = BringUpToDate(env, s, caller, now, true, t);
  if (c != Code::kOk) return c;
  c = SearchWindow(s, *t, now, minute, first, found);
  // A table just built for today cannot fail its checks, short of a clock
  // that moved to another day in between: no PIN from it.
  return c == Code::kTableDamaged ? Code::kTablesUnwritable : c;
}

Code MarkSlotTaken(Env& env, int slot, PinTables* t) {
  if (t->dll.MarkTaken(env, slot) != FileError::kNone ||
      t->pin.MarkTaken(env, slot) != FileError::kNone) {
    return Code::kTablesUnwritable;
  }
  return Code::kOk;
}

}  // namespace zolt

