#include "library/tests/site.h"

#include <cstdio>
#include <filesystem>

namespace zolt::test {
namespace fs = std::filesystem;

Site::Site()
    : station_(root_.MakeDir("station")), data_(root_.MakeDir("data")) {
  env.SetExecutablePath(StationFile("pos.exe"));
}

std::string Site::StationFile(const std::string& name) const {
  return (fs::path(station_) / name).string();
}

std::string Site::DataFile(const std::string& name) const {
  return (fs::path(data_) / name).string();
}

void Site::WriteSettings(const SiteSettings& s) {
  std::string body = "Vendor=" + std::to_string(s.vendor) +
                     "\r\nLocation=" + std::to_string(s.location) +
                     "\r\nSeason=" + std::to_string(s.season) +
                     "\r\nPINcrypt=" + std::to_string(s.pincrypt) +
                     "\r\nPINExpiry=" + std::to_string(s.expiry) + "\r\n";
  if (s.with_path) body += "Pathtopintable=" + data_ + "\r\n";
  WritePreferences(body);
}

void Site::WritePreferences(const std::string& body) {
  root_.WriteFile("station/OstrelZOLTDLL.dta", "[Preferences]\r\n" + body);
}

std::string Site::ReadData(const std::string& name) const {
  return root_.ReadFile("data/" + name);
}

void Site::WriteData(const std::string& name, const std::string& bytes) const {
  root_.WriteFile("data/" + name, bytes);
}

bool Site::DataExists(const std::string& name) const {
  return root_.Exists("data/" + name);
}

uint16_t ReferenceCrc16Arc(const std::vector<uint8_t>& bytes) {
  uint16_t crc = 0;
  for (uint8_t b : bytes) {
    crc ^= b;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1u) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001u)
                       : static_cast<uint16_t>(crc >> 1);
    }
  }
  return crc;
}

bool IsMarkValue(int32_t v) { return v == 9998 || v == 9999; }

std::vector<int32_t> ReferenceTable(const SiteSettings& s,
                                    const std::vector<LocalTime>& dates) {
  std::vector<int32_t> v(1441);
  for (int slot = 0; slot <= 1440; ++slot) {
    const LocalTime& d = dates[static_cast<size_t>(slot)];
    std::vector<uint8_t> message = {
        static_cast<uint8_t>(s.vendor),
        static_cast<uint8_t>(s.location % 256),
        static_cast<uint8_t>(s.location / 256),
        static_cast<uint8_t>(s.season),
        1,
        static_cast<uint8_t>(s.pincrypt),
        static_cast<uint8_t>(slot % 256),
        static_cast<uint8_t>(slot / 256),
        static_cast<uint8_t>(d.year - 2000 + d.month + d.day)};
    int32_t value = ReferenceCrc16Arc(message);
    v[static_cast<size_t>(slot)] = value > 64770 ? 9999 : value;
  }
  for (size_t p = 0; p < 1440; ++p) {
    for (size_t q = p + 1; q <= 1440; ++q) {
      if (v[p] == v[q] && !IsMarkValue(v[p])) v[q] = 9998;
    }
  }
  return v;
}

std::vector<int32_t> ReferenceTable(const SiteSettings& s,
                                    const LocalTime& date) {
  return ReferenceTable(s, std::vector<LocalTime>(1441, date));
}

namespace {

std::string Hex4(int32_t v) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%04X", static_cast<unsigned>(v));
  return buf;
}

std::string Header(int day) {
  return "[Other]\r\nLastPINRunDay=" + std::to_string(day) + "\r\n";
}

std::string DatedHeader(const LocalTime& d) {
  return Header(d.day) + "LastPINRunDate=" +
         std::to_string(d.year * 10000 + d.month * 100 + d.day) + "\r\n";
}

}  // namespace

std::string FreshLibraryFile(const std::vector<int32_t>& table,
                             const LocalTime& date) {
  std::string out = DatedHeader(date) + "[PINTable]\r\n";
  for (size_t slot = 0; slot < table.size(); ++slot) {
    out += std::to_string(slot) + "=" + Hex4(table[slot]) + "\r\n";
  }
  return out;
}

std::string FreshMarksFile(const std::vector<int32_t>& table,
                           const LocalTime& date) {
  std::string marks;
  for (size_t slot = 0; slot < table.size(); ++slot) {
    if (IsMarkValue(table[slot])) {
      marks += std::to_string(slot) + "=" + Hex4(table[slot]) + "\r\n";
    }
  }
  return DatedHeader(date) + (marks.empty() ? "" : "[PINTable]\r\n" + marks);
}

std::string TableFile(int day, const std::string& entries) {
  return (day < 0 ? std::string() : Header(day)) + "[PINTable]\r\n" + entries;
}

}  // namespace zolt::test
