// One PIN table file as a call sees it: read once, its [Other] dates and the
// [PINTable] slots the search reaches answered by the call path's scan (the
// engine reads a file the scan cannot: one with a byte-order mark), the
// whole profile parsed only for a rebuild, and the taken mark written in
// place where that cannot tear.
#ifndef ZOLT_LIBRARY_TABLE_FILE_H_
#define ZOLT_LIBRARY_TABLE_FILE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/env/env.h"
#include "profile/profile.h"
#include "profile/profile_scan.h"

namespace zolt {

class TableFile {
 public:
  TableFile() = default;
  // The scans point into the file's bytes: a table file stays where it is.
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  // Reads the file at `path`. kNone when it was read, kNotFound when it is
  // missing (it then reads as empty); any other answer means it could not
  // be read, and nothing may be decided from it.
  FileError Load(Env& env, const std::string& path);
  // What is left after the file was deleted: nothing.
  void Clear();
  const std::string& path() const { return path_; }
  // Whether the file is there, as far as this call knows.
  bool exists() const { return exists_; }

  // GetString("Other", "LastPINRunDay" / "LastPINRunDate", def).
  std::string RunDay(std::string_view def);
  std::string RunDate(std::string_view def);
  // GetString("PINTable", "<slot>", def).
  std::string Slot(int slot, std::string_view def);

  // The whole profile, parsed on first use (a rebuild); from then on every
  // read and write goes through it.
  ProfileFile& profile();
  // Writes the profile's changes (when there are any), atomically: over the
  // file when it is there, else as a new file, never over one that appeared
  // meanwhile (kExists).
  FileError Save(Env& env);

  // Writes the taken mark under `slot`: over the slot's four-character value
  // where it has one, else (marks files) as a line appended to [PINTable]
  // when that section ends the file; where neither can be done without a
  // risk of tearing (the bytes would cross a 512-byte sector, the layout is
  // unusual) the whole file is replaced, and only while it still holds the
  // bytes this call read or wrote (kOther otherwise: never a stale copy over
  // marks made since).
  FileError MarkTaken(Env& env, int slot);

  // The in-place form of the mark, worked out from the bytes alone: where
  // to write what. Empty `bytes` when the whole file must be replaced.
  struct InPlace {
    uint64_t offset = 0;
    std::string bytes;
  };
  InPlace MarkInPlace(int slot);

 private:
  ProfileScan& Other();
  ProfileScan& Table();

  std::string path_;
  // The file's bytes as this call last read or wrote them.
  std::string bytes_;
  bool exists_ = false;
  std::optional<ProfileScan> other_, table_;
  std::optional<ProfileFile> profile_;
};

}  // namespace zolt

#endif  // ZOLT_LIBRARY_TABLE_FILE_H_
