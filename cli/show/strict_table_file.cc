#include "cli/show/strict_table_file.h"

#include <string>

#include "library/pin_tables.h"

namespace zolt {

namespace {

bool AllDigits(const std::string& s, size_t max_len) {
  if (s.empty() || s.size() > max_len) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

bool IsTableText(const std::string& s) {
  if (s.size() != 4) return false;
  for (char c : s) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  }
  return true;
}

StrictTableFile Fail(std::string why) {
  StrictTableFile f;
  f.error = std::move(why);
  return f;
}

}  // namespace

StrictTableFile ReadStrictTableFile(const std::string& bytes) {
  if (bytes.empty()) return Fail("empty file");
  if (bytes.size() < 2 || bytes.compare(bytes.size() - 2, 2, "\r\n") != 0) {
    return Fail("last line has no CRLF (a partial line)");
  }
  StrictTableFile f;
  std::string section;
  bool seen_other = false, seen_table = false;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = bytes.find("\r\n", pos);
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 2;
    if (line.find_first_of(std::string("\r\n\0", 3)) != std::string::npos) {
      return Fail("stray CR, LF or NUL in line \"" + line + "\"");
    }
    if (line == "[Other]" || line == "[PINTable]") {
      bool& seen = line == "[Other]" ? seen_other : seen_table;
      if (seen) return Fail("section twice: " + line);
      seen = true;
      section = line;
      continue;
    }
    size_t eq = line.find('=');
    if (eq == std::string::npos) return Fail("not key=value: \"" + line + "\"");
    std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (section == "[Other]") {
      if (key == "LastPINRunDay" && AllDigits(value, 2)) {
        f.run_day = std::stoi(value);
      } else if (key == "LastPINRunDate" && AllDigits(value, 8)) {
        f.run_date = std::stoi(value);
      } else {
        return Fail("odd [Other] line \"" + line + "\"");
      }
    } else if (section == "[PINTable]") {
      if (!AllDigits(key, 4) || std::stoi(key) >= kSlotCount ||
          !IsTableText(value)) {
        return Fail("odd [PINTable] line \"" + line + "\"");
      }
      if (!f.entries.emplace(std::stoi(key), value).second) {
        return Fail("slot twice: " + key);
      }
    } else {
      return Fail("line before any section: \"" + line + "\"");
    }
  }
  if (f.run_day == 0) return Fail("no build day");
  if (f.run_date != 0 && f.run_date % 100 != f.run_day) {
    return Fail("day and date disagree");
  }
  f.ok = true;
  return f;
}

}  // namespace zolt
