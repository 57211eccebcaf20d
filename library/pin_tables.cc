#include "library/pin_tables.h"

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <memory>

#include "library/number_text.h"
#include "library/slot_pin.h"
#include "library/table_lock.h"
#include "profile/profile.h"

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

int32_t RunDay(TableFile& file) { return ParseDecimal(file.RunDay("0")); }

int32_t DateNumber(const LocalTime& t) {
  return t.year * 10000 + t.month * 100 + t.day;
}

std::string DateText(int32_t date) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", date / 10000,
                date / 100 % 100, date % 100);
  return buf;
}

// A date key as the library writes it: eight digits of a calendar date.
int32_t ParseDate(std::string_view text) {
  if (text.size() != 8 ||
      !std::all_of(text.begin(), text.end(),
                   [](char c) { return c >= '0' && c <= '9'; })) {
    return 0;
  }
  const int32_t date = ParseDecimal(text);
  const int month = date / 100 % 100, day = date % 100;
  return month >= 1 && month <= 12 && day >= 1 && day <= 31 ? date : 0;
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

// A table file in words, for the cause of a refusal.
std::string Words(const TableCall& c, const TableFile* f) {
  return f == &c.tables.pin ? "the PIN table" : "the library table";
}

// The refusal of a call that holds no lock keeping other writers out.
Code ReadOnly(TableCall& c, const std::string& what) {
  return c.Refuse(Code::kUndetermined,
                  what + " needs a lock that keeps the other stations out; "
                         "this station can take none in the data folder (it "
                         "may not make " + std::string(kTableLockName) +
                         " there nor write " + kPinTableName +
                         ") and may only read the tables",
                  c.settings.Pathtopintable);
}

// Deletes a table file; when it is gone, what was loaded from it is too. A
// file this call found missing is not asked for again: it is still
// missing as far as the call knows, and a new one is never written over one
// that appeared meanwhile (TableFile::Save).
FileError Delete(Env& env, TableFile* file) {
  if (!file->exists()) return FileError::kNotFound;
  FileError e = env.RemoveFile(file->path());
  if (e == FileError::kNone || e == FileError::kNotFound) file->Clear();
  return e;
}

// Builds today's table and writes it: every slot into DLLPINTable.dat, the
// marks into PINTable.dat as well, each file stamped with today's date. A
// file whose deletion failed still holds an earlier day's [PINTable]; that
// section goes in the same write (the emptying). When PINTable.dat is kept
// (`keep_marks`, the library table alone rebuilt), its taken marks go into
// the new library table too, so that every mark stays in both files.
//
// Each file is written once, with its date and its table together, so that
// no reader and no crash ever meets a file dated today without its table.
// PINTable.dat goes first: where this call found it missing it is made new,
// never over one that is there after all, and the refusal then comes
// before DLLPINTable.dat is touched. kOk only when both are on disk as
// built. `left` names the files whose deletion failed: for the query a
// failed write of one of them is the failed emptying (-630).
Code BuildAndWrite(TableCall& c, const LocalTime& today, bool keep_marks,
                   const std::vector<TableFile*>& left = {}) {
  PinTables* t = &c.tables;
  if (!keep_marks) t->pin.profile().RemoveSection(kTableSection);
  t->dll.profile().RemoveSection(kTableSection);
  SetRunDate(today, &t->pin);
  SetRunDate(today, &t->dll);
  auto values = std::make_unique<int32_t[]>(kSlotCount);
  ComputeTable(c.env, c.settings, values.get());
  for (int slot = 0; slot < kSlotCount; ++slot) {
    std::string key = SlotKey(slot);
    const int32_t v = values[slot];
    const bool taken = keep_marks && !IsMark(v) &&
                       ParseHex(t->pin.Slot(slot, "0")) != 0;
    t->dll.profile().SetString(kTableSection, key, TableText(taken ? kTakenMark : v));
    if (IsMark(v)) t->pin.profile().SetString(kTableSection, key, TableText(v));
  }
  for (TableFile* f : {&t->pin, &t->dll}) {
    const FileError e = f->Save(c.env);
    if (e == FileError::kNone) continue;
    const bool emptying = std::find(left.begin(), left.end(), f) != left.end();
    if (emptying && c.caller == Caller::kSoldOutQuery) {
      return c.Refuse(Code::kTableEmpty, "emptying " + Words(c, f),
                      f->path(), e);
    }
    return c.Refuse(Code::kUndetermined, "writing the rebuilt " +
                    Words(c, f).substr(4), f->path(), e);
  }
  return Code::kOk;
}

// A new day: both files are deleted and built again.
Code RebuildBoth(TableCall& c, int32_t table_day, const LocalTime& today) {
  if (!c.may_write) return ReadOnly(c, "Rebuilding the PIN tables for today");
  const bool query = c.caller == Caller::kSoldOutQuery;
  TableFile* failed = &c.tables.pin;
  FileError e = Delete(c.env, failed);
  if (e == FileError::kNone) e = Delete(c.env, failed = &c.tables.dll);
  const std::string& path = failed->path();
  if (e == FileError::kDenied) {
    return c.Refuse(Code::kDeleteDenied,
                    "deleting " + Words(c, failed), path, e);
  }
  if (e == FileError::kLink) {
    return c.Refuse(Code::kUndetermined,
                    "deleting " + Words(c, failed) +
                        " (a link is never followed or removed)", path, e);
  }
  if (query && table_day != 0) {
    if (e == FileError::kNotFound) {
      return c.Refuse(Code::kTableNotFound,
                      "deleting " + Words(c, failed), path, e);
    }
    if (e == FileError::kBadPath) {
      return c.Refuse(Code::kTableBadPath,
                      "deleting " + Words(c, failed), path, e);
    }
  }
  // Where a deletion failed for another cause the old table may still be
  // there: the rebuild's write empties its [PINTable] section (the old
  // day's marks are of no use today).
  std::vector<TableFile*> left;
  for (TableFile* f : {&c.tables.pin, &c.tables.dll}) {
    if (f->exists()) left.push_back(f);
  }
  return BuildAndWrite(c, today, /*keep_marks=*/false, left);
}

// The library table alone is stale: PINTable.dat keeps today's marks.
Code RebuildLibraryTable(TableCall& c, const LocalTime& today) {
  if (!c.may_write) return ReadOnly(c, "Rebuilding the library's PIN table");
  TableFile& dll = c.tables.dll;
  const FileError e = Delete(c.env, &dll);
  if (e == FileError::kDenied) {
    return c.Refuse(Code::kDeleteDenied, "deleting the stale library table",
                    dll.path(), e);
  }
  if (e == FileError::kLink) {
    return c.Refuse(Code::kUndetermined,
                    "deleting the stale library table (a link is never "
                    "followed or removed)", dll.path(), e);
  }
  return BuildAndWrite(c, today, /*keep_marks=*/true);
}

// Rebuilds what is not today's: both files at a new day, else the library
// table when it is stale or `library_damaged`. Tables dated later than
// today are never rebuilt backwards: this station's clock is behind the
// station that built them, and a rebuild for the earlier day would let the
// later day's PINs be issued again once that station rebuilds in turn.
Code BringUpToDate(TableCall& c, const LocalTime& today, bool library_damaged) {
  PinTables* t = &c.tables;
  for (TableFile* f : {&t->pin, &t->dll}) {
    const int32_t date = TableDate(*f);
    if (date > DateNumber(today)) {
      return c.Refuse(Code::kUndetermined,
                      Words(c, f) + " is dated " + DateText(date) +
                          ", later than this station's date " +
                          DateText(DateNumber(today)) +
                          ": this station's clock is behind the tables",
                      f->path());
    }
  }
  if (!BuiltToday(t->pin, today)) return RebuildBoth(c, RunDay(t->pin), today);
  if (library_damaged || !BuiltToday(t->dll, today)) {
    return RebuildLibraryTable(c, today);
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

// Whether a leftover temporary file is one the library wrote: empty (cut
// short before its first byte), or a table dated by the library.
bool IsOwnLeftover(const std::string& bytes) {
  if (bytes.empty()) return true;
  return ParseDate(ProfileFile::Parse(bytes).GetString(kOtherSection,
                                                       kRunDateKey, "")) != 0;
}

}  // namespace

Code TableCall::Refuse(Code code, std::string step, const std::string& path,
                       FileError error) {
  return RefuseWith(env, why, code, std::move(step), path, error);
}

std::string TableText(int32_t value) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%04X", static_cast<unsigned>(value));
  return buf;
}

int32_t TableDate(TableFile& file) { return ParseDate(file.RunDate("")); }

void ComputeTable(Env& env, const LibrarySettings& s,
                  int32_t values[kSlotCount]) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    values[slot] =
        SlotPin(env, slot, s.Season, s.PINcrypt, s.Vendor, s.Location);
  }
  MarkVoidAndDuplicates(values);
}

Code CheckDataFolder(Env& env, const LibrarySettings& s,
                     std::vector<std::string>* leftovers, Refusal* why) {
  leftovers->clear();
  // An empty path would put the tables in the root of the current drive.
  if (s.Pathtopintable.empty()) {
    return RefuseWith(env, why, Code::kDataFolder,
                      "the data folder (Pathtopintable) is empty");
  }
  constexpr size_t kLongestName =
      std::max({sizeof(kDllTableName) - 1, sizeof(kPinTableName) - 1,
                sizeof(kTableLockName) - 1, kTemporaryNameLength});
  if (s.Pathtopintable.size() + 1 + kLongestName > env.MaxPathLength()) {
    return RefuseWith(env, why, Code::kDataFolder,
                      "the data folder's path is too long for the platform "
                      "(at most " +
                          std::to_string(env.MaxPathLength() - 1 - kLongestName) +
                          " characters)",
                      s.Pathtopintable);
  }
  std::vector<std::string> names;
  if (!env.ListFolder(s.Pathtopintable, &names)) {
    return RefuseWith(env, why, Code::kDataFolder,
                      "listing the data folder (Pathtopintable)",
                      s.Pathtopintable, FileError::kBadPath);
  }
  for (std::string& name : names) {
    if (IsTemporaryFileName(name)) leftovers->push_back(std::move(name));
  }
  return Code::kOk;
}

void RemoveLeftovers(Env& env, const LibrarySettings& s,
                     const std::vector<std::string>& leftovers) {
  for (const std::string& name : leftovers) {
    const std::string path = JoinPath(env, s.Pathtopintable, name);
    std::string bytes;
    if (env.ReadFile(path, &bytes) == FileError::kNone && IsOwnLeftover(bytes)) {
      env.RemoveFile(path);
    }
  }
}

Code RefreshPinTables(TableCall& c) {
  const std::string& folder = c.settings.Pathtopintable;
  for (auto [file, name] : {std::pair{&c.tables.pin, kPinTableName},
                            std::pair{&c.tables.dll, kDllTableName}}) {
    const std::string path = JoinPath(c.env, folder, name);
    const FileError e = file->Load(c.env, path);
    // Only a missing file is missing: one that cannot be read may hold
    // today's marks, and nothing is decided from it.
    if (e != FileError::kNone && e != FileError::kNotFound) {
      return c.Refuse(Code::kUndetermined, "reading " + Words(c, file), path, e);
    }
  }
  return BringUpToDate(c, c.env.Now(), false);
}

Code FindFreeSlot(TableCall& c, FreeSlot* found) {
  const LibrarySettings& s = c.settings;
  const LocalTime now = c.env.Now();
  const int minute = now.hour * 60 + now.minute;
  int first = s.PINExpiry == 0 ? 0 : minute - s.PINExpiry;
  if (first < 0) first = 0;
  if (first > 1440) return Code::kWindow;

  Code code = SearchWindow(s, c.tables, now, minute, first, found);
  if (code != Code::kTableDamaged) return code;
  code = BringUpToDate(c, now, true);
  if (code != Code::kOk) return code;
  code = SearchWindow(s, c.tables, now, minute, first, found);
  // A table just built for today cannot fail its checks, short of a clock
  // that moved to another day in between: no PIN from it.
  if (code != Code::kTableDamaged) return code;
  return c.Refuse(Code::kUndetermined,
                  "the library table just built fails its own checks (the "
                  "clock moved to another day meanwhile)",
                  c.tables.dll.path());
}

Code MarkSlotTaken(TableCall& c, int slot) {
  if (!c.may_write) return ReadOnly(c, "Writing the taken mark");
  for (TableFile* f : {&c.tables.dll, &c.tables.pin}) {
    const FileError e = f->MarkTaken(c.env, slot);
    if (e != FileError::kNone) {
      return c.Refuse(Code::kUndetermined,
                      "writing the taken mark into " + Words(c, f),
                      f->path(), e);
    }
  }
  return Code::kOk;
}

}  // namespace zolt
