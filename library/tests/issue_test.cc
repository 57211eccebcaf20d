// Scenario tests of the two operations behind the exports: a station with
// its settings file and a shared data folder, at chosen sale times.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "library/expiry_text.h"
#include "library/pin_tables.h"
#include "library/settings.h"
#include "library/tests/site.h"
#include "library/zolt.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;
using test::FreshLibraryFile;
using test::FreshMarksFile;
using test::IsMarkValue;
using test::ReferenceTable;
using test::Site;
using test::SiteSettings;

const LocalTime kNoon = At(2010, 6, 15, 12, 0);
constexpr char kGuard = '\x5A';

// A caller's expiry buffer with guard bytes after the 12 the library may use.
struct Buffer {
  Buffer() { std::memset(bytes, kGuard, sizeof(bytes)); }
  std::string Text() const { return std::string(bytes); }
  bool Untouched() const {
    for (char b : bytes) {
      if (b != kGuard) return false;
    }
    return true;
  }
  bool GuardsIntact() const {
    for (size_t i = kExpiryBufferSize; i < sizeof(bytes); ++i) {
      if (bytes[i] != kGuard) return false;
    }
    return true;
  }
  char bytes[32];
};

// The slots of the noon window 720..710 that a fresh table leaves free,
// newest first.
std::vector<int> FreeSlots(const std::vector<int32_t>& table) {
  std::vector<int> free;
  for (int slot = 720; slot >= 710; --slot) {
    if (!IsMarkValue(table[slot])) free.push_back(slot);
  }
  return free;
}

class IssueTest : public ::testing::Test {
 protected:
  void SetUp() override { Use(settings); }
  void Use(const SiteSettings& s) {
    settings = s;
    site.WriteSettings(s);
    site.env.SetTime(kNoon);
  }
  int32_t Issue(int32_t size, Buffer* buffer = nullptr) {
    Buffer scratch;
    return IssuePin(site.env, size, (buffer ? buffer : &scratch)->bytes);
  }
  int32_t Query(int32_t size) { return QuerySoldOut(site.env, size); }
  bool Taken(int slot) {
    const std::string entry = "\r\n" + std::to_string(slot) + "=270E\r\n";
    return site.ReadData("PINTable.dat").find(entry) != std::string::npos &&
           site.ReadData("DLLPINTable.dat").find(entry) != std::string::npos;
  }

  Site site;
  SiteSettings settings;
};

TEST(FormPinTest, SizeDigitThenFiveDigitCore) {
  struct Case {
    int32_t size, crypt, value, pin;
  } cases[] = {
      {1, 1, 0, 400001},      {1, 1, 5, 400006},  // zero-padded core
      {2, 1, 0, 600002},      {3, 1, 0, 800003},
      {1, 42, 100, 400142},   {3, 255, 64770, 865535},
      {2, 200, 9000, 609400},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormPin(c.size, c.crypt, c.value), c.pin);
    EXPECT_EQ(std::to_string(FormPin(c.size, c.crypt, c.value)).size(), 6u);
  }
}

TEST(ExpiryTextTest, UntilMidnightOrTheClockTime) {
  struct Case {
    int32_t expiry;
    LocalTime sale;
    const char* text;
  } cases[] = {
      {0, At(2010, 6, 15, 0, 0), " 11:55 PM \n"},
      {0, At(2010, 6, 15, 12, 0), " 11:55 PM \n"},
      {10, At(2010, 6, 15, 23, 50), "11:55 PM \n"},
      {10, At(2010, 6, 15, 23, 56), " 11:55 PM \n"},
      {60, At(2010, 6, 15, 10, 0), "10:55 AM \n"},   // 55 min and ~4.5 s
      {60, At(2010, 6, 15, 11, 30), "12:25 PM \n"},
      {10, At(2010, 6, 15, 0, 0), "12:05 AM \n"},
      {10, At(2010, 6, 15, 12, 55, 59), "01:00 PM \n"},
      {1439, At(2010, 6, 15, 0, 0), "11:55 PM \n"},  // ends 23:55:59
      {1439, At(2010, 6, 15, 0, 1), "11:56 PM \n"},
      {1439, At(2010, 6, 15, 0, 5), " 11:55 PM \n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExpiryText(c.sale, c.expiry), c.text)
        << "expiry " << c.expiry << " at " << c.sale.hour << ":"
        << c.sale.minute;
  }
}

TEST_F(IssueTest, PinsInOneMinuteTakeOlderSlotsUntilSoldOut) {
  const std::vector<int32_t> table = ReferenceTable(settings, kNoon);
  const std::vector<int> free_slots = FreeSlots(table);
  ASSERT_FALSE(IsMarkValue(table[721]));
  for (int slot : free_slots) {
    EXPECT_EQ(Query(2), 2 * settings.pincrypt + table[slot]);
    EXPECT_EQ(Issue(1), FormPin(1, settings.pincrypt, table[slot]));
    EXPECT_TRUE(Taken(slot)) << "slot " << slot;
  }
  Buffer buffer;
  EXPECT_EQ(Issue(1, &buffer), ToInt(Code::kSoldOut));
  EXPECT_TRUE(buffer.Untouched());
  for (int32_t size : {1, 2, 3}) EXPECT_EQ(Query(size), ToInt(Code::kSoldOut));

  site.env.SetTime(At(2010, 6, 15, 12, 1));  // slot 721 enters the window
  EXPECT_EQ(Query(1), settings.pincrypt + table[721]);
  EXPECT_EQ(Issue(3), FormPin(3, settings.pincrypt, table[721]));
}

TEST_F(IssueTest, QueryFindsTheSlotTheNextSaleTakesAndUsesNothing) {
  Query(1);  // builds the day's tables
  const std::string marks_before = site.ReadData("PINTable.dat");
  const int32_t core = Query(2);
  ASSERT_GT(core, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Query(2), core);
  EXPECT_EQ(site.ReadData("PINTable.dat"), marks_before);
  const int32_t pin = Issue(2);
  EXPECT_EQ(pin / 100000, 6);
  EXPECT_EQ(pin % 100000, core);
}

TEST_F(IssueTest, BasketSizesShareOneSlotPool) {
  const int32_t core1 = Query(1);
  ASSERT_GT(core1, 0);
  EXPECT_EQ(Query(2), core1 + settings.pincrypt);
  EXPECT_EQ(Query(3), core1 + 2 * settings.pincrypt);
  const int32_t large = Issue(3);
  const int32_t small = Issue(1);
  const int32_t medium = Issue(2);
  EXPECT_EQ(large / 100000, 8);
  EXPECT_EQ(small / 100000, 4);
  EXPECT_EQ(medium / 100000, 6);
  EXPECT_EQ(large % 100000, core1 + 2 * settings.pincrypt);
  // The small basket gets an older slot, not the large basket's: the slot
  // values differ (no two slots of a table share a value).
  const int32_t small_value = small % 100000 - settings.pincrypt;
  const int32_t medium_value = medium % 100000 - 2 * settings.pincrypt;
  const int32_t large_value = large % 100000 - 3 * settings.pincrypt;
  EXPECT_NE(small_value, large_value);
  EXPECT_NE(medium_value, large_value);
  EXPECT_NE(medium_value, small_value);
}

TEST_F(IssueTest, ExpiryTextInTheCallersBufferAndNoFurther) {
  struct Case {
    int32_t expiry;
    LocalTime sale;
    const char* text;
  } cases[] = {
      {0, At(2010, 6, 15, 9, 0), " 11:55 PM \n"},
      {10, At(2010, 6, 15, 23, 50), "11:55 PM \n"},
      {10, At(2010, 6, 15, 23, 56), " 11:55 PM \n"},
      {60, At(2010, 6, 15, 10, 0), "10:55 AM \n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SiteSettings s;
    s.expiry = c.expiry;
    Use(s);
    site.env.SetTime(c.sale);
    Buffer buffer;
    ASSERT_GT(Issue(1, &buffer), 0);
    EXPECT_EQ(buffer.Text(), c.text);
    EXPECT_TRUE(buffer.GuardsIntact());
  }
}

TEST_F(IssueTest, ImpossibleSystemDatesIssueNothing) {
  struct Case {
    LocalTime now;
    Code code;
  } cases[] = {
      {At(2016, 6, 15, 12, 0), Code::kYear},
      {At(2026, 6, 15, 12, 0), Code::kYear},
      {At(2000, 6, 15, 12, 0), Code::kYear},
      {At(2010, 13, 15, 12, 0), Code::kMonth},
      {At(2010, 0, 15, 12, 0), Code::kMonth},
      {At(2010, 6, 32, 12, 0), Code::kDay},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(ToInt(c.code));
    Site s;
    s.WriteSettings(settings);
    s.env.SetTime(c.now);
    const int32_t core = QuerySoldOut(s.env, 1);  // the query never checks
    ASSERT_GT(core, 0);
    const std::string marks = s.ReadData("PINTable.dat");
    Buffer buffer;
    EXPECT_EQ(IssuePin(s.env, 1, buffer.bytes), ToInt(c.code));
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(s.ReadData("PINTable.dat"), marks);  // the slot stays free
    EXPECT_EQ(QuerySoldOut(s.env, 1), core);
  }
}

TEST_F(IssueTest, WindowOutsideTheDay) {
  site.env.SetTime(At(2010, 6, 15, 25, 0));
  Buffer buffer;
  EXPECT_EQ(Issue(1, &buffer), ToInt(Code::kWindow));
  EXPECT_TRUE(buffer.Untouched());
  EXPECT_EQ(Query(1), ToInt(Code::kWindow));
}

TEST_F(IssueTest, NewDayStartsFromAFreshTable) {
  const int32_t pin = Issue(1);
  ASSERT_GT(pin, 0);
  const LocalTime tomorrow = At(2010, 6, 16, 12, 0);
  site.env.SetTime(tomorrow);
  ASSERT_GT(Query(1), 0);
  const std::vector<int32_t> table = ReferenceTable(settings, tomorrow);
  EXPECT_EQ(site.ReadData("PINTable.dat"), FreshMarksFile(table, tomorrow));
  EXPECT_EQ(site.ReadData("DLLPINTable.dat"), FreshLibraryFile(table, tomorrow));
}

TEST_F(IssueTest, YesterdaysMarksWithoutLibraryTable) {
  // The query stops with -610 after deleting PINTable.dat; the next call
  // rebuilds. ZoltResult carries on at once.
  for (bool query_first : {true, false}) {
    SCOPED_TRACE(query_first ? "query" : "issue");
    Site s;
    s.WriteSettings(settings);
    s.env.SetTime(At(2010, 6, 14, 12, 0));
    ASSERT_GT(QuerySoldOut(s.env, 1), 0);
    fs::remove(s.DataFile("DLLPINTable.dat"));
    s.env.SetTime(kNoon);
    if (query_first) {
      EXPECT_EQ(QuerySoldOut(s.env, 1), ToInt(Code::kTableNotFound));
      EXPECT_FALSE(s.DataExists("PINTable.dat"));
      EXPECT_GT(QuerySoldOut(s.env, 1), 0);
    } else {
      Buffer buffer;
      EXPECT_EQ(IssuePin(s.env, 1, buffer.bytes),
                FormPin(1, settings.pincrypt,
                        ReferenceTable(settings, kNoon)[FreeSlots(
                            ReferenceTable(settings, kNoon))[0]]));
    }
    const std::vector<int32_t> table = ReferenceTable(settings, kNoon);
    if (query_first) {
      EXPECT_EQ(s.ReadData("PINTable.dat"), FreshMarksFile(table, kNoon));
      EXPECT_EQ(s.ReadData("DLLPINTable.dat"), FreshLibraryFile(table, kNoon));
    }
  }
}

TEST_F(IssueTest, TodaysMarksSurviveALibraryTableRebuild) {
  const std::vector<int> free = FreeSlots(ReferenceTable(settings, kNoon));
  ASSERT_GE(free.size(), 2u);
  ASSERT_GT(Issue(1), 0);
  fs::remove(site.DataFile("DLLPINTable.dat"));
  EXPECT_EQ(Issue(1), FormPin(1, settings.pincrypt,
                              ReferenceTable(settings, kNoon)[free[1]]));
  // The first sale's mark stays in PINTable.dat; the rebuilt library table
  // holds that slot's value again.
  EXPECT_NE(site.ReadData("PINTable.dat")
                .find("\r\n" + std::to_string(free[0]) + "=270E\r\n"),
            std::string::npos);
  EXPECT_TRUE(Taken(free[1]));
}

TEST_F(IssueTest, FailuresFromSettingsAndDataFolderReachTheCaller) {
  SiteSettings s;
  s.with_path = false;
  Use(s);
  Buffer buffer;
  EXPECT_EQ(Issue(1, &buffer), ToInt(Code::kDataFolder));
  EXPECT_EQ(Query(1), ToInt(Code::kDataFolder));
  s.expiry = 1;
  Use(s);
  EXPECT_EQ(Issue(1, &buffer), ToInt(Code::kPinsOff));
  EXPECT_EQ(Query(1), ToInt(Code::kPinsOff));
  EXPECT_EQ(Issue(0, &buffer), ToInt(Code::kPinsOff));
  fs::remove(site.StationFile("OstrelZOLTDLL.dta"));
  EXPECT_EQ(Issue(1, &buffer), ToInt(Code::kSettingsMissing));
  EXPECT_TRUE(buffer.Untouched());
  // Boxes: -300 for each ZoltResult (none for the query), then -400.
  ASSERT_EQ(site.env.notices().size(), 3u);
  EXPECT_EQ(site.env.notices()[2].caption, kNoticeMissing);
}

TEST_F(IssueTest, DamagedFilesGiveACodeOrARebuild) {
  std::string binary(4096, '\0');
  for (size_t i = 0; i < binary.size(); ++i) {
    binary[i] = static_cast<char>((i * 131 + 7) % 256);
  }
  const std::string damaged[] = {
      "",
      std::string("\0\0\0\0", 4),
      binary,
      "\xEF\xBB\xBF",
      "\xFF\xFE[\0O\0",
      "[Other]\r\nLastPINRunDay=15\r\nLastPINRunDate=2010",  // cut short
      "[PINTable]\r\n720=",
  };
  const int32_t core = Query(1);
  ASSERT_GT(core, 0);
  for (const std::string& bytes : damaged) {
    for (const char* file : {"PINTable.dat", "DLLPINTable.dat"}) {
      SCOPED_TRACE(::testing::Message() << file << " of " << bytes.size()
                                        << " bytes");
      site.WriteData(file, bytes);
      EXPECT_EQ(Query(1), core);  // rebuilt as it was
    }
    site.root().WriteFile("station/OstrelZOLTDLL.dta", bytes);
    EXPECT_EQ(Query(1), ToInt(Code::kVendor));
    Use(settings);
  }
}

TEST_F(IssueTest, CostOfACall) {
  ASSERT_GT(Issue(1), 0);  // first call of the day: build
  // Another first call, with both table files deleted.
  fs::remove(site.DataFile("PINTable.dat"));
  fs::remove(site.DataFile("DLLPINTable.dat"));
  site.env.ResetCounts();
  ASSERT_GT(Issue(1), 0);
  // The build writes each file once (date keys and table together), the
  // mark once more.
  EXPECT_EQ(site.env.reads("PINTable.dat"), 1);
  EXPECT_EQ(site.env.reads("DLLPINTable.dat"), 1);
  EXPECT_EQ(site.env.writes("PINTable.dat"), 2);
  EXPECT_EQ(site.env.writes("DLLPINTable.dat"), 2);

  site.env.ResetCounts();
  ASSERT_GT(Issue(1), 0);  // hot: current tables
  EXPECT_EQ(site.env.reads("PINTable.dat"), 1);
  EXPECT_EQ(site.env.reads("DLLPINTable.dat"), 1);
  EXPECT_EQ(site.env.writes("PINTable.dat"), 1);
  EXPECT_EQ(site.env.writes("DLLPINTable.dat"), 1);
  EXPECT_EQ(site.env.writes("OstrelZOLTDLL.dta"), 0);

  site.env.ResetCounts();
  ASSERT_GT(Query(1), 0);
  EXPECT_EQ(site.env.reads("PINTable.dat"), 1);
  EXPECT_EQ(site.env.reads("DLLPINTable.dat"), 1);
  EXPECT_EQ(site.env.writes("PINTable.dat"), 0);
  EXPECT_EQ(site.env.writes("DLLPINTable.dat"), 0);
}

}  // namespace
}  // namespace zolt
