#include "library/pin_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "library/tests/site.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;
using test::FreshLibraryFile;
using test::FreshMarksFile;
using test::IsMarkValue;
using test::ReferenceTable;
using test::Site;
using test::SiteSettings;
using test::TableFile;

const LocalTime kNoon = At(2010, 6, 15, 12, 0);  // day 15; yesterday is 14

class PinTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    site.WriteSettings(settings);
    site.env.SetTime(kNoon);
  }

  LibrarySettings Loaded(Caller caller) {
    LibrarySettings s;
    EXPECT_EQ(LoadSettings(site.env, caller, 1, &s), Code::kOk);
    return s;
  }

  Code Refresh(Caller caller) {
    PinTables tables;
    return RefreshPinTables(site.env, Loaded(caller), caller, &tables);
  }

  // Tables of an earlier day (both files), as a station left them.
  void WriteTablesOfDay(int day) {
    site.WriteData("PINTable.dat", TableFile(day, "5=270E\r\n"));
    site.WriteData("DLLPINTable.dat", TableFile(day, "5=270E\r\n6=1234\r\n"));
  }

  Site site;
  SiteSettings settings;
};

TEST(TableTextTest, FourUppercaseHexDigits) {
  struct Case {
    int32_t value;
    const char* text;
  } cases[] = {{0, "0000"},       {10, "000A"},       {9998, "270E"},
               {9999, "270F"},    {64770, "FD02"},    {65535, "FFFF"}};
  for (const Case& c : cases) EXPECT_EQ(TableText(c.value), c.text);
}

TEST_F(PinTablesTest, ComputedTableMatchesTheGeneratorAndMarkRules) {
  std::vector<int32_t> values(kSlotCount);
  ComputeTable(site.env, Loaded(Caller::kZoltResult), values.data());
  const std::vector<int32_t> expected = ReferenceTable(settings, kNoon);
  EXPECT_EQ(values, expected);
  // The day must have void marks, or the layout tests prove little. Within
  // one date no two slots share a value (they differ in two adjacent bytes
  // only, which the checksum always tells apart), so duplicates arise only
  // in a build that crosses midnight.
  int void_marks = 0;
  for (int32_t v : expected) void_marks += v == kVoidMark;
  EXPECT_GT(void_marks, 0);
  EXPECT_EQ(std::count(expected.begin(), expected.end(), kTakenMark), 0);
}

TEST_F(PinTablesTest, BuildAcrossMidnightUsesTheNewDateForLaterSlots) {
  // Slots 0..699 are computed on the 15th, the rest after midnight.
  std::vector<LocalTime> readings(kSlotCount, At(2010, 6, 16, 0, 0, 0));
  for (int slot = 0; slot < 700; ++slot) readings[slot] = At(2010, 6, 15, 23, 59, 59);
  const LibrarySettings loaded = Loaded(Caller::kZoltResult);
  site.env.SetTimes(readings);
  std::vector<int32_t> values(kSlotCount);
  ComputeTable(site.env, loaded, values.data());
  const std::vector<int32_t> expected = ReferenceTable(settings, readings);
  EXPECT_EQ(values, expected);
  // Values of the two dates meet: later slots become taken marks.
  EXPECT_GT(std::count(expected.begin(), expected.end(), kTakenMark), 0);
}

TEST_F(PinTablesTest, FreshTablesHoldTheDayAndTheirEntriesByteForByte) {
  for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
    Site fresh;
    fresh.WriteSettings(settings);
    fresh.env.SetTime(kNoon);
    LibrarySettings s;
    ASSERT_EQ(LoadSettings(fresh.env, caller, 1, &s), Code::kOk);
    PinTables tables;
    ASSERT_EQ(RefreshPinTables(fresh.env, s, caller, &tables), Code::kOk);
    const std::vector<int32_t> expected = ReferenceTable(settings, kNoon);
    EXPECT_EQ(fresh.ReadData("DLLPINTable.dat"), FreshLibraryFile(expected, kNoon));
    EXPECT_EQ(fresh.ReadData("PINTable.dat"), FreshMarksFile(expected, kNoon));
  }
}

TEST_F(PinTablesTest, CurrentTablesAreNotWritten) {
  ASSERT_EQ(Refresh(Caller::kZoltResult), Code::kOk);
  const std::string marks = site.ReadData("PINTable.dat");
  site.env.ResetCounts();
  ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
  EXPECT_EQ(site.env.writes("PINTable.dat"), 0);
  EXPECT_EQ(site.env.writes("DLLPINTable.dat"), 0);
  EXPECT_EQ(site.ReadData("PINTable.dat"), marks);
}

TEST_F(PinTablesTest, NewDayRebuildsBothAndDropsYesterdaysMarks) {
  WriteTablesOfDay(14);
  ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
  const std::vector<int32_t> expected = ReferenceTable(settings, kNoon);
  EXPECT_EQ(site.ReadData("DLLPINTable.dat"), FreshLibraryFile(expected, kNoon));
  EXPECT_EQ(site.ReadData("PINTable.dat"), FreshMarksFile(expected, kNoon));
}

TEST_F(PinTablesTest, TheSameDayOfAnEarlierMonthIsStale) {
  site.env.SetTime(At(2010, 5, 15, 12, 0));
  ASSERT_EQ(Refresh(Caller::kZoltResult), Code::kOk);
  site.env.SetTime(kNoon);
  ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
  const std::vector<int32_t> expected = ReferenceTable(settings, kNoon);
  EXPECT_EQ(site.ReadData("DLLPINTable.dat"), FreshLibraryFile(expected, kNoon));
  EXPECT_EQ(site.ReadData("PINTable.dat"), FreshMarksFile(expected, kNoon));

  // Files of a station that records the day of the month only are taken
  // as they always were: current on that day.
  site.WriteData("PINTable.dat", TableFile(15, "5=270E\r\n"));
  site.WriteData("DLLPINTable.dat", TableFile(15, "6=1234\r\n"));
  site.env.ResetCounts();
  ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
  EXPECT_EQ(site.env.writes("PINTable.dat"), 0);
  EXPECT_EQ(site.env.writes("DLLPINTable.dat"), 0);
}

TEST_F(PinTablesTest, StaleLibraryTableIsRebuiltAloneAndMarksSurvive) {
  const std::vector<int32_t> expected = ReferenceTable(settings, kNoon);
  ASSERT_FALSE(IsMarkValue(expected[720]));
  // Today's marks, plus slot 720 issued earlier today.
  const std::string marks = FreshMarksFile(expected, kNoon) + "720=270E\r\n";
  for (const char* library : {"<missing>", "yesterday"}) {
    SCOPED_TRACE(library);
    site.WriteData("PINTable.dat", marks);
    if (std::string(library) == "yesterday") {
      site.WriteData("DLLPINTable.dat", TableFile(14, "720=1111\r\n"));
    } else {
      fs::remove(site.DataFile("DLLPINTable.dat"));
    }
    ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
    EXPECT_EQ(site.ReadData("DLLPINTable.dat"), FreshLibraryFile(expected, kNoon));
    EXPECT_EQ(site.ReadData("PINTable.dat"), marks);
  }
}

TEST_F(PinTablesTest, FailedDeletionsAtANewDay) {
  const Code ok = Code::kOk;
  struct Case {
    const char* name;
    int table_day;  // of PINTable.dat; -1: no LastPINRunDay at all
    int library_day;
    const char* failing_file;
    FileError cause;
    Code zolt, query;
  } cases[] = {
      {"pin denied", 14, 14, "PINTable.dat", FileError::kDenied,
       Code::kDeleteDenied, Code::kDeleteDenied},
      {"dll denied", 14, 14, "DLLPINTable.dat", FileError::kDenied,
       Code::kDeleteDenied, Code::kDeleteDenied},
      {"pin not found", 14, 14, "PINTable.dat", FileError::kNotFound, ok,
       Code::kTableNotFound},
      {"dll not found", 14, 14, "DLLPINTable.dat", FileError::kNotFound, ok,
       Code::kTableNotFound},
      {"pin bad path", 14, 14, "PINTable.dat", FileError::kBadPath, ok,
       Code::kTableBadPath},
      {"dll bad path", 14, 14, "DLLPINTable.dat", FileError::kBadPath, ok,
       Code::kTableBadPath},
      {"no day, not found", -1, 14, "PINTable.dat", FileError::kNotFound, ok,
       ok},
      {"no day, bad path", -1, 14, "DLLPINTable.dat", FileError::kBadPath, ok,
       ok},
      {"sharing", 14, 14, "PINTable.dat", FileError::kSharing, ok, ok},
      {"other", 14, 14, "DLLPINTable.dat", FileError::kOther, ok, ok},
      {"library only, denied", 15, 14, "DLLPINTable.dat", FileError::kDenied,
       Code::kDeleteDenied, Code::kDeleteDenied},
      {"library only, not found", 15, 14, "DLLPINTable.dat",
       FileError::kNotFound, ok, ok},
      {"library only, bad path", 15, 14, "DLLPINTable.dat",
       FileError::kBadPath, ok, ok},
  };
  for (const Case& c : cases) {
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      const bool query = caller == Caller::kSoldOutQuery;
      SCOPED_TRACE(std::string(c.name) + (query ? " (query)" : " (issue)"));
      Site s;
      s.WriteSettings(settings);
      s.env.SetTime(kNoon);
      s.WriteData("PINTable.dat", TableFile(c.table_day, "5=270E\r\n"));
      s.WriteData("DLLPINTable.dat", TableFile(c.library_day, "6=1234\r\n"));
      s.env.FailRemove(c.failing_file, c.cause);
      LibrarySettings loaded;
      ASSERT_EQ(LoadSettings(s.env, caller, 1, &loaded), Code::kOk);
      PinTables tables;
      const Code expected = query ? c.query : c.zolt;
      EXPECT_EQ(RefreshPinTables(s.env, loaded, caller, &tables), expected);
      if (expected != ok) {
        // Nothing was built: no file carries today's day.
        EXPECT_EQ(s.ReadData("DLLPINTable.dat").find("LastPINRunDay=15"),
                  std::string::npos);
      }
    }
  }
}

TEST_F(PinTablesTest, FailedEmptyingStopsTheQueryOnly) {
  // The deletion fails for a cause that carries on, so the old [PINTable]
  // section must be removed by a write, and that write fails.
  for (const char* file : {"PINTable.dat", "DLLPINTable.dat"}) {
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      SCOPED_TRACE(file);
      Site s;
      s.WriteSettings(settings);
      s.env.SetTime(kNoon);
      s.WriteData("PINTable.dat", TableFile(14, "5=270E\r\n"));
      s.WriteData("DLLPINTable.dat", TableFile(14, "6=1234\r\n"));
      s.env.FailRemove(file, FileError::kOther);
      s.env.FailWrite(file, FileError::kDenied);
      LibrarySettings loaded;
      ASSERT_EQ(LoadSettings(s.env, caller, 1, &loaded), Code::kOk);
      PinTables tables;
      EXPECT_EQ(RefreshPinTables(s.env, loaded, caller, &tables),
                caller == Caller::kSoldOutQuery ? Code::kTableEmpty
                                                : Code::kOk);
    }
  }
}

TEST_F(PinTablesTest, DataFolderThatCannotBeListed) {
  struct Case {
    const char* name;
    std::string preferences_tail;
  } cases[] = {
      {"missing folder", "Pathtopintable=" + site.DataFile("nowhere") + "\r\n"},
      {"a file", "Pathtopintable=" + site.DataFile("plain.txt") + "\r\n"},
      {"no key", ""},  // defaults to the settings file's own path
  };
  site.WriteData("plain.txt", "x");
  for (const Case& c : cases) {
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      SCOPED_TRACE(c.name);
      site.WritePreferences("Vendor=190\r\nLocation=800\r\nPINcrypt=42\r\n" +
                            c.preferences_tail);
      site.env.ResetCounts();
      EXPECT_EQ(Refresh(caller), Code::kDataFolder);
      EXPECT_EQ(site.env.writes("PINTable.dat"), 0);
      EXPECT_EQ(site.env.writes("DLLPINTable.dat"), 0);
      EXPECT_FALSE(site.DataExists("PINTable.dat"));
    }
  }
}

// Tables written by hand for day 15; each slot of 709..721 in one state.
class FindFreeSlotTest : public PinTablesTest {
 protected:
  void SetUp() override {
    PinTablesTest::SetUp();
    site.WriteData("PINTable.dat", TableFile(15,
        "715=1\r\n714=abc\r\n713=0x1\r\n712=270E\r\n711=270F\r\n710=-1\r\n"
        "709=0\r\n0=0\r\n"));
    site.WriteData("DLLPINTable.dat", TableFile(15,
        "0=0007\r\n1=270E\r\n2=270F\r\n3=FFFF\r\n4=270E\r\n5=270F\r\n"
        "709=0600\r\n710=0500\r\n711=0400\r\n712=0300\r\n713=0200\r\n"
        "714=0100\r\n715=0ABC\r\n716=-5\r\n717=FFFF\r\n718=270F\r\n"
        "719=270E\r\n721=1234\r\n"));  // 720 has no entry
  }
};

TEST_F(FindFreeSlotTest, NewestFreeSlotOfTheWindowWins) {
  struct Case {
    LocalTime now;
    int32_t expiry;
    Code code;
    int slot;
    int32_t value;
  } cases[] = {
      {At(2010, 6, 15, 12, 0), 10, Code::kSoldOut, -1, 0},  // 720..710 used
      {At(2010, 6, 15, 12, 1), 10, Code::kOk, 721, 0x1234},
      {At(2010, 6, 15, 12, 0), 11, Code::kOk, 709, 0x600},  // "0" is free
      {At(2010, 6, 15, 12, 0), 0, Code::kOk, 709, 0x600},
      {At(2010, 6, 15, 0, 0), 0, Code::kOk, 0, 7},  // only slot 0
      {At(2010, 6, 15, 0, 5), 0, Code::kOk, 0, 7},  // 5..0
      {At(2010, 6, 15, 0, 5), 10, Code::kOk, 0, 7},  // raised to slot 0
      {At(2010, 6, 15, 0, 4), 1439, Code::kOk, 0, 7},
      {At(2010, 6, 15, 25, 0), 10, Code::kWindow, -1, 0},  // hour 25
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.now.hour << ":" << c.now.minute
                                      << " expiry " << c.expiry);
    LibrarySettings s = Loaded(Caller::kSoldOutQuery);
    s.PINExpiry = c.expiry;
    PinTables tables;
    ASSERT_EQ(RefreshPinTables(site.env, s, Caller::kSoldOutQuery, &tables),
              Code::kOk);
    site.env.SetTime(c.now);
    FreeSlot found;
    EXPECT_EQ(FindFreeSlot(site.env, s, tables, &found), c.code);
    if (c.code == Code::kOk) {
      EXPECT_EQ(found.slot, c.slot);
      EXPECT_EQ(found.value, c.value);
      EXPECT_EQ(found.sale_time.minute, c.now.minute);
    }
    site.env.SetTime(kNoon);
  }
}

TEST_F(FindFreeSlotTest, MarkingWritesTheTakenMarkIntoBothFiles) {
  LibrarySettings s = Loaded(Caller::kZoltResult);
  PinTables tables;
  ASSERT_EQ(RefreshPinTables(site.env, s, Caller::kZoltResult, &tables),
            Code::kOk);
  MarkSlotTaken(site.env, 721, &tables);
  EXPECT_NE(site.ReadData("PINTable.dat").find("\r\n721=270E\r\n"),
            std::string::npos);
  EXPECT_NE(site.ReadData("DLLPINTable.dat").find("\r\n721=270E\r\n"),
            std::string::npos);
  EXPECT_EQ(site.ReadData("DLLPINTable.dat").find("721=1234"),
            std::string::npos);
}

}  // namespace
}  // namespace zolt
