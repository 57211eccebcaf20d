// The profile engine. Map of this file:
//  - text helpers: blanks, ASCII case folding, NUL cuts;
//  - encodings: BOM detection, Windows-1252 <-> Unicode, UTF-8 and UTF-16;
//  - the model (sections of entries, with lazily built name indexes);
//  - parsing, lookups, changes and serialization.
//
// A file without a BOM is held as its own Windows-1252 bytes. A Unicode file
// (UTF-8 or UTF-16 with a BOM) is held as UTF-8, where lone UTF-16
// surrogates are kept as three-byte sequences so that lines nobody changed
// are written back unchanged; arguments are converted to that form and
// results back to Windows-1252. Blanks, quotes, '=', '[', ']', line ends and
// NUL are ASCII in every form, so one parser and one matcher serve all four.
#include "profile/profile.h"

#include "profile/profile_syntax.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace zolt {
namespace {

// ---------------------------------------------------------------- text ----

using profile_syntax::CutAtNul;
using profile_syntax::Field;
using profile_syntax::Trim;

// Names match without regard to ASCII case only (é and É differ).
std::string Fold(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

// ----------------------------------------------------------- encodings ----

enum class Encoding { kAnsi, kUtf8, kUtf16Le, kUtf16Be };

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 for 0x80..0x9F; the five unassigned bytes stand for the C1
// control of the same number, as the platform's table has it, so every byte
// survives a round trip through Unicode.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t AnsiToCodePoint(unsigned char b) {
  return (b >= 0x80 && b < 0xA0) ? kCp1252High[b - 0x80] : b;
}

// The Windows-1252 byte of a code point, or '?' when it has none.
char CodePointToAnsi(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kCp1252High[i] == cp) return static_cast<char>(0x80 + i);
  }
  return '?';
}

// UTF-8, extended to lone surrogates (three bytes each).
void AppendUtf8(char32_t cp, std::string* out) {
  if (cp < 0x80) {
    out->push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out->push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out->push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// Reads one code point of held text at *i and advances past it. Held text
// is well formed (it was decoded or converted on the way in); a stray byte
// is taken as U+FFFD all the same.
char32_t NextCodePoint(std::string_view s, std::size_t* i) {
  unsigned char b = static_cast<unsigned char>(s[*i]);
  int len = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 0;
  if (len == 0 || *i + len > s.size()) {
    ++*i;
    return kReplacement;
  }
  char32_t cp = len == 1 ? b : b & (0x7F >> len);
  for (int k = 1; k < len; ++k) {
    cp = (cp << 6) | (static_cast<unsigned char>(s[*i + k]) & 0x3F);
  }
  *i += len;
  return cp;
}

// Length of the valid UTF-8 sequence at s[i], or 0 when there is none
// (overlong forms, surrogates and values past U+10FFFF are invalid).
std::size_t ValidUtf8Length(std::string_view s, std::size_t i) {
  auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char b = at(i);
  if (b < 0x80) return 1;
  std::size_t len;
  unsigned char lo = 0x80, hi = 0xBF;
  if (b >= 0xC2 && b <= 0xDF) {
    len = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + len > s.size()) return 0;
  if (at(i + 1) < lo || at(i + 1) > hi) return 0;
  for (std::size_t k = 2; k < len; ++k) {
    if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
  }
  return len;
}

// A UTF-8 file's text with every invalid byte replaced by U+FFFD.
std::string DecodeUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    std::size_t len = ValidUtf8Length(s, i);
    if (len == 0) {
      AppendUtf8(kReplacement, &out);
      ++i;
    } else {
      out.append(s, i, len);
      i += len;
    }
  }
  return out;
}

// A UTF-16 file's text. An odd last byte counts as a unit whose other byte
// is zero.
std::string DecodeUtf16(std::string_view s, bool big_endian) {
  std::vector<char16_t> units;
  units.reserve(s.size() / 2 + 1);
  for (std::size_t i = 0; i < s.size(); i += 2) {
    unsigned a = static_cast<unsigned char>(s[i]);
    unsigned b = i + 1 < s.size() ? static_cast<unsigned char>(s[i + 1]) : 0;
    units.push_back(static_cast<char16_t>(big_endian ? (a << 8) | b
                                                     : (b << 8) | a));
  }
  std::string out;
  out.reserve(units.size());
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() &&
        units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      u = 0x10000 + ((u - 0xD800) << 10) + (units[i + 1] - 0xDC00);
      ++i;
    }
    AppendUtf8(u, &out);
  }
  return out;
}

void AppendUtf16Unit(char16_t u, bool big_endian, std::string* out) {
  char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
  out->push_back(big_endian ? hi : lo);
  out->push_back(big_endian ? lo : hi);
}

std::string EncodeUtf16(std::string_view held, bool big_endian) {
  std::string out;
  out.reserve(held.size() * 2 + 2);
  AppendUtf16Unit(0xFEFF, big_endian, &out);
  for (std::size_t i = 0; i < held.size();) {
    char32_t cp = NextCodePoint(held, &i);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      AppendUtf16Unit(static_cast<char16_t>(0xD800 + (cp >> 10)), big_endian,
                      &out);
      AppendUtf16Unit(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)), big_endian,
                      &out);
    } else {
      AppendUtf16Unit(static_cast<char16_t>(cp), big_endian, &out);
    }
  }
  return out;
}

Encoding DetectEncoding(std::string_view bytes, std::string_view* body) {
  if (bytes.substr(0, 3) == kUtf8Bom) {
    *body = bytes.substr(3);
    return Encoding::kUtf8;
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
    *body = bytes.substr(2);
    return Encoding::kUtf16Le;
  }
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') {
    *body = bytes.substr(2);
    return Encoding::kUtf16Be;
  }
  *body = bytes;
  return Encoding::kAnsi;
}

// ---------------------------------------------------------------- model ----

struct Entry {
  std::string name;
  std::string value;
  bool has_value = false;
};

struct Section {
  std::string name;
  bool has_header = true;  // false for the top section only
  std::vector<Entry> entries;
  // Folded entry name -> index of the first entry of that name. Built on
  // first use; dropped when an entry is removed.
  mutable std::unordered_map<std::string, std::size_t> index;
  mutable bool indexed = false;
};

constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

}  // namespace

struct ProfileFile::Impl {
  Encoding encoding = Encoding::kAnsi;
  std::vector<Section> sections;  // sections[0] is the top section ""
  // Folded section name -> index of the first section of that name.
  mutable std::unordered_map<std::string, std::size_t> section_index;
  mutable bool sections_indexed = false;

  Impl() { sections.push_back(Section{"", false, {}, {}, false}); }

  bool unicode() const { return encoding != Encoding::kAnsi; }

  // An argument as held text: cut at NUL (it is a C string), trimmed,
  // converted to UTF-8 for a Unicode file.
  std::string Held(std::string_view arg) const {
    arg = Trim(CutAtNul(arg));
    if (!unicode()) return std::string(arg);
    std::string out;
    out.reserve(arg.size());
    for (char c : arg) {
      AppendUtf8(AnsiToCodePoint(static_cast<unsigned char>(c)), &out);
    }
    return out;
  }

  // Held text as the Windows-1252 bytes a caller receives.
  std::string Ansi(std::string_view held) const {
    if (!unicode()) return std::string(held);
    std::string out;
    out.reserve(held.size());
    for (std::size_t i = 0; i < held.size();) {
      char32_t cp = NextCodePoint(held, &i);
      if (cp >= 0x10000) {
        out += "??";  // two UTF-16 units, neither in Windows-1252
      } else {
        out.push_back(CodePointToAnsi(cp));
      }
    }
    return out;
  }

  std::size_t FindSection(const std::string& name) const {
    if (!sections_indexed) {
      section_index.clear();
      section_index.reserve(sections.size());
      for (std::size_t i = 0; i < sections.size(); ++i) {
        section_index.try_emplace(Fold(sections[i].name), i);
      }
      sections_indexed = true;
    }
    auto it = section_index.find(Fold(name));
    return it == section_index.end() ? kNotFound : it->second;
  }

  static std::size_t FindEntry(const Section& s, const std::string& name) {
    if (!s.indexed) {
      s.index.clear();
      s.index.reserve(s.entries.size());
      for (std::size_t i = 0; i < s.entries.size(); ++i) {
        s.index.try_emplace(Fold(s.entries[i].name), i);
      }
      s.indexed = true;
    }
    auto it = s.index.find(Fold(name));
    return it == s.index.end() ? kNotFound : it->second;
  }

  static void AddEntry(Section& s, Entry e) {
    if (s.indexed) s.index.try_emplace(Fold(e.name), s.entries.size());
    s.entries.push_back(std::move(e));
  }

  std::size_t AddSection(std::string name) {
    std::size_t at = sections.size();
    if (sections_indexed) section_index.try_emplace(Fold(name), at);
    sections.push_back(Section{std::move(name), true, {}, {}, false});
    return at;
  }

  void ParseLines(std::string_view text) {
    std::size_t pos = 0;
    profile_syntax::Line line;
    while (profile_syntax::NextLine(text, &pos, &line)) {
      if (line.header) {
        AddSection(std::string(line.name));
      } else {
        AddEntry(sections.back(), Entry{std::string(line.name),
                                        std::string(line.value),
                                        line.has_value});
      }
    }
  }
};

ProfileFile::ProfileFile() : impl_(std::make_unique<Impl>()) {}
ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

ProfileFile ProfileFile::Parse(std::string_view bytes) {
  ProfileFile profile;
  Impl& impl = *profile.impl_;
  std::string_view body;
  impl.encoding = DetectEncoding(bytes, &body);
  switch (impl.encoding) {
    case Encoding::kAnsi:
      impl.ParseLines(body);
      break;
    case Encoding::kUtf8:
      impl.ParseLines(DecodeUtf8(body));
      break;
    case Encoding::kUtf16Le:
    case Encoding::kUtf16Be:
      impl.ParseLines(
          DecodeUtf16(body, impl.encoding == Encoding::kUtf16Be));
      break;
  }
  return profile;
}

ProfileFile ProfileFile::Load(Env& env, const std::string& path) {
  std::string bytes;
  FileError error = env.ReadFile(path, &bytes);
  if (error != FileError::kNone) {
    ProfileFile empty;
    empty.load_error_ = error;
    return empty;
  }
  return Parse(bytes);
}

std::string ProfileFile::GetString(std::string_view section,
                                   std::string_view key, std::string_view def,
                                   std::size_t size) const {
  std::string text;
  bool found = false;
  std::size_t s = impl_->FindSection(impl_->Held(section));
  if (s != kNotFound) {
    const Section& sec = impl_->sections[s];
    std::size_t e = Impl::FindEntry(sec, impl_->Held(key));
    if (e != kNotFound && sec.entries[e].has_value) {
      text = impl_->Ansi(sec.entries[e].value);
      found = true;
    }
  }
  if (!found) text = profile_syntax::DefaultText(def);
  return profile_syntax::Answer(text, size);
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  std::string sec_name = impl_->Held(section);
  std::string key_name = impl_->Held(key);
  std::string new_value = impl_->Held(value);
  std::size_t s = impl_->FindSection(sec_name);
  if (s == kNotFound) s = impl_->AddSection(std::move(sec_name));
  Section& sec = impl_->sections[s];
  std::size_t e = Impl::FindEntry(sec, key_name);
  if (e == kNotFound) {
    Impl::AddEntry(sec, Entry{std::move(key_name), std::move(new_value), true});
  } else {
    Entry& entry = sec.entries[e];
    if (entry.has_value && entry.value == new_value) return;
    entry.value = std::move(new_value);
    entry.has_value = true;
  }
  changed_ = true;
}

void ProfileFile::RemoveKey(std::string_view section, std::string_view key) {
  std::size_t s = impl_->FindSection(impl_->Held(section));
  if (s == kNotFound) return;
  Section& sec = impl_->sections[s];
  std::size_t e = Impl::FindEntry(sec, impl_->Held(key));
  if (e == kNotFound) return;
  sec.entries.erase(sec.entries.begin() + static_cast<std::ptrdiff_t>(e));
  sec.indexed = false;
  changed_ = true;
}

void ProfileFile::RemoveSection(std::string_view section) {
  std::size_t s = impl_->FindSection(impl_->Held(section));
  if (s == kNotFound) return;
  if (s == 0) {
    // The top section has no header; the platform drops it and starts a
    // new, empty one when it reads the file again.
    impl_->sections[0].entries.clear();
    impl_->sections[0].indexed = false;
  } else {
    impl_->sections.erase(impl_->sections.begin() +
                          static_cast<std::ptrdiff_t>(s));
    impl_->sections_indexed = false;
  }
  changed_ = true;
}

std::string ProfileFile::Serialize() const {
  std::size_t estimate = 0;
  for (const Section& sec : impl_->sections) {
    estimate += sec.name.size() + 4;
    for (const Entry& e : sec.entries) {
      estimate += e.name.size() + e.value.size() + 3;
    }
  }
  std::string text;
  text.reserve(estimate);
  for (const Section& sec : impl_->sections) {
    if (sec.has_header) {
      text += '[';
      text += sec.name;
      text += "]\r\n";
    }
    for (const Entry& e : sec.entries) {
      text += e.name;
      if (e.has_value) {
        text += '=';
        text += e.value;
      }
      text += "\r\n";
    }
  }
  switch (impl_->encoding) {
    case Encoding::kAnsi:
      // Text that starts like a byte-order mark would be read back as
      // Unicode; a blank line in front keeps it what it is.
      if (text.starts_with(kUtf8Bom) || text.starts_with("\xFF\xFE") ||
          text.starts_with("\xFE\xFF")) {
        text.insert(0, "\r\n");
      }
      return text;
    case Encoding::kUtf8:
      text.insert(0, kUtf8Bom);
      return text;
    case Encoding::kUtf16Le:
      return EncodeUtf16(text, false);
    case Encoding::kUtf16Be:
      return EncodeUtf16(text, true);
  }
  return text;
}

FileError ProfileFile::Save(Env& env, const std::string& path, Expect expect,
                            std::string* written) {
  if (!changed_) return FileError::kNone;
  std::string bytes = Serialize();
  FileError error = env.WriteFileAtomic(path, bytes, expect);
  if (error == FileError::kNone) {
    changed_ = false;
    if (written != nullptr) *written = std::move(bytes);
  }
  return error;
}

}  // namespace zolt
