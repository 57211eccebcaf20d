// One fault swept through every file operation of each kind of call, and a
// power cut at every point of it (the way leveldb's fault-injection Env and
// SQLite's I/O-error and crash tests do it), on the platform's own Env: the
// Linux Env here, the Windows Env in the Windows build under Wine.
//
// For each kind of call the operations of a clean run are recorded. Then:
//  - errors: for every operation index and every error that operation can
//    report, the call runs again from the same files with that operation
//    failing, once or from then on;
//  - power cuts: for every operation index (and after the last), the
//    machine dies there, and the files are brought to what a power cut may
//    leave: every pending write, creation, rename and removal dropped, none
//    dropped, each one alone dropped, each one alone kept.
// After each, with a clean Env: no PIN was returned without its taken mark
// in both files, no mark of a PIN issued earlier that day is gone, and
// later sales issue none of those PINs again. The counts are printed.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "library/number_text.h"
#include "library/pin_tables.h"
#include "library/tests/site.h"
#include "library/zolt.h"
#include "profile/profile.h"
#include "platform/testing/fault_env.h"
#include "platform/testing/power_cut_env.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

constexpr char kPin[] = "PINTable.dat";
constexpr char kDll[] = "DLLPINTable.dat";
const LocalTime kToday = At(2015, 6, 15, 10, 0);
const LocalTime kYesterday = At(2015, 6, 14, 10, 0);

// A kind of call: the files it starts from and what it is.
struct Kind {
  const char* name;
  bool sale;
  // Lays out the data folder (through real calls) and returns the PINs
  // issued on the call's day before it.
  std::function<std::set<int32_t>(test::Site&)> prepare;
};

int32_t Sell(Env& env) {
  char expiry[32] = {};
  return IssuePin(env, 1, expiry);
}

std::set<int32_t> SellAt(test::Site& site, const LocalTime& when, int count) {
  site.env.SetTime(when);
  std::set<int32_t> pins;
  for (int i = 0; i < count; ++i) {
    const int32_t pin = Sell(site.env);
    EXPECT_GT(pin, 0);
    pins.insert(pin);
  }
  return pins;
}

const std::vector<Kind>& Kinds() {
  static const std::vector<Kind> kinds = {
      {"a sale on today's tables holding marks", true,
       [](test::Site& s) { return SellAt(s, kToday, 4); }},
      {"a query on today's tables holding marks", false,
       [](test::Site& s) { return SellAt(s, kToday, 4); }},
      {"the first sale of a new day", true,
       [](test::Site& s) {
         SellAt(s, kYesterday, 4);
         return std::set<int32_t>{};
       }},
      {"the first query of a new day", false,
       [](test::Site& s) {
         SellAt(s, kYesterday, 4);
         return std::set<int32_t>{};
       }},
      {"a sale beside a stale library table", true,
       [](test::Site& s) {
         SellAt(s, kYesterday, 1);
         const std::string yesterdays = s.ReadData(kDll);
         std::set<int32_t> pins = SellAt(s, kToday, 4);
         s.WriteData(kDll, yesterdays);
         return pins;
       }},
      {"a sale beside a damaged library table", true,
       [](test::Site& s) {
         std::set<int32_t> pins = SellAt(s, kToday, 4);
         std::string dll = s.ReadData(kDll);
         const size_t at = dll.find("\r\n600=");  // in the window, still free
         dll.replace(at + 6, 4, "0001");
         s.WriteData(kDll, dll);
         return pins;
       }},
  };
  return kinds;
}

class FaultSweep : public ::testing::Test {
 protected:
  void SetUp() override {
    settings.expiry = 0;  // the whole day so far is the window
    site.WriteSettings(settings);
    today_table = test::ReferenceTable(settings, kToday);
  }

  // The data folder's files but the lock file.
  std::map<std::string, std::string> Files() const {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(fs::path(site.DataFile(kPin)).parent_path())) {
      const std::string name = e.path().filename().string();
      if (name != "PINTable.lck") files[name] = site.ReadData(name);
    }
    return files;
  }
  void Restore(const std::map<std::string, std::string>& files) const {
    for (const auto& e : fs::directory_iterator(fs::path(site.DataFile(kPin)).parent_path())) {
      if (e.path().filename() != "PINTable.lck") fs::remove(e.path());
    }
    for (const auto& [name, bytes] : files) site.WriteData(name, bytes);
  }

  // The slot a PIN of size 1 was made from today.
  int SlotOf(int32_t pin) const {
    const int32_t value = pin % 100000 - settings.pincrypt;
    for (size_t slot = 0; slot < today_table.size(); ++slot) {
      if (today_table[slot] == value) return static_cast<int>(slot);
    }
    return -1;
  }

  // What is wrong with the files and later sales, "" when nothing is. A
  // slot is taken when either file marks it; an earlier PIN's slot must
  // stay marked in PINTable.dat, and in DLLPINTable.dat where today's
  // library table marked it at the start (a stale library table is rebuilt
  // from PINTable.dat's marks by the next call).
  std::string Violation(const std::map<std::string, std::string>& start,
                        const std::set<int32_t>& earlier, int32_t result) {
    auto today_table = [](const std::string& bytes) {
      const ProfileFile f = ProfileFile::Parse(bytes);
      return f.GetString("Other", "LastPINRunDate", "") == "20150615";
    };
    auto marks = [](const std::string& bytes, int slot, bool library) {
      const std::string v =
          ProfileFile::Parse(bytes).GetString("PINTable", std::to_string(slot), "");
      return library ? v == "270E" : ParseHex(v) != 0;
    };
    const std::string pin = site.ReadData(kPin), dll = site.ReadData(kDll);
    const auto dll_start = start.find(kDll);
    const bool dll_was_today = dll_start != start.end() && today_table(dll_start->second);
    for (int32_t p : earlier) {
      const int slot = SlotOf(p);
      if (!marks(pin, slot, false)) {
        return "the mark of earlier PIN " + std::to_string(p) + " is gone from " + kPin;
      }
      if (dll_was_today && marks(dll_start->second, slot, true) &&
          !(today_table(dll) && marks(dll, slot, true))) {
        return "the mark of earlier PIN " + std::to_string(p) + " is gone from " + kDll;
      }
    }
    if (result > 0 && !(marks(pin, SlotOf(result), false) && marks(dll, SlotOf(result), true))) {
      return "PIN " + std::to_string(result) + " returned without its marks";
    }
    std::set<int32_t> issued = earlier;
    if (result > 0) issued.insert(result);
    site.env.SetTime(kToday);
    for (int i = 0; i < 2; ++i) {
      const int32_t later = Sell(site.env);
      if (later > 0 && !issued.insert(later).second) {
        return "PIN " + std::to_string(later) + " issued again";
      }
    }
    return "";
  }

  int32_t Call(const Kind& kind, Env& env) {
    char expiry[32] = {};
    return kind.sale ? IssuePin(env, 1, expiry) : QuerySoldOut(env, 1);
  }

  test::Site site;
  test::SiteSettings settings;
  std::vector<int32_t> today_table;
};

TEST_F(FaultSweep, EveryErrorAtEveryOperationAndAPowerCutAtEveryPoint) {
  int error_cases = 0, cut_points = 0, cut_states = 0, violations = 0;
  for (const Kind& kind : Kinds()) {
    SCOPED_TRACE(kind.name);
    Restore({});
    const std::set<int32_t> earlier = kind.prepare(site);
    const std::map<std::string, std::string> start = Files();
    site.env.SetTime(kToday);

    // The clean run: its operations.
    FaultEnv recorder(site.env);
    recorder.Arm(-1, FileError::kNone, false);
    const int32_t clean = Call(kind, recorder);
    ASSERT_GT(clean, 0) << "the clean run must succeed";
    const std::vector<FaultEnv::Record> ops = recorder.ops();
    ASSERT_EQ(Violation(start, earlier, kind.sale ? clean : 0), "");

    auto report = [&](const std::string& what, const std::string& v) {
      if (v.empty()) return;
      ++violations;
      ADD_FAILURE() << what << ": " << v;
    };

    for (size_t k = 0; k < ops.size(); ++k) {
      for (FileError error : FaultEnv::ErrorsOf(ops[k].op)) {
        for (bool persistent : {false, true}) {
          Restore(start);
          site.env.SetTime(kToday);
          FaultEnv fault(site.env);
          fault.Arm(static_cast<int>(k), error, persistent);
          const int32_t r = Call(kind, fault);
          ++error_cases;
          report(std::string(FaultEnv::Name(ops[k].op)) + " #" + std::to_string(k) + " " +
                     ops[k].path + " fails with " + FileErrorName(error) +
                     (persistent ? " from then on" : " once") + " (result " +
                     std::to_string(r) + ")",
                 Violation(start, earlier, kind.sale ? r : 0));
        }
      }
    }

    for (size_t k = 0; k <= ops.size(); ++k) {
      Restore(start);
      site.env.SetTime(kToday);
      const std::string folder = fs::path(site.DataFile(kPin)).parent_path().string();
      PowerCutEnv model(site.env, folder, start);
      FaultEnv dead(model);
      dead.Arm(k < ops.size() ? static_cast<int>(k) : -1, FileError::kOther, true);
      const int32_t r = Call(kind, dead);
      ++cut_points;
      const int n = model.pending();
      std::vector<std::vector<bool>> states = {std::vector<bool>(n, true),
                                               std::vector<bool>(n, false)};
      for (int i = 0; i < n; ++i) {
        std::vector<bool> alone(n, false), only(n, true);
        alone[i] = true;
        only[i] = false;
        states.push_back(alone);
        states.push_back(only);
      }
      for (const std::vector<bool>& dropped : states) {
        Restore(model.AfterCut(dropped));
        ++cut_states;
        report("power cut at operation " + std::to_string(k) + " of " +
                   std::to_string(ops.size()) + " (result " + std::to_string(r) + ", " +
                   std::to_string(n) + " pending)",
               Violation(start, earlier, kind.sale ? r : 0));
      }
    }
  }
  std::printf(
      "fault sweep: %zu kinds of call; %d (operation, error, once or from then "
      "on) cases; %d power-cut points, %d states after a cut; %d violations\n",
      Kinds().size(), error_cases, cut_points, cut_states, violations);
  EXPECT_EQ(violations, 0);
}

}  // namespace
}  // namespace zolt
