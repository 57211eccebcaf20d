#include "library/pin_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
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
  // A new call of `caller`'s over the settings, kept for the steps after.
  TableCall& NewCall(Caller caller) {
    loaded = Loaded(caller);
    call = std::make_unique<TableCall>(site.env, loaded, caller, &why);
    return *call;
  }
  Code Refresh(Caller caller) { return RefreshPinTables(NewCall(caller)); }

  Site site;
  LibrarySettings loaded;
  Refusal why;
  std::unique_ptr<TableCall> call;
  SiteSettings settings;
  const std::vector<int32_t> today = ReferenceTable(settings, kNoon);
};

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
  // A library table rebuilt beside today's marks carries them too.
  std::vector<int32_t> taken_720 = today;
  taken_720[720] = kTakenMark;
  const std::string marked_library = FreshLibraryFile(taken_720, kNoon);
  struct Case {
    const char* name;
    std::string marks, library;  // "<missing>": no such file
    std::string want_marks, want_library;
  } cases[] = {
      {"both of yesterday", TableFile(14, "5=270E\r\n"), TableFile(14, "5=270E\r\n6=1234\r\n"),
       fresh_marks, fresh_library},
      {"the same day of an earlier month", FreshMarksFile(ReferenceTable(settings, may), may),
       FreshLibraryFile(ReferenceTable(settings, may), may), fresh_marks, fresh_library},
      {"library missing", marks_today, "<missing>", marks_today, marked_library},
      {"library of yesterday", marks_today, TableFile(14, "720=1111\r\n"), marks_today,
       marked_library},
      // A station that records the day of the month only: current on that day.
      {"undated, today's day", TableFile(15, "5=270E\r\n"), TableFile(15, "6=1234\r\n"),
       TableFile(15, "5=270E\r\n"), TableFile(15, "6=1234\r\n")},
      {"marks dated today, library undated of today", marks_today, TableFile(15, "6=1234\r\n"),
       marks_today, TableFile(15, "6=1234\r\n")},
      {"marks dated 15 May, library undated of today's day",
       FreshMarksFile(ReferenceTable(settings, may), may), TableFile(15, "6=1234\r\n"),
       fresh_marks, fresh_library},
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
  constexpr int kMissing = -2;  // no such file
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
      {"dll missing", 14, kMissing, kDll, kNone, kOk, kTableNotFound},
      // The platform says "not found" of a file that is there: the new
      // table is never written over it.
      {"pin said missing", 14, 14, kPin, kNotFound, kUndetermined, kTableNotFound},
      {"pin bad path", 14, 14, kPin, kBadPath, kOk, kTableBadPath},
      {"dll bad path", 14, 14, kDll, kBadPath, kOk, kTableBadPath},
      {"no day, bad path", -1, 14, kDll, kBadPath, kOk, kOk},
      {"sharing", 14, 14, kPin, kSharing, kOk, kOk},
      {"other", 14, 14, kDll, kOther, kOk, kOk},
      {"a link", 14, 14, kPin, kLink, kUndetermined, kUndetermined},
      {"library only, denied", 15, 14, kDll, kDenied, kDeleteDenied, kDeleteDenied},
      {"library only, missing", 15, kMissing, kDll, kNone, kOk, kOk},
      {"library only, bad path", 15, 14, kDll, kBadPath, kOk, kOk},
      // The deletion fails for a cause that carries on, so the old section
      // must be removed by a write, and that write fails: the query stops.
      {"pin emptying fails", 14, 14, kPin, kOther, kTablesUnwritable, kTableEmpty, kDenied},
      {"dll emptying fails", 14, 14, kDll, kOther, kTablesUnwritable, kTableEmpty, kDenied},
      // The new table cannot be written: nothing is searched in memory.
      {"library write fails", 14, 14, kDll, kNone, kTablesUnwritable, kTablesUnwritable, kDenied},
      {"marks write fails", 14, 14, kPin, kNone, kTablesUnwritable, kTablesUnwritable, kSharing},
      {"library only, write fails", 15, 14, kDll, kNone, kTablesUnwritable, kTablesUnwritable,
       kDenied},
  };
  for (const Case& c : cases) {
    for (Caller caller : {Caller::kZoltResult, Caller::kSoldOutQuery}) {
      const bool query = caller == Caller::kSoldOutQuery;
      SCOPED_TRACE(std::string(c.name) + (query ? " (query)" : " (issue)"));
      site.env.ClearFailures();
      site.WriteData("PINTable.dat", TableFile(c.table_day, "5=270E\r\n"));
      if (c.library_day == kMissing) {
        std::filesystem::remove(site.DataFile("DLLPINTable.dat"));
      } else {
        site.WriteData("DLLPINTable.dat", TableFile(c.library_day, "6=1234\r\n"));
      }
      if (c.cause != kNone) site.env.FailRemove(c.failing_file, c.cause);
      if (c.write_cause != kNone) site.env.FailWrite(c.failing_file, c.write_cause);
      const Code expected = query ? c.query : c.zolt;
      EXPECT_EQ(Refresh(caller), expected);
      if (expected != kOk) {
        // Nothing was built: the file that failed does not carry today's day.
        const char* unbuilt = expected == kTablesUnwritable ? c.failing_file : kDll;
        EXPECT_EQ(site.ReadData(unbuilt).find("LastPINRunDay=15"), std::string::npos);
      }
    }
  }
}

// Today's tables with each slot of 709..721 in one state: PINTable.dat's
// entries taken (any non-zero hex text) or free ("0"), DLLPINTable.dat's
// the built value or the taken mark.
class FindFreeSlotTest : public PinTablesTest {
 protected:
  void SetUp() override {
    PinTablesTest::SetUp();
    for (int slot : {0, 709, 720, 721}) ASSERT_FALSE(IsMarkValue(today[slot])) << slot;
    site.WriteData("PINTable.dat", TableFile(15,
        "715=1\r\n714=abc\r\n713=0x1\r\n712=270E\r\n711=270F\r\n710=-1\r\n"
        "709=0\r\n0=0\r\n"));
    std::vector<int32_t> library = today;
    for (int slot : {1, 2, 3, 4, 5, 716, 717, 718, 719, 720}) library[slot] = kTakenMark;
    site.WriteData("DLLPINTable.dat", FreshLibraryFile(library, kNoon));
    ASSERT_EQ(Refresh(Caller::kSoldOutQuery), Code::kOk);
  }
  Code Find(const LocalTime& now, int32_t expiry, FreeSlot* found) {
    loaded.PINExpiry = expiry;
    site.env.SetTime(now);
    return FindFreeSlot(*call, found);
  }
};

TEST_F(FindFreeSlotTest, NewestFreeSlotOfTheWindowWins) {
  struct Case {
    LocalTime now;
    int32_t expiry;
    Code code;
    int slot;
  } cases[] = {
      {At(2010, 6, 15, 12, 0), 10, Code::kSoldOut, -1},  // 720..710 used
      {At(2010, 6, 15, 12, 1), 10, Code::kOk, 721},
      {At(2010, 6, 15, 12, 0), 11, Code::kOk, 709},  // "0" is free
      {At(2010, 6, 15, 12, 0), 0, Code::kOk, 709},
      {At(2010, 6, 15, 0, 0), 0, Code::kOk, 0},  // only slot 0
      {At(2010, 6, 15, 0, 5), 0, Code::kOk, 0},  // 5..0
      {At(2010, 6, 15, 0, 5), 10, Code::kOk, 0},  // raised to slot 0
      {At(2010, 6, 15, 0, 4), 1439, Code::kOk, 0},
      {At(2010, 6, 15, 25, 0), 10, Code::kWindow, -1},  // hour 25
  };
  const std::string library = site.ReadData("DLLPINTable.dat");
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.now.hour << ":" << c.now.minute << " expiry "
                                      << c.expiry);
    FreeSlot found;
    EXPECT_EQ(Find(c.now, c.expiry, &found), c.code);
    if (c.code == Code::kOk) {
      EXPECT_EQ(found.slot, c.slot);
      EXPECT_EQ(found.value, today[static_cast<size_t>(c.slot)]);
      EXPECT_EQ(found.sale_time.minute, c.now.minute);
    }
  }
  EXPECT_EQ(site.ReadData("DLLPINTable.dat"), library);  // nothing rebuilt

  // Marking writes the taken mark into both files, over the old value.
  ASSERT_EQ(MarkSlotTaken(*call, 721), Code::kOk);
  EXPECT_NE(site.ReadData("PINTable.dat").find("\r\n721=270E\r\n"), std::string::npos);
  EXPECT_NE(site.ReadData("DLLPINTable.dat").find("\r\n721=270E\r\n"), std::string::npos);
}

// A library table dated today that the search cannot trust is rebuilt (the
// marks of PINTable.dat kept) before any PIN comes from it; damage the
// search does not reach is left for a later call.
TEST_F(FindFreeSlotTest, DamagedLibraryTableIsRebuiltBeforeAnyPin) {
  const std::string fresh = FreshLibraryFile(today, kNoon);
  SiteSettings other = settings;
  other.season = 8;
  struct Case {
    const char* name;
    std::string library;
    bool rebuilt;
    int slot = 721;  // found at 12:01 with a lifetime of 10 minutes
  } cases[] = {
      {"cut off inside slot 721", fresh.substr(0, fresh.find("\r\n721=") + 8), true},
      {"entry of slot 721 missing", [&] {
         std::string f = fresh;
         size_t at = f.find("\r\n721=");
         return f.erase(at, 10);
       }(), true},
      {"a value the build never gave slot 721", [&] {
         std::string f = fresh;
         return f.replace(f.find("\r\n721=") + 6, 4, "0001");
       }(), true},
      {"void mark where the build gave a value", [&] {
         std::string f = fresh;
         return f.replace(f.find("\r\n721=") + 6, 4, "270F");
       }(), true},
      {"table of another season", FreshLibraryFile(ReferenceTable(other, kNoon), kNoon), true},
      {"taken mark over a value", [&] {
         std::string f = fresh;
         return f.replace(f.find("\r\n721=") + 6, 4, "270E");
       }(), false, 720},
      {"damage outside the window", [&] {
         std::string f = fresh;
         size_t at = f.find("\r\n100=");
         return f.erase(at, 10);
       }(), false},
  };
  // Rebuilt, it carries the slots PINTable.dat takes (any non-zero entry).
  std::vector<int32_t> taken = today;
  for (int slot = 710; slot <= 715; ++slot) taken[slot] = kTakenMark;
  const std::string rebuilt = FreshLibraryFile(taken, kNoon);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    site.WriteData("DLLPINTable.dat", c.library);
    ASSERT_EQ(Refresh(Caller::kZoltResult), Code::kOk);
    FreeSlot found;
    ASSERT_EQ(Find(At(2010, 6, 15, 12, 1), 10, &found), Code::kOk);
    EXPECT_EQ(found.slot, c.slot);
    EXPECT_EQ(found.value, today[static_cast<size_t>(c.slot)]);
    EXPECT_EQ(site.ReadData("DLLPINTable.dat"), c.rebuilt ? rebuilt : c.library);
    EXPECT_NE(site.ReadData("PINTable.dat").find("715=1\r\n"), std::string::npos);
  }
}

TEST_F(FindFreeSlotTest, MarkThatCannotBeWrittenIsReported) {
  const std::string marks = site.ReadData("PINTable.dat");
  site.env.FailWrite("DLLPINTable.dat", FileError::kSharing);
  EXPECT_EQ(MarkSlotTaken(*call, 721), Code::kTablesUnwritable);
  EXPECT_EQ(site.ReadData("PINTable.dat"), marks);  // the second is not tried
  site.env.ClearFailures();
  site.env.FailWrite("PINTable.dat", FileError::kDenied);
  EXPECT_EQ(MarkSlotTaken(*call, 721), Code::kTablesUnwritable);
  EXPECT_NE(site.ReadData("DLLPINTable.dat").find("\r\n721=270E\r\n"), std::string::npos);
  EXPECT_EQ(site.ReadData("PINTable.dat"), marks);
}

}  // namespace
}  // namespace zolt
