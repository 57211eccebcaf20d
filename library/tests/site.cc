#include "library/tests/site.h"

#include <cstdio>

namespace zolt::test {

void Site::WriteSettings(const SiteSettings& s) {
  layout_.Set("Vendor", std::to_string(s.vendor));
  layout_.Set("Location", std::to_string(s.location));
  layout_.Set("Season", std::to_string(s.season));
  layout_.Set("PINcrypt", std::to_string(s.pincrypt));
  layout_.Set("PINExpiry", std::to_string(s.expiry));
  if (s.with_path) layout_.Set("Pathtopintable", "{data}");
  if (!s.with_path) layout_.Unset("Pathtopintable");
  layout_.Write();
}

uint16_t ReferenceCrc16Arc(const std::vector<uint8_t>& bytes) {
  uint16_t crc = 0;
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001u) : crc >> 1;
    }
  }
  return crc;
}

std::vector<int32_t> ReferenceTable(const SiteSettings& s, const std::vector<LocalTime>& dates) {
  std::vector<int32_t> v(1441);
  for (int slot = 0; slot <= 1440; ++slot) {
    const LocalTime& d = dates[static_cast<size_t>(slot)];
    const int32_t value = ReferenceCrc16Arc(
        {static_cast<uint8_t>(s.vendor), static_cast<uint8_t>(s.location % 256),
         static_cast<uint8_t>(s.location / 256), static_cast<uint8_t>(s.season), 1,
         static_cast<uint8_t>(s.pincrypt), static_cast<uint8_t>(slot % 256),
         static_cast<uint8_t>(slot / 256), static_cast<uint8_t>(d.year - 2000 + d.month + d.day)});
    v[static_cast<size_t>(slot)] = value > 64770 ? 9999 : value;
  }
  for (size_t p = 0; p < 1440; ++p) {
    for (size_t q = p + 1; q <= 1440; ++q) {
      if (v[p] == v[q] && !IsMarkValue(v[p])) v[q] = 9998;
    }
  }
  return v;
}

std::vector<int32_t> ReferenceTable(const SiteSettings& s, const LocalTime& date) {
  return ReferenceTable(s, std::vector<LocalTime>(1441, date));
}

namespace {

// The dated [Other] section, then the entries of `table` (all, or the marks).
std::string FreshFile(const std::vector<int32_t>& table, const LocalTime& d, bool marks_only) {
  std::string entries;
  for (size_t slot = 0; slot < table.size(); ++slot) {
    if (marks_only && !IsMarkValue(table[slot])) continue;
    char hex[16];
    std::snprintf(hex, sizeof(hex), "%04X", static_cast<unsigned>(table[slot]));
    entries += std::to_string(slot) + "=" + hex + "\r\n";
  }
  return "[Other]\r\nLastPINRunDay=" + std::to_string(d.day) + "\r\nLastPINRunDate=" +
         std::to_string(d.year * 10000 + d.month * 100 + d.day) + "\r\n" +
         (entries.empty() ? "" : "[PINTable]\r\n" + entries);
}

}  // namespace

std::string FreshLibraryFile(const std::vector<int32_t>& table, const LocalTime& date) {
  return FreshFile(table, date, false);
}

std::string FreshMarksFile(const std::vector<int32_t>& table, const LocalTime& date) {
  return FreshFile(table, date, true);
}

std::string TableFile(int day, const std::string& entries) {
  return (day < 0 ? std::string() : "[Other]\r\nLastPINRunDay=" + std::to_string(day) + "\r\n") +
         "[PINTable]\r\n" + entries;
}

}  // namespace zolt::test
