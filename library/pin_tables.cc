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

std::string SlotKey(int slot) { return std::to_string(slot); }

bool IsMark(int32_t v) { return v == kTakenMark || v == kVoidMark; }

int32_t RunDay(const ProfileFile& file) {
  return ParseDecimal(file.GetString(kOtherSection, kRunDayKey, "0"));
}

void WriteRunDay(Env& env, int day, ProfileFile* file, const std::string& path) {
  file->SetString(kOtherSection, kRunDayKey, std::to_string(day));
  file->Save(env, path);
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

// Computes the table and writes it: every slot into DLLPINTable.dat, the
// marks into PINTable.dat as well.
void BuildAndWrite(Env& env, const LibrarySettings& s, PinTables* t) {
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
                 int32_t table_day, int today, PinTables* t) {
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

  WriteRunDay(env, today, &t->pin, t->pin_path);
  WriteRunDay(env, today, &t->dll, t->dll_path);
  BuildAndWrite(env, s, t);
  return Code::kOk;
}

// The library table alone is stale: PINTable.dat keeps today's marks.
Code RebuildLibraryTable(Env& env, const LibrarySettings& s, int today,
                         PinTables* t) {
  if (Delete(env, t->dll_path, &t->dll) == FileError::kDenied) {
    return Code::kDeleteDenied;
  }
  EmptyTableSection(env, &t->dll, t->dll_path);
  WriteRunDay(env, today, &t->pin, t->pin_path);
  WriteRunDay(env, today, &t->dll, t->dll_path);
  BuildAndWrite(env, s, t);
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

  const int32_t table_day = RunDay(t->pin);
  const int32_t library_day = RunDay(t->dll);
  const int today = env.Now().day;

  if (table_day != today) {
    return RebuildBoth(env, s, caller, table_day, today, t);
  }
  if (library_day != table_day) return RebuildLibraryTable(env, s, today, t);
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

