// Where a taken mark can be written without rewriting its file: whatever
// the layout, writing it in place must give exactly what the engine's own
// write of the mark would make any station read, or not be tried.
#include "library/table_file.h"

#include <gtest/gtest.h>

#include <string>

#include "library/pin_tables.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"

namespace zolt {
namespace {

// Every answer a station reads from a table file.
std::string Answers(const std::string& bytes) {
  const ProfileFile p = ProfileFile::Parse(bytes);
  std::string all = p.GetString("Other", "LastPINRunDay", "?") + "|" +
                    p.GetString("Other", "LastPINRunDate", "?");
  for (int slot = 0; slot < kSlotCount; ++slot) {
    all += "|" + p.GetString("PINTable", std::to_string(slot), "?");
  }
  return all;
}

TEST(TableFileTest, MarkInPlaceOnlyWhereItReadsAsTheEnginesWrite) {
  const std::string head = "[Other]\r\nLastPINRunDay=15\r\n[PINTable]\r\n";
  const std::string pad(467, 'x');  // puts slot 9's value (and a new line) across byte 512
  struct Case {
    const char* name;
    std::string bytes;
    int slot;
    bool in_place;
  } cases[] = {
      {"a value of four characters", head + "7=1A2B\r\n8=0C0D\r\n", 7, true},
      {"blanks and a NUL around it", head + " 7 = 1A2B \0x\r\n", 7, true},
      {"the first of two entries", head + "7=1A2B\r\n7=FFFF\r\n", 7, true},
      {"a new line at the end", head + "5=270F\r\n", 7, true},
      {"a new line after blank lines", head + "5=270F\r\n\r\n\n", 7, true},
      {"the header ends the file", head, 7, true},
      {"quoted value", head + "7=\"AB\"x\r\n", 7, false},
      {"a value of one character", head + "7=0\r\n", 7, false},
      {"an entry without a value", head + "7\r\n", 7, false},
      {"another section follows", head + "5=270F\r\n[Other]\r\nX=1\r\n", 7, false},
      {"the first [PINTable] is not last", head + "[PINTable]\r\n", 7, false},
      {"no [PINTable] section", "[Other]\r\nLastPINRunDay=15\r\n", 7, false},
      {"last line without a line end", head + "5=270F", 7, false},
      {"a byte-order mark", "\xEF\xBB\xBF" + head + "7=1A2B\r\n", 7, false},
      {"a value across a sector", head + pad + "\r\n9=1A2B\r\n", 9, false},
      {"a value whose last byte is the next sector's first",
       head + pad.substr(1) + "\r\n9=1A2B\r\n", 9, false},
      {"an appended line across a sector", head + pad + "\r\n", 9, false},
      {"an empty file", "", 7, false},
  };
  TempDir dir;
  TestEnv env;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.WriteFile("t.dat", c.bytes);
    TableFile file;
    file.Load(env, path);
    const TableFile::InPlace w = file.MarkInPlace(c.slot);
    EXPECT_EQ(!w.bytes.empty(), c.in_place);
    // What the engine would leave; the mark goes through either way.
    ProfileFile engine = ProfileFile::Parse(c.bytes);
    engine.SetString("PINTable", std::to_string(c.slot), "270E");
    env.ResetCounts();
    ASSERT_EQ(file.MarkTaken(env, c.slot), FileError::kNone);
    EXPECT_EQ(env.writes_in_place("t.dat"), c.in_place ? 1 : 0);
    EXPECT_EQ(Answers(dir.ReadFile("t.dat")), Answers(engine.Serialize()));
    if (c.in_place) {
      std::string expect = c.bytes;
      expect.replace(w.offset, w.offset < c.bytes.size() ? w.bytes.size() : 0, w.bytes);
      EXPECT_EQ(dir.ReadFile("t.dat"), expect);
    }
  }
}

}  // namespace
}  // namespace zolt
