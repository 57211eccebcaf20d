#include "tests/profile_diff/known_differences.h"

#include <cstdlib>

namespace zolt::profile_diff {
namespace {

bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r') || c == '\x1a';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool EndsWithBlank(std::string_view s) {
  s = s.substr(0, s.find('\0'));
  return !s.empty() && IsBlank(s.back());
}

bool HasOuterBlank(std::string_view s) {
  return !s.empty() && (IsBlank(s.front()) || IsBlank(s.back()));
}

// The ASCII text of a file, roughly: enough to see its line structure.
std::string RoughText(std::string_view bytes) {
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
    std::string text;
    std::size_t low = bytes[0] == '\xFF' ? 2 : 3;
    for (std::size_t i = low; i < bytes.size(); i += 2) text += bytes[i];
    return text;
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") return std::string(bytes.substr(3));
  return std::string(bytes);
}

bool ValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80 ? 1 : (b >= 0xC2 && b <= 0xDF) ? 2
                      : (b >= 0xE0 && b <= 0xEF)            ? 3
                      : (b >= 0xF0 && b <= 0xF4)            ? 4
                                                            : 0;
    if (len == 0 || i + len > s.size()) return false;
    for (std::size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    if (b == 0xED && static_cast<unsigned char>(s[i + 1]) >= 0xA0) return false;
    if (b == 0xE0 && static_cast<unsigned char>(s[i + 1]) < 0xA0) return false;
    if (b == 0xF0 && static_cast<unsigned char>(s[i + 1]) < 0x90) return false;
    if (b == 0xF4 && static_cast<unsigned char>(s[i + 1]) > 0x8F) return false;
    i += len;
  }
  return true;
}

}  // namespace

bool IsUnicodeFile(std::string_view bytes) {
  return bytes.substr(0, 3) == "\xEF\xBB\xBF" ||
         bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

const char* FileQuirk(std::string_view bytes) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF" && !ValidUtf8(bytes.substr(3))) {
    return "invalid UTF-8 after a UTF-8 BOM";
  }
  if ((bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") &&
      bytes.size() % 2 != 0) {
    return "odd number of UTF-16 bytes";
  }
  std::string text = RoughText(bytes);
  if (text.find('\0') != std::string::npos) return "NUL bytes in lines";
  bool previous_nameless = false;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = text.size();
    std::string_view line = Trim(std::string_view(text).substr(pos, end - pos));
    pos = end + 1;
    if (line.empty()) continue;
    std::size_t close = line.rfind(']');
    if (line[0] == '[' && close != std::string_view::npos) {
      std::string_view name = Trim(line.substr(1, close - 1));
      if (name.substr(0, name.find('\0')).empty()) {
        return "section header with an empty name";
      }
      previous_nameless = false;
      continue;
    }
    std::string_view name = Trim(line.substr(0, line.find('=')));
    bool nameless = name.substr(0, name.find('\0')).empty();
    if (nameless && previous_nameless && line[0] == '=') {
      return "consecutive nameless lines";
    }
    previous_nameless = nameless;
  }
  return nullptr;
}

const char* OperationQuirk(const std::vector<std::string>& op,
                           bool unicode_file, std::string_view engine,
                           std::string_view platform) {
  const std::string& kind = op[0];
  if (kind == "write" && op.size() == 4 &&
      (EndsWithBlank(op[1]) || EndsWithBlank(op[2]) || EndsWithBlank(op[3]))) {
    return "write with trailing blanks";
  }
  if ((kind == "delkey" || kind == "delsec") &&
      (HasOuterBlank(op[1]) || (op.size() > 2 && HasOuterBlank(op[2])))) {
    return "removal with blanks around the names";
  }
  if (kind == "read" && op.size() == 5) {
    std::size_t size = std::strtoul(op[4].c_str(), nullptr, 10);
    std::string_view e = engine, p = platform;
    if (e.size() + 1 == size && !e.empty() && p == e.substr(0, e.size() - 1)) {
      return "quoted text cut one short";
    }
    if (unicode_file && e.size() == p.size()) {
      bool best_fit = true;
      for (std::size_t i = 0; i < e.size(); ++i) {
        if (e[i] != p[i] && e[i] != '?') best_fit = false;
      }
      if (best_fit) return "best-fit character for one outside Windows-1252";
    }
  }
  return nullptr;
}

const char* RewriteQuirk(std::string_view before, std::string_view after) {
  if (!IsUnicodeFile(before) && IsUnicodeFile(after)) {
    return "text without a BOM written out like one";
  }
  return nullptr;
}

const char* MissingFolderQuirk(const std::vector<std::string>& op) {
  if (op[0] == "read" && op.size() == 5 && !op[3].empty() &&
      (op[3][0] == '"' || op[3][0] == '\'')) {
    return "quoted default in a missing folder";
  }
  return nullptr;
}

}  // namespace zolt::profile_diff
