#include "profile/profile_scan.h"

namespace zolt {
namespace {

// The value of a canonical decimal key below `count` ("0", "17", "1440"; no
// sign, blank or leading zero, as std::to_string writes it), else -1.
int NumberOf(std::string_view name, int count) {
  if (name.empty() || name.size() > 9 || (name[0] == '0' && name.size() > 1)) {
    return -1;
  }
  int n = 0;
  for (char c : name) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n < count ? n : -1;
}

bool HasByteOrderMark(std::string_view b) {
  return b.substr(0, 3) == "\xEF\xBB\xBF" || b.substr(0, 2) == "\xFF\xFE" ||
         b.substr(0, 2) == "\xFE\xFF";
}

}  // namespace

ProfileScan::ProfileScan(std::string_view bytes, std::string_view section,
                         std::initializer_list<std::string_view> names,
                         int numbered_count)
    : bytes_(bytes),
      usable_(!HasByteOrderMark(bytes)),
      section_(profile_syntax::Field(section)),
      named_(names.size()),
      numbered_(static_cast<std::size_t>(numbered_count)) {
  for (std::string_view n : names) names_.push_back(profile_syntax::Field(n));
  // Lines before the first header form the top section, named "".
  in_section_ = section_seen_ = section_.empty();
}

void ProfileScan::Record(Slot* slot, const profile_syntax::Line& line) {
  if (slot->state != kUnseen) return;  // the first entry of a name wins
  slot->state = line.has_value ? kValue : kNoValue;
  slot->offset = static_cast<uint32_t>(line.value_offset);
  slot->length = static_cast<uint32_t>(line.value.size());
}

template <typename Done>
void ProfileScan::ScanUntil(Done done) {
  profile_syntax::Line line;
  while (!section_over_ && !done()) {
    if (!profile_syntax::NextLine(bytes_, &pos_, &line)) {
      section_over_ = true;
      break;
    }
    if (line.header) {
      if (in_section_) {
        in_section_ = false;
        section_over_ = header_after_ = true;  // a later section of the
        break;                                 // same name does not count
      }
      if (!section_seen_ && profile_syntax::EqualFolded(line.name, section_)) {
        in_section_ = section_seen_ = true;
      }
      continue;
    }
    if (!in_section_) continue;
    for (std::size_t i = 0; i < names_.size(); ++i) {
      if (profile_syntax::EqualFolded(line.name, names_[i])) {
        Record(&named_[i], line);
      }
    }
    const int n = NumberOf(line.name, static_cast<int>(numbered_.size()));
    if (n >= 0) Record(&numbered_[static_cast<std::size_t>(n)], line);
  }
}

std::string ProfileScan::AnswerFor(const Slot& slot, std::string_view def,
                                   std::size_t size) const {
  if (slot.state == kValue) {
    return profile_syntax::Answer(bytes_.substr(slot.offset, slot.length),
                                  size);
  }
  return profile_syntax::Answer(profile_syntax::DefaultText(def), size);
}

std::string ProfileScan::Named(std::size_t i, std::string_view def,
                               std::size_t size) {
  ScanUntil([&] { return named_[i].state != kUnseen; });
  return AnswerFor(named_[i], def, size);
}

std::string ProfileScan::Numbered(int n, std::string_view def,
                                  std::size_t size) {
  const Slot& slot = numbered_[static_cast<std::size_t>(n)];
  ScanUntil([&] { return slot.state != kUnseen; });
  return AnswerFor(slot, def, size);
}

ProfileScan::Span ProfileScan::NumberedSpan(int n) {
  const Slot& slot = numbered_[static_cast<std::size_t>(n)];
  ScanUntil([&] { return slot.state != kUnseen; });
  Span span;
  span.present = slot.state != kUnseen;
  span.has_value = slot.state == kValue;
  span.offset = slot.offset;
  span.length = slot.length;
  return span;
}

bool ProfileScan::SectionFound() {
  ScanUntil([&] { return section_seen_; });
  return section_seen_;
}

bool ProfileScan::SectionIsLast() {
  ScanUntil([] { return false; });
  return section_seen_ && !header_after_;
}

}  // namespace zolt
