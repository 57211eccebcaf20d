// Bad input through the two exported functions, as a point-of-sale program
// meets it: this program's executable lies in its own station folder, and
// each case lays out the settings file beside it and the data folder's
// files. Every case must give its documented code from both exports, never
// a crash or an overrun, and must leave the settings file as it was.
//
// Run as "bad_input_test --call-exports", the program only calls both
// exports once and prints their results: the long-path cases run a copy of
// it from a folder whose path reaches the platform's length limit.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>

#include "OstrelZOLTDLL.h"
#include "platform/child_process.h"
#include "platform/env.h"
#include "platform/testing/temp_dir.h"
#include "tests/reliability/station.h"

namespace zolt::reliability {
namespace {

namespace fs = std::filesystem;

// Expected from an export that gets through to the tables: a positive result
// (from ZoltResult a PIN, unless the machine's clock lies outside the years
// 2001 to 2015, when it is -111 after the same refresh and search).
constexpr int32_t kProceeds = 1;
constexpr size_t kHugeBytes = 4 << 20;
constexpr uintmax_t kOver64MiB = (64u << 20) + 1;

// What a case lays out at a path besides plain bytes.
const std::string kNone = "<none>", kDir = "<dir>", kFifo = "<fifo>";

int32_t Today() { return DateNumber(Env::Default().Now()); }
int32_t Yesterday() {  // any other date will do: the tables count as stale
  LocalTime t = Env::Default().Now();
  return t.day > 1 ? DateNumber(t) - 1 : DateNumber(t) + 1;
}

std::string Repeat(const std::string& s, size_t bytes) {  // up to `bytes`
  std::string out;
  while (out.size() + s.size() <= bytes) out += s;
  return out;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(random() & 0xFF);
  return out;
}

std::string Utf16(const std::string& ascii, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) out += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  return text.replace(text.find(from), from.size(), to);
}

std::string Header(int32_t date) {
  return "[Other]\r\nLastPINRunDay=" + std::to_string(date % 100) +
         "\r\nLastPINRunDate=" + std::to_string(date) + "\r\n";
}

// A folder path below `base` of exactly `length` characters.
std::string DeepFolder(std::string path, size_t length, char fill) {
  while (path.size() < length) {
    path += "/" + std::string(std::min<size_t>(200, length - path.size() - 1), fill);
  }
  return path;
}

// What a file system entry is, to tell that a call left it alone: its kind,
// size, modification time and (up to 16 MiB) its bytes.
std::string Snapshot(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return kNone;
  std::string s = std::to_string(st.st_mode) + "/" + std::to_string(st.st_size) + "/" +
                  std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "/";
  if (S_ISREG(st.st_mode) && st.st_size <= (16 << 20)) {
    std::ifstream in(path, std::ios::binary);
    s.append(std::istreambuf_iterator<char>(in), {});
  }
  if (S_ISLNK(st.st_mode)) s += fs::read_symlink(path).string();
  return s;
}

void Put(const std::string& path, const std::string& what) {
  if (what == kDir) {
    fs::create_directory(path);
  } else if (what == kFifo) {
    mkfifo(path.c_str(), 0666);
  } else if (what != kNone) {
    std::ofstream(path, std::ios::binary) << what;
  }
}

// The station: this program's folder and one data folder, emptied between
// calls so that every case's texts can name the data folder.
class Station {
 public:
  Station() : folder_(fs::path(Env::Default().ExecutablePath()).parent_path()) {}
  ~Station() { Reset(); }
  void Reset() const {
    std::error_code ec;
    for (const char* name : {"OstrelZOLTDLL.dta", "ostrelzoltdll.dta"}) {
      fs::permissions(folder_ + "/" + name, fs::perms::owner_all,
                      fs::perm_options::add | fs::perm_options::nofollow, ec);
      fs::remove_all(folder_ + "/" + name, ec);
    }
    fs::remove_all(data_, ec);
    fs::create_directory(data_);
  }
  std::string settings() const { return folder_ + "/OstrelZOLTDLL.dta"; }
  std::string file(const std::string& name) const { return data_ + "/" + name; }
  const std::string& data() const { return data_; }
  // Valid settings naming the data folder, PINs valid until midnight.
  std::string valid() const { return SettingsText(data_, 0); }
  TempDir root;

 private:
  std::string folder_;
  std::string data_ = root.MakeDir("data");
};

struct Case {
  const char* name;
  std::string settings;   // bytes, or kNone / kDir / kFifo
  int32_t query, issue;   // from check_SoldOut_Condition and ZoltResult
  std::string pin = kNone, dll = kNone;  // PINTable.dat, DLLPINTable.dat
  std::function<void(const Station&)> extra = nullptr;
  // After an export that got through: both table files read strictly and
  // are dated today.
  bool tables_of_today = true;
};

// The settings file, and the data folder it names.
std::vector<Case> SettingsCases(const Station& s) {
  const std::string v = s.valid();
  const std::string utf16 = Utf16(v, false);
  const std::string no_path = v.substr(0, v.find("Pathtopintable"));
  const std::string at_limit = DeepFolder(s.data(), 255, 'd');
  const std::string over_limit = DeepFolder(s.data(), 256, 'e');
  auto make = [](const std::string& path) {
    return [path](const Station&) { fs::create_directories(path); };
  };
  return {
      {"missing settings file", kNone, -400, -400},
      {"empty settings file", "", -102, -102},
      {"binary settings file (4 KiB of random bytes)", RandomBytes(4096, 1), -102, -102},
      {"valid settings followed by 4 MiB of junk lines",
       v + Repeat("junk=0123456789abcdef\r\n", kHugeBytes), kProceeds, kProceeds},
      {"4 MiB of junk lines before valid settings",
       Repeat("[Junk]\r\nVendor=1\r\n", kHugeBytes) + v, kProceeds, kProceeds},
      {"a junk line of 100,000 characters among valid settings",
       Replace(v, "Season=", std::string(100000, 'x') + "\r\nSeason="), kProceeds, kProceeds},
      {"Vendor of 100,000 digits (saturates, out of range)",
       Replace(v, "Vendor=190", "Vendor=" + Repeat("190", 100002)), -102, -102},
      {"Pathtopintable of 100,000 characters (cut to 255)",
       Replace(v, "Pathtopintable=", "Pathtopintable=" + Repeat("/x", 100000) + "#"), -430, -430},
      {"cut off inside the Vendor line", v.substr(0, 23), -102, -102},
      {"cut off inside the key PINcrypt", v.substr(0, v.find("PINcrypt") + 5), -103, -103},
      {"cut off inside the data folder's path", v.substr(0, v.size() - 5), -430, -430},
      {"cut off after the last value, without a line end", v.substr(0, v.size() - 2),
       kProceeds, kProceeds},
      {"NUL inside the Vendor value (19, NUL, 0)",
       Replace(v, "Vendor=190", std::string("Vendor=19\0" "0", 10)), -102, -102},
      {"NUL inside the section name",
       Replace(v, "[Preferences]", std::string("[Pref\0erences]", 14)), -102, -102},
      {"NUL bytes in a junk line", std::string("\0\0junk\0=\0\r\n", 11) + v, kProceeds, kProceeds},
      {"two [Preferences] sections, the first with a bad vendor",
       "[Preferences]\r\nVendor=179\r\n" + v, -102, -102},
      {"two [Preferences] sections, the second with a bad vendor",
       v + "[Preferences]\r\nVendor=179\r\n", kProceeds, kProceeds},
      {"UTF-16LE with a BOM", utf16, kProceeds, kProceeds},
      {"UTF-16BE with a BOM", Utf16(v, true), kProceeds, kProceeds},
      {"UTF-8 with a BOM", "\xEF\xBB\xBF" + v, kProceeds, kProceeds},
      {"UTF-16LE without a BOM (read as bytes: no valid vendor)", utf16.substr(2), -102, -102},
      {"the name in lower case", kNone, kProceeds, kProceeds, kNone, kNone,
       [](const Station& s) { Put(s.settings().substr(0, s.settings().size() - 17) +
                                  "ostrelzoltdll.dta", s.valid()); }},
      {"a folder where the settings file is expected", kDir, -375, -375},
      {"a settings file without write permission", v, -375, -375, kNone, kNone,
       [](const Station& s) { chmod(s.settings().c_str(), 0444); }},
      {"a dangling symbolic link as the settings file", kNone, -400, -400, kNone, kNone,
       [](const Station& s) { fs::create_symlink(s.file("nowhere"), s.settings()); }},
      {"a settings file over 64 MiB (not read: no valid vendor)", v, -102, -102, kNone, kNone,
       [](const Station& s) { fs::resize_file(s.settings(), kOver64MiB); }},
      // Neither can be opened for writing like a file: the cause is "other".
      {"a link to an endless device as the settings file", kNone, -1, -1, kNone, kNone,
       [](const Station& s) { fs::create_symlink("/dev/zero", s.settings()); }},
      {"a named pipe as the settings file", kFifo, -1, -1},
      // The data folder the settings name.
      {"no Pathtopintable key", no_path, -430, -430},
      {"an empty Pathtopintable", no_path + "Pathtopintable=\r\n", -430, -430},
      {"a file where the data folder is expected", SettingsText(s.file("PINTable.dat"), 0),
       -430, -430, "x"},
      {"a data folder that does not exist", SettingsText(s.file("missing"), 0), -430, -430},
      {"a data folder path of exactly 255 characters", SettingsText(at_limit, 0), kProceeds,
       kProceeds, kNone, kNone, make(at_limit), false},
      {"a data folder path of 256 characters (the last one is cut)",
       SettingsText(over_limit, 0), -430, -430, kNone, kNone, make(over_limit)},
  };
}

// The data folder's files, beside valid settings.
std::vector<Case> TableCases(const Station& s) {
  const std::string v = s.valid();
  const std::string today = Header(Today()), old = Header(Yesterday());
  auto chmod_ro = [](const Station& s) { chmod(s.file("PINTable.dat").c_str(), 0444); };
  auto lock_as = [](const std::string& what) {
    return [what](const Station& s) { Put(s.file("PINTable.lck"), what); };
  };
  return {
      {"empty table files", v, kProceeds, kProceeds, "", ""},
      {"binary table files", v, kProceeds, kProceeds, RandomBytes(20000, 2), RandomBytes(20000, 3)},
      {"4 MiB table files of junk", v, kProceeds, kProceeds,
       Repeat("[PINTable]\r\n7=270E\r\n", kHugeBytes), Repeat("1=FFFF\r\n", kHugeBytes)},
      {"a table day of 100,000 digits, no DLLPINTable.dat (as if from an earlier day)", v, -610,
       kProceeds, "[Other]\r\nLastPINRunDay=" + std::string(100000, '1') + "\r\n"},
      {"PINTable.dat over 64 MiB (not read: rebuilt)", v, kProceeds, kProceeds, today, kNone,
       [](const Station& s) { fs::resize_file(s.file("PINTable.dat"), kOver64MiB); }},
      {"table files cut off inside [Other]", v, kProceeds, kProceeds, "[Other]\r\nLastPINRu",
       "[Oth"},
      // A library table dated today that the search cannot trust (an entry
      // it reaches missing, or not the value the build gives that slot) is
      // rebuilt before any PIN comes from it.
      {"today's library table cut off inside slot 1 (a station that writes one key at a time "
       "stopped halfway)", v, kProceeds, kProceeds, today,
       today + "[PINTable]\r\n0=1A2B\r\n1=27"},
      {"NUL bytes in today's table files, no slots in the library table", v, kProceeds,
       kProceeds, today + std::string("\0\0\r\n", 4), std::string("\0=\0\r\n", 5) + today},
      {"two [Other] sections, the first of an earlier day", v, kProceeds, kProceeds, old + today,
       today},
      {"table files in UTF-16LE with a BOM, of an earlier day", v, kProceeds, kProceeds,
       Utf16(old, false), Utf16(old, false)},
      {"a folder where PINTable.dat is expected", v, -600, -600, kDir},
      {"a folder where DLLPINTable.dat is expected, PINTable.dat of today", v, -600, -600, today,
       kDir},
      {"PINTable.dat of an earlier day without write permission", v, -600, -600, old, kNone,
       chmod_ro},
      {"PINTable.dat of an earlier day and no DLLPINTable.dat", v, -610, kProceeds, old, kNone,
       nullptr, false},
      {"a named pipe as PINTable.dat (not read: rebuilt)", v, kProceeds, kProceeds, kFifo},
      {"a named pipe as DLLPINTable.dat, PINTable.dat of today", v, kProceeds, kProceeds, today,
       kFifo},
      {"a named pipe as the lock file PINTable.lck", v, kProceeds, kProceeds, kNone, kNone,
       lock_as(kFifo)},
      {"a folder where the lock file PINTable.lck is expected", v, kProceeds, kProceeds, kNone,
       kNone, lock_as(kDir)},
  };
}

void ExpectResult(bool query, int32_t got, int32_t want) {
  const int year = Env::Default().Now().year;
  if (want != kProceeds) {
    EXPECT_EQ(got, want);
  } else if (!query && (year < 2001 || year > 2015)) {
    EXPECT_EQ(got, ZOLT_E_YEAR);
  } else {
    EXPECT_GT(got, 0);
  }
}

void RunCases(std::vector<Case> (*make_cases)(const Station&)) {
  Station station;
  for (const Case& c : make_cases(station)) {
    for (bool query : {true, false}) {
      SCOPED_TRACE(std::string(c.name) + (query ? ", check_SoldOut_Condition" : ", ZoltResult"));
      station.Reset();
      Put(station.settings(), c.settings);
      Put(station.file("PINTable.dat"), c.pin);
      Put(station.file("DLLPINTable.dat"), c.dll);
      if (c.extra) c.extra(station);
      const std::string settings_before = Snapshot(station.settings());

      char buffer[32];
      std::memset(buffer, '#', sizeof(buffer));
      alarm(30);  // a call that hangs (on a named pipe, say) ends the program
      const int32_t got = query ? check_SoldOut_Condition(0, 0, 1) : ZoltResult(0, 0, 1, buffer);
      alarm(0);
      const int32_t want = query ? c.query : c.issue;
      ExpectResult(query, got, want);

      EXPECT_EQ(Snapshot(station.settings()), settings_before) << "the settings file changed";
      // The expiry text stays inside the 12 bytes the caller provides, and
      // a failure leaves the buffer alone.
      EXPECT_EQ(std::string(buffer + 12, 20), std::string(20, '#'));
      if (got <= 0) EXPECT_EQ(std::string(buffer, 12), std::string(12, '#'));
      if (!c.tables_of_today || want != kProceeds) continue;
      for (const char* name : {"PINTable.dat", "DLLPINTable.dat"}) {
        StrictTableFile f = ReadStrictTableFile(station.root.ReadFile(std::string("data/") + name));
        EXPECT_TRUE(f.ok) << name << ": " << f.error;
        EXPECT_EQ(f.run_date, Today()) << name;
      }
    }
  }
}

TEST(BadInputTest, SettingsFiles) { RunCases(SettingsCases); }
TEST(BadInputTest, TableFiles) { RunCases(TableCases); }

// A copy of this program in a folder whose settings path is exactly as long
// as a path may be (4095 characters), and one where it is a few characters
// longer: the first reads its settings as usual, the second cannot open
// them at all (-1, the cause that is neither missing nor denied).
TEST(BadInputTest, SettingsPathAtThePlatformsLengthLimit) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  const std::string proceeds =
      Env::Default().Now().year > 2015 ? "query>0 issue=-111" : "query>0 issue>0";
  for (auto [length, want] : {std::pair<size_t, std::string>{4095, proceeds},
                              {4099, "query=-1 issue=-1"}}) {
    SCOPED_TRACE("settings path of " + std::to_string(length));
    // The settings path is <folder> + "//OstrelZOLTDLL.dta".
    const std::string folder = DeepFolder(root.path(), length - 19, 'p');
    fs::create_directories(folder);
    fs::copy_file(Env::Default().ExecutablePath(), folder + "/t");
    const std::string settings = folder + "/OstrelZOLTDLL.dta";
    Put(settings, SettingsText(data, 0));
    const std::string before = Snapshot(settings);

    auto child = ChildProcess::Start(folder + "/t", {"--call-exports"});
    ASSERT_TRUE(child);
    int query = 0, issue = 0;
    std::string out;
    while (child->Read(&out)) {
    }
    EXPECT_EQ(child->Wait(), 0);
    ASSERT_EQ(std::sscanf(out.c_str(), "query=%d issue=%d", &query, &issue), 2) << out;
    EXPECT_EQ((query > 0 ? std::string("query>0") : "query=" + std::to_string(query)) +
                  (issue > 0 ? std::string(" issue>0") : " issue=" + std::to_string(issue)),
              want);
    EXPECT_EQ(Snapshot(settings), before);
  }
}

}  // namespace
}  // namespace zolt::reliability

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--call-exports") == 0) {
    char buffer[32] = {};
    const int32_t query = check_SoldOut_Condition(0, 0, 1);
    const int32_t issue = ZoltResult(0, 0, 1, buffer);
    std::printf("query=%d issue=%d\n", query, issue);
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
