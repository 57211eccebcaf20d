// A reader for a few keys of one section of a profile file, for the
// library's call path: one forward pass over the file's bytes that stops as
// soon as every key asked for is known, without allocating per line. It
// answers exactly as ProfileFile::GetString does (both read lines by
// profile_syntax.h: case, blanks, quotes, NULs, duplicate sections and keys,
// first match wins), for a file without a byte-order mark; usable() is false
// for the others, which ProfileFile reads.
//
// It serves named keys (a short list given up front) and numbered keys
// "0" .. "count-1" (the slots of a PIN table), and tells where in the bytes
// an entry's value lies, so that a mark can be written over it in place.
#ifndef ZOLT_PROFILE_PROFILE_SCAN_H_
#define ZOLT_PROFILE_PROFILE_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "profile/profile_syntax.h"

namespace zolt {

class ProfileScan {
 public:
  // `bytes` must outlive the scan. Section and names are taken as the
  // engine takes its arguments (up to a NUL, trimmed).
  ProfileScan(std::string_view bytes, std::string_view section,
              std::initializer_list<std::string_view> names,
              int numbered_count);

  bool usable() const { return usable_; }

  // GetString(section, names[i], def, size).
  std::string Named(std::size_t i, std::string_view def, std::size_t size = 256);
  // GetString(section, std::to_string(n), def, size), 0 <= n < count.
  std::string Numbered(int n, std::string_view def, std::size_t size = 256);

  // The first entry of numbered key n: whether there is one (with or
  // without a value), and where its value lies in the bytes.
  struct Span {
    bool present = false;
    bool has_value = false;
    std::size_t offset = 0;
    std::size_t length = 0;
  };
  Span NumberedSpan(int n);

  // Whether the section is there, and whether nothing but its own lines
  // follows it (no later header): what a new key written at the end of the
  // section would then be, a line appended to the file. Reads to the end.
  bool SectionFound();
  bool SectionIsLast();

 private:
  struct Slot {
    uint32_t offset = 0;
    uint32_t length = 0;
    int8_t state = kUnseen;
  };
  static constexpr int8_t kUnseen = 0, kNoValue = 1, kValue = 2;

  // Reads lines until `done()` holds or the section has ended.
  template <typename Done>
  void ScanUntil(Done done);
  void Record(Slot* slot, const profile_syntax::Line& line);
  std::string AnswerFor(const Slot& slot, std::string_view def,
                        std::size_t size) const;

  std::string_view bytes_;
  bool usable_ = true;
  std::string_view section_;
  std::vector<std::string_view> names_;
  std::vector<Slot> named_;
  std::vector<Slot> numbered_;
  std::size_t pos_ = 0;
  bool in_section_;          // the line read last belongs to the section
  bool section_seen_;        // its header (or the top of the file) was met
  bool section_over_ = false;  // a later header, or the end: nothing more
  bool header_after_ = false;  // a header follows the section
};

}  // namespace zolt

#endif  // ZOLT_PROFILE_PROFILE_SCAN_H_
