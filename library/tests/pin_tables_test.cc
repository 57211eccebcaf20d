#include "library/pin_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "library/tests/site.h"

namespace zolt {
namespace {

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
  Code Refresh(Caller caller, PinTables* tables = nullptr) {
    PinTables scratch;
    return RefreshPinTables(site.env, Loaded(caller), caller, tables ? tables : &scratch);
  }

  Site site;
  SiteSettings settings;
  const std::vector<int32_t> today = ReferenceTable(settings, kNoon);
};

TEST(TableTextTest, FourUppercaseHexDigits) {
  for (auto [value, text] : {std::pair<int32_t, const char*>{0, "0000"}, {10, "000A"},
                             {9998, "270E"}, {64770, "FD02"}, {65535, "FFFF"}}) {
    EXPECT_EQ(TableText(value), text);
  }
}

TEST_F(PinTablesTest, BuildAcrossMidnightUsesTheNewDateForLaterSlots) {
  // Slots 0..699 are computed on the 15th, the rest after midnight.
  std::vector<LocalTime> readings(kSlotCount, At(2010, 6, 16, 0, 0, 0));
  std::fill_n(readings.begin(), 700, At(2010, 6, 15, 23, 59, 59));
  const LibrarySettings loaded = Loaded(Caller::kZoltResult);
  site.env.SetTimes(readings);
  std::vector<int32_t> values(kSlotCount);
  ComputeTable(site.env, loaded, values.data());
  EXPECT_EQ(values, ReferenceTable(settings, readings));
  // Values of the two dates meet: later slots become taken marks.
  EXPECT_GT(std::count(values.begin(), values.end(), kTakenMark), 0);
}

TEST_F(PinTablesTest, FreshTablesHoldTheDayAndTheirEntriesByteForByte) {
  // The day must have void marks, or the layout proves little. Within one
  // date no two slots share a value (they differ in two adjacent bytes only,
  // which the checksum always tells apart), so duplicates arise only in a
  // build that crosses midnight.
  ASSERT_GT(std::count(today.begin(), today.end(), kVoidMark), 0);
  ASSERT_EQ(std::count(today.begin(), today.end(), kTakenMark), 0);
  for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
    std::filesystem::remove(site.DataFile("PINTable.dat"));
    std::filesystem::remove(site.DataFile("DLLPINTable.dat"));
    ASSERT_EQ(Refresh(caller), Code::kOk);
    EXPECT_EQ(site.ReadData("DLLPINTable.dat"), FreshLibraryFile(today, kNoon));
    EXPECT_EQ(site.ReadData("PINTable.dat"), FreshMarksFile(today, kNoon));
  }
}

// Each file is judged by its own date: a stale library table is rebuilt
// alone and today's marks survive; stale marks rebuild both.
TEST_F(PinTablesTest, StaleTablesAreRebuiltAndCurrentOnesKept) {
  ASSERT_FALSE(IsMarkValue(today[720]));
  const LocalTime may = At(2010, 5, 15, 12, 0);
  const std::string marks_today = FreshMarksFile(today, kNoon) + "720=270E\r\n";
  const std::string fresh_library = FreshLibraryFile(today, kNoon);
  const std::string fresh_marks = FreshMarksFile(today, kNoon);
  struct Case {
    const char* name;
    std::string marks, library;  // "<missing>": no such file
    std::string want_marks, want_library;
  } cases[] = {
      {"both of yesterday", TableFile(14, "5=270E\r\n"), TableFile(14, "5=270E\r\n6=1234\r\n"),
       fresh_marks, fresh_library},
      {"the same day of an earlier month", FreshMarksFile(ReferenceTable(settings, may), may),
       FreshLibraryFile(ReferenceTable(settings, may), may), fresh_marks, fresh_library},
      {"library missing", marks_today, "<missing>", marks_today, fresh_library},
      {"library of yesterday", marks_today, TableFile(14, "720=1111\r\n"), marks_today,
       fresh_library},
      // A station that records the day of the month only: current on that day.
      {"undated, today's day", TableFile(15, "5=270E\r\n"), TableFile(15, "6=1234\r\n"),
       TableFile(15, "5=270E\r\n"), TableFile(15, "6=1234\r\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    site.WriteData("PINTable.dat", c.marks);
    if (c.library == "<missing>") {
      std::filesystem::remove(site.DataFile("DLLPINTable.dat"));
    } else {
      site.WriteData("DLLPINTable.dat", c.library);
    }
    ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
    EXPECT_EQ(site.ReadData("PINTable.dat"), c.want_marks);
    EXPECT_EQ(site.ReadData("DLLPINTable.dat"), c.want_library);
  }
}

TEST_F(PinTablesTest, FailedDeletionsAndEmptyingAtANewDay) {
  using enum Code;
  using enum FileError;
  constexpr char kPin[] = "PINTable.dat", kDll[] = "DLLPINTable.dat";
  struct Case {
    const char* name;
    int table_day;  // of PINTable.dat; -1: no LastPINRunDay at all
    int library_day;
    const char* failing_file;
    FileError cause;
    Code zolt, query;
    FileError write_cause = kNone;  // the write that empties the old [PINTable]
  } cases[] = {
      {"pin denied", 14, 14, kPin, kDenied, kDeleteDenied, kDeleteDenied},
      {"dll denied", 14, 14, kDll, kDenied, kDeleteDenied, kDeleteDenied},
      {"pin not found", 14, 14, kPin, kNotFound, kOk, kTableNotFound},
      {"dll not found", 14, 14, kDll, kNotFound, kOk, kTableNotFound},
      {"pin bad path", 14, 14, kPin, kBadPath, kOk, kTableBadPath},
      {"dll bad path", 14, 14, kDll, kBadPath, kOk, kTableBadPath},
      {"no day, not found", -1, 14, kPin, kNotFound, kOk, kOk},
      {"no day, bad path", -1, 14, kDll, kBadPath, kOk, kOk},
      {"sharing", 14, 14, kPin, kSharing, kOk, kOk},
      {"other", 14, 14, kDll, kOther, kOk, kOk},
      {"library only, denied", 15, 14, kDll, kDenied, kDeleteDenied, kDeleteDenied},
      {"library only, not found", 15, 14, kDll, kNotFound, kOk, kOk},
      {"library only, bad path", 15, 14, kDll, kBadPath, kOk, kOk},
      // The deletion fails for a cause that carries on, so the old section
      // must be removed by a write, and that write fails: the query stops.
      {"pin emptying fails", 14, 14, kPin, kOther, kOk, kTableEmpty, kDenied},
      {"dll emptying fails", 14, 14, kDll, kOther, kOk, kTableEmpty, kDenied},
  };
  for (const Case& c : cases) {
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      const bool query = caller == Caller::kSoldOutQuery;
      SCOPED_TRACE(std::string(c.name) + (query ? " (query)" : " (issue)"));
      site.env.ClearFailures();
      site.WriteData("PINTable.dat", TableFile(c.table_day, "5=270E\r\n"));
      site.WriteData("DLLPINTable.dat", TableFile(c.library_day, "6=1234\r\n"));
      site.env.FailRemove(c.failing_file, c.cause);
      if (c.write_cause != kNone) site.env.FailWrite(c.failing_file, c.write_cause);
      const Code expected = query ? c.query : c.zolt;
      EXPECT_EQ(Refresh(caller), expected);
      if (expected != kOk) {
        // Nothing was built: no file carries today's day.
        EXPECT_EQ(site.ReadData("DLLPINTable.dat").find("LastPINRunDay=15"), std::string::npos);
      }
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
  LibrarySettings s = Loaded(Caller::kSoldOutQuery);
  PinTables tables;
  ASSERT_EQ(Refresh(Caller::kSoldOutQuery, &tables), Code::kOk);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.now.hour << ":" << c.now.minute << " expiry "
                                      << c.expiry);
    s.PINExpiry = c.expiry;
    site.env.SetTime(c.now);
    FreeSlot found;
    EXPECT_EQ(FindFreeSlot(site.env, s, tables, &found), c.code);
    if (c.code == Code::kOk) {
      EXPECT_EQ(found.slot, c.slot);
      EXPECT_EQ(found.value, c.value);
      EXPECT_EQ(found.sale_time.minute, c.now.minute);
    }
  }
  // Marking writes the taken mark into both files, over the old value.
  MarkSlotTaken(site.env, 721, &tables);
  EXPECT_NE(site.ReadData("PINTable.dat").find("\r\n721=270E\r\n"), std::string::npos);
  EXPECT_NE(site.ReadData("DLLPINTable.dat").find("\r\n721=270E\r\n"), std::string::npos);
  EXPECT_EQ(site.ReadData("DLLPINTable.dat").find("721=1234"), std::string::npos);
}

}  // namespace
}  // namespace zolt
