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
#include "library/table_lock.h"
#include "library/tests/site.h"
#include "library/zolt.h"
#include "platform/testing/fault_env.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;
using test::IsMarkValue;
using test::ReferenceTable;
using test::Site;
using test::SiteSettings;

const LocalTime kNoon = At(2010, 6, 15, 12, 0);
constexpr char kGuard = '\x5A';

// A caller's expiry buffer, to tell that a failure leaves it alone.
struct Buffer {
  Buffer() { std::memset(bytes, kGuard, sizeof(bytes)); }
  bool Untouched() const { return std::string(bytes, sizeof(bytes)) == std::string(sizeof(bytes), kGuard); }
  char bytes[32];
};

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
  } cases[] = {{1, 1, 0, 400001},    {1, 1, 5, 400006},       {2, 1, 0, 600002},
               {3, 1, 0, 800003},    {1, 42, 100, 400142},    {3, 255, 64770, 865535},
               {2, 200, 9000, 609400}};
  for (const Case& c : cases) EXPECT_EQ(FormPin(c.size, c.crypt, c.value), c.pin);
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
        << "expiry " << c.expiry << " at " << c.sale.hour << ":" << c.sale.minute;
  }
}

TEST_F(IssueTest, PinsInOneMinuteTakeOlderSlotsUntilSoldOut) {
  const std::vector<int32_t> table = ReferenceTable(settings, kNoon);
  ASSERT_FALSE(IsMarkValue(table[721]));
  for (int slot = 720; slot >= 710; --slot) {
    if (IsMarkValue(table[slot])) continue;
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

TEST_F(IssueTest, ImpossibleSystemDatesIssueNothing) {
  struct Case {
    LocalTime now;
    Code code;
  } cases[] = {{At(2016, 6, 15, 12, 0), Code::kYear},  {At(2026, 6, 15, 12, 0), Code::kYear},
               {At(2000, 6, 15, 12, 0), Code::kYear},  {At(2010, 13, 15, 12, 0), Code::kMonth},
               {At(2010, 0, 15, 12, 0), Code::kMonth}, {At(2010, 6, 32, 12, 0), Code::kDay}};
  for (const Case& c : cases) {
    SCOPED_TRACE(ToInt(c.code));
    // Each date on tables of its own: tables are never rebuilt backwards.
    fs::remove(site.DataFile("PINTable.dat"));
    fs::remove(site.DataFile("DLLPINTable.dat"));
    site.env.SetTime(c.now);
    const int32_t core = Query(1);  // the query never checks
    ASSERT_GT(core, 0);
    const std::string marks = site.ReadData("PINTable.dat");
    Buffer buffer;
    EXPECT_EQ(Issue(1, &buffer), ToInt(c.code));
    EXPECT_TRUE(buffer.Untouched());
    EXPECT_EQ(site.ReadData("PINTable.dat"), marks);  // the slot stays free
    EXPECT_EQ(Query(1), core);
  }
}

TEST_F(IssueTest, FailuresFromSettingsClockAndDataFolderReachTheCaller) {
  Buffer buffer;
  site.env.SetTime(At(2010, 6, 15, 25, 0));
  EXPECT_EQ(Issue(1, &buffer), ToInt(Code::kWindow));
  EXPECT_EQ(Query(1), ToInt(Code::kWindow));
  SiteSettings s;
  s.with_path = false;
  Use(s);
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
  EXPECT_EQ(site.env.notices()[0].caption, kNoticeExpiry);
  EXPECT_EQ(site.env.notices()[2].caption, kNoticeMissing);
}

// Every path made in the data folder (DLLPINTable.dat the longest) must fit
// the platform's limit, or nothing is written.
TEST_F(IssueTest, DataFolderMustLeaveRoomForTheLongestName) {
  const size_t fits = site.DataFile("DLLPINTable.dat").size();
  site.env.SetMaxPathLength(fits);
  EXPECT_GT(Query(1), 0);
  fs::remove(site.DataFile("PINTable.dat"));
  site.env.SetMaxPathLength(fits - 1);
  EXPECT_EQ(Query(1), ToInt(Code::kDataFolder));
  EXPECT_FALSE(site.DataExists("PINTable.dat"));
}

TEST_F(IssueTest, CostOfACall) {
  // Reads and writes of each table file; in place: writes of the mark alone.
  auto expect_counts = [this](int reads, int writes, int in_place) {
    for (const char* file : {"PINTable.dat", "DLLPINTable.dat"}) {
      EXPECT_EQ(site.env.reads(file), reads) << file;
      EXPECT_EQ(site.env.writes(file), writes) << file;
      EXPECT_EQ(site.env.writes_in_place(file), in_place) << file;
    }
    EXPECT_EQ(site.env.reads("OstrelZOLTDLL.dta"), 1);  // checked and read at once
    EXPECT_EQ(site.env.writes("OstrelZOLTDLL.dta"), 0);
    site.env.ResetCounts();
  };
  ASSERT_GT(Issue(1), 0);  // first call of the day: build
  // Another first call, with both table files deleted.
  fs::remove(site.DataFile("PINTable.dat"));
  fs::remove(site.DataFile("DLLPINTable.dat"));
  site.env.ResetCounts();
  ASSERT_GT(Issue(1), 0);
  // The build writes each file once (date keys and table together), the
  // mark once more, in place.
  expect_counts(1, 2, 1);
  ASSERT_GT(Issue(1), 0);  // hot: current tables, the marks written in place
  expect_counts(1, 1, 1);
  ASSERT_GT(Query(1), 0);
  expect_counts(1, 0, 0);
}

// Around midnight a station whose clock is still on the old day meets
// tables that another station built for the new one: it refuses, and
// rebuilds nothing, so that the new day's PINs are never issued again.
TEST_F(IssueTest, TablesOfALaterDateAreNeverRebuiltBackwards) {
  site.env.SetTime(At(2010, 6, 16, 0, 1));
  const int32_t first = Issue(1);
  ASSERT_GT(first, 0);
  const std::string tables = site.ReadData("PINTable.dat") + site.ReadData("DLLPINTable.dat");
  site.env.SetTime(At(2010, 6, 15, 23, 58));
  Refusal why;
  Buffer buffer;
  EXPECT_EQ(IssuePin(site.env, 1, buffer.bytes, &why), ToInt(Code::kUndetermined));
  EXPECT_NE(why.step.find("clock is behind the tables"), std::string::npos) << why.step;
  EXPECT_EQ(Query(1), ToInt(Code::kUndetermined));
  EXPECT_TRUE(buffer.Untouched());
  EXPECT_EQ(site.ReadData("PINTable.dat") + site.ReadData("DLLPINTable.dat"), tables);
  site.env.SetTime(At(2010, 6, 16, 0, 1));
  const int32_t second = Issue(1);
  EXPECT_GT(second, 0);
  EXPECT_NE(second, first);
}

// The table lock fails, beside a live holder of it: only a file system that
// positively keeps no locks lets the call go on unlocked, and a data folder
// where this station may make no PINTable.lck lets it lock PINTable.dat.
// Every other failure refuses.
TEST_F(IssueTest, LockFailuresRefuseUnlessTheFileSystemKeepsNoLocks) {
  ASSERT_GT(Issue(1), 0);
  FaultEnv probe(site.env);
  probe.Arm(-1, FileError::kNone, false);
  ASSERT_GT(IssuePin(probe, 1, Buffer().bytes), 0);
  int lock_op = -1;
  for (size_t i = 0; i < probe.ops().size(); ++i) {
    if (probe.ops()[i].op == FaultEnv::Op::kLockFile) lock_op = static_cast<int>(i);
    if (lock_op >= 0) break;
  }
  ASSERT_GE(lock_op, 0);
  struct Case {
    FileError error;
    bool sells;
  } cases[] = {
      {FileError::kOther, false},  {FileError::kLink, false},   {FileError::kNotFound, false},
      {FileError::kSharing, false}, {FileError::kNoLocks, true}, {FileError::kDenied, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(FileErrorName(c.error));
    std::unique_ptr<FileLock> holder;
    if (!c.sells) {
      ASSERT_EQ(Env::Default().LockFile(site.DataFile("PINTable.lck"), LockPlace::kLockFile, 0,
                                        &holder),
                FileError::kNone);
    }
    const std::string tables = site.ReadData("PINTable.dat") + site.ReadData("DLLPINTable.dat");
    FaultEnv fault(site.env);
    fault.Arm(lock_op, c.error, false);
    Refusal why;
    const int32_t r = IssuePin(fault, 1, Buffer().bytes, &why);
    if (c.sells) {
      EXPECT_GT(r, 0);
    } else {
      EXPECT_EQ(r, ToInt(Code::kUndetermined));
      EXPECT_EQ(why.error, c.error);
      EXPECT_EQ(site.ReadData("PINTable.dat") + site.ReadData("DLLPINTable.dat"), tables);
    }
  }
}

}  // namespace
}  // namespace zolt
