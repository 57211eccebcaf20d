#include "profile/tests/diff/script_format.h"

namespace zolt::profile_diff {

std::string Escape(std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\0': out += "\\0"; break;
      default:
        if (c >= 0x20 && c < 0x7F) {
          out += ch;
        } else {
          out += "\\x";
          out += kHex[c >> 4];
          out += kHex[c & 15];
        }
    }
  }
  return out;
}

namespace {
int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    char n = text[i + 1];
    switch (n) {
      case '\\': out += '\\'; ++i; continue;
      case 't': out += '\t'; ++i; continue;
      case 'r': out += '\r'; ++i; continue;
      case 'n': out += '\n'; ++i; continue;
      case '0': out += '\0'; ++i; continue;
      case 'x':
        if (i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 &&
            HexDigit(text[i + 3]) >= 0) {
          out += static_cast<char>(HexDigit(text[i + 2]) * 16 +
                                   HexDigit(text[i + 3]));
          i += 3;
          continue;
        }
        break;
      default:
        break;
    }
    out += text[i];
  }
  return out;
}

std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    std::size_t tab = line.find('\t', start);
    if (tab == std::string_view::npos) {
      fields.push_back(Unescape(line.substr(start)));
      return fields;
    }
    fields.push_back(Unescape(line.substr(start, tab - start)));
    start = tab + 1;
  }
}

std::string JoinFields(const std::vector<std::string>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '\t';
    out += Escape(fields[i]);
  }
  return out;
}

}  // namespace zolt::profile_diff
