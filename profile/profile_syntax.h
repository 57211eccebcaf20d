// The line rules of the profile engine (profile.h lists them), shared by the
// engine and the scan of the library's call path (profile_scan.h), so that
// both read a file the same way. Text is the engine's held text: for a file
// without a byte-order mark, its own bytes.
#ifndef ZOLT_PROFILE_PROFILE_SYNTAX_H_
#define ZOLT_PROFILE_PROFILE_SYNTAX_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace zolt::profile_syntax {

// The platform's blanks: ASCII white space and ^Z (a DOS end-of-file mark).
inline bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

inline std::string_view Trim(std::string_view s) {
  std::size_t i = 0, n = s.size();
  while (i < n && IsBlank(s[i])) ++i;
  while (n > i && IsBlank(s[n - 1])) --n;
  return s.substr(i, n - i);
}

// Arguments are C strings: a NUL ends them.
inline std::string_view CutAtNul(std::string_view s) {
  return s.substr(0, s.find('\0'));
}

// A name or value of a line: up to a NUL, then trimmed. (The platform trims
// before it cuts, which leaves "a " of "a \0"; the next write-out then loses
// that blank and with it the answer a read gave.)
inline std::string_view Field(std::string_view s) { return Trim(CutAtNul(s)); }

// Names match without regard to ASCII case only (é and É differ).
inline char FoldChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool EqualFolded(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldChar(a[i]) != FoldChar(b[i])) return false;
  }
  return true;
}

// One line that means something: a section header, or an entry with or
// without a value.
struct Line {
  bool header = false;
  std::string_view name;   // the section's or the entry's name
  std::string_view value;  // entries with a value only
  bool has_value = false;
  std::size_t value_offset = 0;  // where `value` starts in the text
};

// Reads the next meaningful line of `text` from *pos (lines end at CR or
// LF; blank lines, and lines with nothing before a NUL, are skipped) and
// moves *pos past it. False at the end of the text.
inline bool NextLine(std::string_view text, std::size_t* pos, Line* line) {
  const std::size_t size = text.size();
  while (*pos < size) {
    const std::size_t start = *pos;
    std::size_t end = start;
    while (end < size && text[end] != '\r' && text[end] != '\n') ++end;
    *pos = end + 1;
    const std::string_view l = Trim(text.substr(start, end - start));
    if (l.empty()) continue;
    if (l[0] == '[') {
      const std::size_t close = l.rfind(']');
      if (close != std::string_view::npos) {
        line->header = true;
        line->name = Field(l.substr(1, close - 1));
        line->has_value = false;
        return true;
      }
    }
    line->header = false;
    const std::size_t eq = l.find('=');
    if (eq == std::string_view::npos) {
      line->name = Field(l);
      if (line->name.empty()) continue;  // it would vanish on a write-out
      line->has_value = false;
      line->value = {};
      return true;
    }
    line->name = Field(l.substr(0, eq));
    line->value = Field(l.substr(eq + 1));
    line->has_value = true;
    line->value_offset =
        static_cast<std::size_t>(line->value.data() - text.data());
    return true;
  }
  return false;
}

// The default as the platform hands it back: up to a NUL, trailing spaces
// removed (one character always stays).
inline std::string_view DefaultText(std::string_view def) {
  def = CutAtNul(def);
  while (def.size() > 1 && def.back() == ' ') def.remove_suffix(1);
  return def;
}

// What a read returns for a value or default: an outer pair of the same
// quote (" or ') removed from text of two characters or more, then cut to
// the caller's buffer of `size` characters (at most size - 1).
inline std::string Answer(std::string_view text, std::size_t size) {
  if (text.size() >= 2 && (text[0] == '"' || text[0] == '\'') &&
      text.back() == text[0]) {
    text = text.substr(1, text.size() - 2);
  }
  if (size == 0) return std::string();
  if (text.size() > size - 1) text = text.substr(0, size - 1);
  return std::string(text);
}

}  // namespace zolt::profile_syntax

#endif  // ZOLT_PROFILE_PROFILE_SYNTAX_H_
