// Fuzz target for the profile engine: any bytes parse; the answers of the
// keys the system reads, and of one key named by the input, survive a
// write-out and a fresh parse; a written file writes out again unchanged; a
// value written reads back.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "profile/profile.h"

namespace {

void Fail(const char* what, std::string_view a, std::string_view b) {
  std::fprintf(stderr, "profile_fuzz: %s\n  first:  %.*s\n  second: %.*s\n",
               what, static_cast<int>(a.size()), a.data(),
               static_cast<int>(b.size()), b.data());
  std::abort();
}

// The section and key of the first line, "section|key", so that the fuzzer
// can aim a lookup at any entry it makes up.
std::pair<std::string, std::string> NamedByInput(std::string_view bytes) {
  std::string_view line = bytes.substr(0, bytes.find('\n'));
  line = line.substr(0, 64);
  size_t bar = line.find('|');
  if (bar == std::string_view::npos) return {std::string(line), ""};
  return {std::string(line.substr(0, bar)), std::string(line.substr(bar + 1))};
}

std::vector<std::string> Answers(
    const zolt::ProfileFile& p,
    const std::vector<std::pair<std::string, std::string>>& keys) {
  std::vector<std::string> out;
  for (const auto& [section, key] : keys) {
    out.push_back(p.GetString(section, key, " dflt  "));
    out.push_back(p.GetString(section, key, "\"q\"", 5));  // a small buffer
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"Preferences", "Vendor"},    {"Preferences", "Pathtopintable"},
      {"preferences", "PINCRYPT"},  {"Other", "LastPINRunDay"},
      {"Other", "LastPINRunDate"},  {"PINTable", "0"},
      {"PINTable", "1439"},         {"", ""},
      NamedByInput(bytes)};

  zolt::ProfileFile first = zolt::ProfileFile::Parse(bytes);
  const std::vector<std::string> answers = Answers(first, keys);
  const std::string written = first.Serialize();

  zolt::ProfileFile second = zolt::ProfileFile::Parse(written);
  const std::vector<std::string> again = Answers(second, keys);
  for (size_t i = 0; i < answers.size(); ++i) {
    if (answers[i] != again[i]) {
      const auto& [section, key] = keys[i / 2];
      std::fprintf(stderr, "profile_fuzz: [%s] %s\n", section.c_str(),
                   key.c_str());
      Fail("an answer changed after a write-out", answers[i], again[i]);
    }
  }
  // A written file reads back as written: writing it out again gives the
  // same bytes.
  const std::string rewritten = second.Serialize();
  if (rewritten != written) Fail("write-out is not stable", written, rewritten);

  // A taken mark written into the table reads back, before and after a
  // write-out, as the library's mark of a slot relies on.
  second.SetString("PINTable", "7", "270E");
  if (second.GetString("PINTable", "7", "") != "270E") {
    Fail("a written value does not read back", "270E",
         second.GetString("PINTable", "7", ""));
  }
  zolt::ProfileFile third = zolt::ProfileFile::Parse(second.Serialize());
  if (third.GetString("PINTable", "7", "") != "270E") {
    Fail("a written value is lost in the write-out", "270E",
         third.GetString("PINTable", "7", ""));
  }
  third.RemoveSection(keys.back().first);
  third.RemoveKey("Preferences", "Vendor");
  (void)third.Serialize();
  return 0;
}
