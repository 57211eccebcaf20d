// Fuzz target comparing the call path's reader of the table files
// (ProfileScan, TableFile) with the profile engine on arbitrary bytes:
//  - the [Other] dates and every [PINTable] slot read alike;
//  - a section and key named by the input's first line read alike;
//  - where TableFile would write the taken mark of a slot in place, the
//    file then reads exactly as after the engine's own write of it.
// Byte 0 chooses the slot (0..255, so that it often exists); the rest is
// the file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "library/pin_tables.h"
#include "library/table_file.h"
#include "profile/profile.h"
#include "profile/profile_scan.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"

namespace {

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "table_reader_fuzz: %s: %s\n", what, detail.c_str());
  std::abort();
}

// Everything a station reads from a table file.
std::string Answers(const zolt::ProfileFile& p) {
  std::string all = p.GetString("Other", "LastPINRunDay", "?") + "|" +
                    p.GetString("Other", "LastPINRunDate", "?");
  for (int slot = 0; slot < zolt::kSlotCount; ++slot) {
    all += "|" + p.GetString("PINTable", std::to_string(slot), "?");
  }
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const int slot = data[0];
  const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const zolt::ProfileFile engine = zolt::ProfileFile::Parse(bytes);

  zolt::ProfileScan other(bytes, "Other", {"LastPINRunDay", "LastPINRunDate"}, 0);
  if (!other.usable()) return 0;  // the engine reads files with a BOM
  zolt::ProfileScan table(bytes, "PINTable", {}, zolt::kSlotCount);
  if (other.Named(0, "0") != engine.GetString("Other", "LastPINRunDay", "0") ||
      other.Named(1, "") != engine.GetString("Other", "LastPINRunDate", "")) {
    Fail("dates differ", "");
  }
  // Slots in the order a search asks for them: newest first.
  for (int s = zolt::kSlotCount - 1; s >= 0; --s) {
    if (table.Numbered(s, "270F") !=
        engine.GetString("PINTable", std::to_string(s), "270F")) {
      Fail("slot differs", std::to_string(s));
    }
  }
  const std::string first_line = bytes.substr(0, bytes.find_first_of("\r\n"));
  const size_t bar = first_line.find('|');
  if (bar != std::string::npos) {
    const std::string sec = first_line.substr(0, bar), key = first_line.substr(bar + 1);
    zolt::ProfileScan named(bytes, sec, {key}, 0);
    if (named.Named(0, "d", 20) != engine.GetString(sec, key, "d", 20)) {
      Fail("named key differs", first_line);
    }
  }

  static zolt::TempDir dir;
  zolt::TestEnv env;
  zolt::TableFile file;
  file.Load(env, dir.WriteFile("t.dat", bytes));
  const zolt::TableFile::InPlace w = file.MarkInPlace(slot);
  if (w.bytes.empty()) return 0;
  std::string written = bytes;
  written.replace(w.offset, w.offset < bytes.size() ? w.bytes.size() : 0, w.bytes);
  zolt::ProfileFile marked = zolt::ProfileFile::Parse(bytes);
  marked.SetString("PINTable", std::to_string(slot), "270E");
  if (Answers(zolt::ProfileFile::Parse(written)) != Answers(marked)) {
    Fail("mark in place reads otherwise", std::to_string(slot));
  }
  return 0;
}
