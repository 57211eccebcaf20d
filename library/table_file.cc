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

void TableFile::Load(Env& env, const std::string& path) {
  path_ = path;
  other_.reset();
  table_.reset();
  profile_.reset();
  if (env.ReadFile(path, &bytes_) != FileError::kNone) bytes_.clear();
}

void TableFile::Clear() {
  bytes_.clear();
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

FileError TableFile::Save(Env& env) { return profile().Save(env, path_); }

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
    FileError e = env.WriteInPlace(path_, in_place.offset, in_place.bytes,
                                   bytes_.size());
    // Read-only, held elsewhere: the replacement would be refused alike.
    if (e == FileError::kNone || e == FileError::kDenied ||
        e == FileError::kSharing) {
      return e;
    }
  }
  profile().SetString(kTableSection, std::to_string(slot), kMark);
  return Save(env);
}

}  // namespace zolt
