#include "library/table_file.h"

#include "library/pin_tables.h"

namespace zolt {
namespace {

constexpr char kOtherSection[] = "Other";
constexpr char kTableSection[] = "PINTable";
constexpr char kMark[] = "270E";
// A write that stays within one sector of the disk is whole or absent
// after a power loss; one across a sector boundary may be half there.
constexpr uint64_t kSector = 512;

bool WithinOneSector(uint64_t offset, uint64_t length) {
  return offset % kSector + length <= kSector;
}

}  // namespace

FileError TableFile::Load(Env& env, const std::string& path) {
  path_ = path;
  other_.reset();
  table_.reset();
  profile_.reset();
  const FileError e = env.ReadFile(path, &bytes_);
  exists_ = e == FileError::kNone;
  if (e != FileError::kNone) bytes_.clear();
  return e == FileError::kNotFound ? FileError::kNotFound : e;
}

void TableFile::Clear() {
  bytes_.clear();
  exists_ = false;
  other_.reset();
  table_.reset();
  profile_.emplace();  // the file is gone: an empty profile is the truth
}

ProfileScan& TableFile::Other() {
  if (!other_) {
    other_.emplace(bytes_, kOtherSection,
                   std::initializer_list<std::string_view>{"LastPINRunDay",
                                                           "LastPINRunDate"},
                   0);
  }
  return *other_;
}

ProfileScan& TableFile::Table() {
  if (!table_) {
    table_.emplace(bytes_, kTableSection,
                   std::initializer_list<std::string_view>{}, kSlotCount);
  }
  return *table_;
}

std::string TableFile::RunDay(std::string_view def) {
  if (profile_ || !Other().usable()) {
    return profile().GetString(kOtherSection, "LastPINRunDay", def);
  }
  return Other().Named(0, def);
}

std::string TableFile::RunDate(std::string_view def) {
  if (profile_ || !Other().usable()) {
    return profile().GetString(kOtherSection, "LastPINRunDate", def);
  }
  return Other().Named(1, def);
}

std::string TableFile::Slot(int slot, std::string_view def) {
  if (profile_ || !Table().usable()) {
    return profile().GetString(kTableSection, std::to_string(slot), def);
  }
  return Table().Numbered(slot, def);
}

ProfileFile& TableFile::profile() {
  if (!profile_) profile_.emplace(ProfileFile::Parse(bytes_));
  return *profile_;
}

FileError TableFile::Save(Env& env) {
  if (!profile().changed()) return FileError::kNone;
  if (exists_) {
    // The whole file is replaced by what this call made of it: only while
    // it holds what the call read or wrote, never a stale copy over marks
    // another writer made since.
    std::string now;
    const FileError e = env.ReadFile(path_, &now);
    if (e != FileError::kNone) return e;
    if (now != bytes_) return FileError::kOther;
  }
  std::string written;
  const FileError e = profile().Save(
      env, path_, exists_ ? Expect::kExisting : Expect::kNew, &written);
  if (e == FileError::kNone) {
    // From now on the call reads the file as written, by the scan, and may
    // mark it in place.
    exists_ = true;
    bytes_ = std::move(written);
    other_.reset();
    table_.reset();
    profile_.reset();
  }
  return e;
}

TableFile::InPlace TableFile::MarkInPlace(int slot) {
  InPlace none;
  if (profile_ || !Table().usable()) return none;
  const ProfileScan::Span span = Table().NumberedSpan(slot);
  if (span.present) {
    // The value the build wrote: four characters, overwritten as they stand.
    if (!span.has_value || span.length != 4 ||
        !WithinOneSector(span.offset, 4)) {
      return none;
    }
    return InPlace{span.offset, kMark};
  }
  // A new key goes at the end of its section; when the section ends the
  // file, that is a line appended to a file whose last line is complete.
  if (bytes_.empty() || (bytes_.back() != '\n' && bytes_.back() != '\r') ||
      !Table().SectionIsLast()) {
    return none;
  }
  std::string line = std::to_string(slot) + "=" + kMark + "\r\n";
  if (!WithinOneSector(bytes_.size(), line.size())) return none;
  return InPlace{bytes_.size(), std::move(line)};
}

FileError TableFile::MarkTaken(Env& env, int slot) {
  const InPlace in_place = MarkInPlace(slot);
  if (!in_place.bytes.empty()) {
    // A refusal here (read-only, held elsewhere, a link, changed since it
    // was read) would meet the replacement alike.
    return env.WriteInPlace(path_, in_place.offset, in_place.bytes,
                            bytes_.size());
  }
  profile().SetString(kTableSection, std::to_string(slot), kMark);
  return Save(env);
}

}  // namespace zolt
