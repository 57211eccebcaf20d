// The full-date key of the table files and a table lock that cannot be had,
// on the library core with a scripted clock.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>

#include "library/table_lock.h"
#include "library/zolt.h"
#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "tests/reliability/station.h"

namespace zolt::reliability {
namespace {

// The bytes of a table file as a station writes it; `date` 0 leaves out
// LastPINRunDate, as a station that does not know the key writes the file.
// The library file holds every slot, the marks file the marks only, plus
// "270E" for each slot in `taken`.
std::string TableBytes(const DayTable& table, bool library_file, int day,
                       int32_t date, const std::vector<int>& taken = {}) {
  std::string out = "[Other]\r\nLastPINRunDay=" + std::to_string(day) + "\r\n";
  if (date != 0) out += "LastPINRunDate=" + std::to_string(date) + "\r\n";
  out += "[PINTable]\r\n";
  for (int slot = 0; slot < kSlotCount; ++slot) {
    int32_t v = table.values[static_cast<size_t>(slot)];
    for (int t : taken) {
      if (t == slot) v = kTakenMark;
    }
    if (library_file || v == kTakenMark || v == kVoidMark) {
      out += std::to_string(slot) + "=" + TableText(v) + "\r\n";
    }
  }
  return out;
}

class DateKeyTest : public ::testing::Test {
 protected:
  DateKeyTest()
      : data_(root_.MakeDir("data")), station_(root_.MakeDir("station")) {
    WriteSettingsFile(station_, data_, 0);
    env_.SetExecutablePath(station_ + "/pos.exe");
  }

  // A sale at 23:59 of the date; returns the slot of the PIN issued, or -1.
  int SellAt(int32_t date, int32_t* pin = nullptr) {
    env_.SetTime(FromDateNumber(date, 23, 59));
    char expiry[kExpiryBufferSize];
    int32_t r = IssuePin(env_, 1, expiry);
    if (pin != nullptr) *pin = r;
    if (r <= 0) return -1;
    const DayTable& t = Table(date);
    auto it = t.slot_of.find(ValueOfPin(r, kPinCrypt));
    return it == t.slot_of.end() ? -1 : it->second;
  }

  const DayTable& Table(int32_t date) {
    auto it = tables_.find(date);
    if (it == tables_.end()) {
      it = tables_
               .emplace(date, ComputeDayTable(FromDateNumber(date, 23, 59)))
               .first;
    }
    return it->second;
  }

  // The newest slot at or below `from` that the day's table offers.
  int NewestFree(int32_t date, int from) {
    const DayTable& t = Table(date);
    for (int slot = from; slot >= 0; --slot) {
      int32_t v = t.values[static_cast<size_t>(slot)];
      if (v != kTakenMark && v != kVoidMark) return slot;
    }
    return -1;
  }

  StrictTableFile Read(const std::string& name) {
    return ReadStrictTableFile(root_.ReadFile("data/" + name));
  }

  TempDir root_;
  std::string data_, station_;
  TestEnv env_;
  std::map<int32_t, DayTable> tables_;
};

TEST_F(DateKeyTest, TableOfTheSameDayOfAnEarlierMonthIsRebuilt) {
  const int may_slot = SellAt(20140515);
  ASSERT_EQ(may_slot, NewestFree(20140515, 1439));

  // 15 June: the day of the month matches, the date does not.
  int32_t pin = 0;
  const int june_slot = SellAt(20140615, &pin);
  ASSERT_EQ(june_slot, NewestFree(20140615, 1439)) << "PIN " << pin;
  StrictTableFile dll = Read("DLLPINTable.dat"), marks = Read("PINTable.dat");
  ASSERT_TRUE(dll.ok) << dll.error;
  ASSERT_TRUE(marks.ok) << marks.error;
  EXPECT_EQ(dll.run_date, 20140615);
  EXPECT_EQ(marks.run_date, 20140615);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (slot == june_slot) continue;
    EXPECT_EQ(dll.entries[slot],
              TableText(Table(20140615).values[static_cast<size_t>(slot)]))
        << "slot " << slot;
  }
}

// Files without the date key, as stations that do not know it write them,
// are judged by the day of the month; each file on its own.
TEST_F(DateKeyTest, FilesWithoutTheDateKeyFallBackToTheDay) {
  struct Case {
    const char* name;
    int pin_day;  // LastPINRunDay of PINTable.dat; its date key is left out
    int32_t pin_date;
    int dll_day;
    int32_t dll_date;
    bool marks_kept;   // slot 1439's taken mark in PINTable.dat survives
    int32_t new_pin_date;  // LastPINRunDate of PINTable.dat afterwards (0: none)
  };
  const Case cases[] = {
      {"both undated, today's day: current", 15, 0, 15, 0, true, 0},
      {"both undated, yesterday's day: rebuilt", 14, 0, 14, 0, false,
       20140615},
      {"marks dated today, library undated of today: current", 15, 20140615,
       15, 0, true, 20140615},
      {"marks undated of today, library of 15 May: library rebuilt", 15, 0,
       15, 20140515, true, 20140615},
      {"marks of 15 May with the key, library undated: both rebuilt", 15,
       20140515, 15, 0, false, 20140615},
  };
  const DayTable& june = Table(20140615);
  const int newest = NewestFree(20140615, 1439);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    root_.WriteFile("data/PINTable.dat",
                    TableBytes(june, false, c.pin_day, c.pin_date, {newest}));
    root_.WriteFile("data/DLLPINTable.dat",
                    TableBytes(june, true, c.dll_day, c.dll_date));
    const int slot = SellAt(20140615);
    // Kept marks: the slot taken earlier today stays taken.
    EXPECT_EQ(slot, c.marks_kept ? NewestFree(20140615, newest - 1) : newest);
    StrictTableFile marks = Read("PINTable.dat");
    EXPECT_EQ(marks.run_date, c.new_pin_date);
    StrictTableFile dll = Read("DLLPINTable.dat");
    EXPECT_EQ(dll.entries.size(), static_cast<size_t>(kSlotCount));
  }
}

TEST_F(DateKeyTest, LockFileThatIsAFolderLetsTheCallGoOnUnlocked) {
  root_.MakeDir("data/PINTable.lck");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SellAt(20140615), NewestFree(20140615, 1439));
  EXPECT_LT(std::chrono::steady_clock::now() - start,
            std::chrono::milliseconds(kTableLockWaitMs));
}

// Another holder that never lets go (a hung station): the call waits the
// bound, then refuses rather than sell beside it; once the holder is gone
// the next call sells.
TEST_F(DateKeyTest, LockHeldElsewhereRefusesTheCallAfterTheBound) {
  std::unique_ptr<FileLock> hung;
  ASSERT_EQ(Env::Default().LockFile(data_ + "/PINTable.lck", 0, &hung),
            FileError::kNone);
  const auto start = std::chrono::steady_clock::now();
  int32_t pin = 0;
  EXPECT_EQ(SellAt(20140615, &pin), -1);
  EXPECT_EQ(pin, -1);
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(kTableLockWaitMs - 50));
  EXPECT_LT(waited, std::chrono::milliseconds(kTableLockWaitMs + 3000));
  EXPECT_FALSE(root_.Exists("data/PINTable.dat"));
  hung.reset();
  EXPECT_EQ(SellAt(20140615), NewestFree(20140615, 1439));
}

}  // namespace
}  // namespace zolt::reliability
