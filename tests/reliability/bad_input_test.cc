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
#include "platform/env.h"
#include "platform/testing/temp_dir.h"
#include "tests/reliability/station.h"
#include "tests/reliability/station_process.h"

namespace zolt::reliability {
namespace {

namespace fs = std::filesystem;

// Expected from an export that gets through to the tables: a positive result
// (from ZoltResult a PIN, unless the machine's clock lies outside the years
// 2001 to 2015, when it is -111 after the same refresh and search).
constexpr int32_t kProceeds = 1;

constexpr unsigned kCallDeadlineSeconds = 30;

int32_t Today() { return DateNumber(Env::Default().Now()); }

std::string Repeat(const std::string& s, size_t times) {
  std::string out;
  out.reserve(s.size() * times);
  for (size_t i = 0; i < times; ++i) out += s;
  return out;
}

// Lines repeated up to `bytes` bytes.
std::string Fill(const std::string& line, size_t bytes) {
  return Repeat(line, bytes / line.size());
}

constexpr size_t kHugeBytes = 4 << 20;

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::string out(n, '\0');
  for (char& c : out) c = static_cast<char>(random() & 0xFF);
  return out;
}

std::string Utf16(const std::string& ascii, bool big_endian) {
  std::string out = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : ascii) {
    out += big_endian ? '\0' : c;
    out += big_endian ? c : '\0';
  }
  return out;
}

// What a file system entry is, to tell that a call left it alone: its kind,
// size, modification time and (up to 16 MiB) its bytes.
std::string Snapshot(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0) return "<none>";
  std::string s = std::to_string(st.st_mode) + "/" + std::to_string(st.st_size) +
                  "/" + std::to_string(st.st_mtim.tv_sec) + "." +
                  std::to_string(st.st_mtim.tv_nsec) + "/";
  if (S_ISREG(st.st_mode) && st.st_size <= (16 << 20)) {
    std::ifstream in(path, std::ios::binary);
    s.append(std::istreambuf_iterator<char>(in), {});
  }
  if (S_ISLNK(st.st_mode)) s += fs::read_symlink(path).string();
  return s;
}

// A file of `size` bytes that starts with `head` and is zeros after it
// (sparse: nothing is written for them).
void WriteSparse(const std::string& path, const std::string& head,
                 uintmax_t size) {
  std::ofstream(path, std::ios::binary) << head;
  fs::resize_file(path, size);
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// The station: this program's folder, a data folder and the case's files.
class Station {
 public:
  Station()
      : folder_(fs::path(Env::Default().ExecutablePath()).parent_path()),
        data_(root_.MakeDir("data")) {
    Clear();
  }
  ~Station() { Clear(); }

  const std::string& data() const { return data_; }
  const TempDir& root() const { return root_; }
  std::string settings_path() const { return folder_ + "/OstrelZOLTDLL.dta"; }
  std::string data_file(const std::string& name) const {
    return data_ + "/" + name;
  }
  // Valid settings naming the data folder, PINs valid until midnight.
  std::string valid() const { return SettingsText(data_, 0); }
  void Settings(const std::string& bytes) const {
    WriteBytes(settings_path(), bytes);
  }

 private:
  void Clear() const {
    std::error_code ec;
    for (const char* name : {"OstrelZOLTDLL.dta", "ostrelzoltdll.dta"}) {
      fs::path p = fs::path(folder_) / name;
      fs::permissions(p, fs::perms::owner_all,
                      fs::perm_options::add | fs::perm_options::nofollow, ec);
      fs::remove_all(p, ec);
    }
  }

  std::string folder_;
  TempDir root_;
  std::string data_;
};

struct Case {
  const char* name;
  std::function<void(const Station&)> lay_out;
  int32_t query;  // from check_SoldOut_Condition
  int32_t issue;  // from ZoltResult
  // After an export that got through: both table files read strictly and
  // are dated today.
  bool tables_of_today = true;
};

// The valid settings text with its [Preferences] lines changed by `edit`.
std::string Edited(const Station& s,
                   const std::function<std::string(std::string)>& edit) {
  return edit(s.valid());
}

std::string Replace(std::string text, const std::string& from,
                    const std::string& to) {
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

std::string TableHeader(int32_t date) {
  return "[Other]\r\nLastPINRunDay=" + std::to_string(date % 100) +
         "\r\nLastPINRunDate=" + std::to_string(date) + "\r\n";
}

int32_t Yesterday() {
  LocalTime t = Env::Default().Now();
  // Any other date will do: the tables count as stale.
  return t.day > 1 ? DateNumber(t) - 1 : DateNumber(t) + 1;
}

std::vector<Case> WithValidSettings(std::vector<Case> cases) {
  for (Case& c : cases) {
    c.lay_out = [lay_out = c.lay_out](const Station& s) {
      s.Settings(s.valid());
      lay_out(s);
    };
  }
  return cases;
}

const std::vector<Case>& SettingsCases() {
  static const std::vector<Case> cases = {
      {"missing settings file", [](const Station&) {}, -400, -400, false},
      {"empty settings file", [](const Station& s) { s.Settings(""); }, -102,
       -102, false},
      {"binary settings file (4 KiB of random bytes)",
       [](const Station& s) { s.Settings(RandomBytes(4096, 1)); }, -102, -102,
       false},
      {"valid settings followed by 4 MiB of junk lines",
       [](const Station& s) {
         s.Settings(s.valid() + Fill("junk=0123456789abcdef\r\n", kHugeBytes));
       },
       kProceeds, kProceeds},
      {"4 MiB of junk lines before valid settings",
       [](const Station& s) {
         s.Settings(Fill("[Junk]\r\nVendor=1\r\n", kHugeBytes) + s.valid());
       },
       kProceeds, kProceeds},
      {"a junk line of 100,000 characters among valid settings",
       [](const Station& s) {
         s.Settings(Replace(s.valid(), "Season=", Repeat("x", 100000) +
                                                      "\r\nSeason="));
       },
       kProceeds, kProceeds},
      {"Vendor of 100,000 digits (saturates, out of range)",
       [](const Station& s) {
         s.Settings(Replace(s.valid(), "Vendor=190", "Vendor=" +
                                                         Repeat("190", 33334)));
       },
       -102, -102, false},
      {"Pathtopintable of 100,000 characters (cut to 255)",
       [](const Station& s) {
         s.Settings(Replace(s.valid(), "Pathtopintable=",
                            "Pathtopintable=" + Repeat("/x", 50000) + "#"));
       },
       -430, -430, false},
      {"cut off inside the Vendor line",
       [](const Station& s) { s.Settings(s.valid().substr(0, 23)); }, -102,
       -102, false},
      {"cut off inside the key PINcrypt",
       [](const Station& s) {
         s.Settings(s.valid().substr(0, s.valid().find("PINcrypt") + 5));
       },
       -103, -103, false},
      {"cut off inside the data folder's path",
       [](const Station& s) {
         s.Settings(s.valid().substr(0, s.valid().size() - 5));
       },
       -430, -430, false},
      {"cut off after the last value, without a line end",
       [](const Station& s) {
         s.Settings(s.valid().substr(0, s.valid().size() - 2));
       },
       kProceeds, kProceeds},
      {"NUL inside the Vendor value (19, NUL, 0)",
       [](const Station& s) {
         s.Settings(Replace(s.valid(), "Vendor=190", std::string("Vendor=19\0"
                                                                 "0", 10)));
       },
       -102, -102, false},
      {"NUL inside the section name",
       [](const Station& s) {
         s.Settings(Replace(s.valid(), "[Preferences]",
                            std::string("[Pref\0erences]", 14)));
       },
       -102, -102, false},
      {"NUL bytes in a junk line",
       [](const Station& s) {
         s.Settings(std::string("\0\0junk\0=\0\r\n", 11) + s.valid());
       },
       kProceeds, kProceeds},
      {"two [Preferences] sections, the first with a bad vendor",
       [](const Station& s) {
         s.Settings("[Preferences]\r\nVendor=179\r\n" + s.valid());
       },
       -102, -102, false},
      {"two [Preferences] sections, the second with a bad vendor",
       [](const Station& s) {
         s.Settings(s.valid() + "[Preferences]\r\nVendor=179\r\n");
       },
       kProceeds, kProceeds},
      {"UTF-16LE with a BOM",
       [](const Station& s) { s.Settings(Utf16(s.valid(), false)); },
       kProceeds, kProceeds},
      {"UTF-16BE with a BOM",
       [](const Station& s) { s.Settings(Utf16(s.valid(), true)); },
       kProceeds, kProceeds},
      {"UTF-8 with a BOM",
       [](const Station& s) { s.Settings("\xEF\xBB\xBF" + s.valid()); },
       kProceeds, kProceeds},
      {"UTF-16LE without a BOM (read as bytes: no valid vendor)",
       [](const Station& s) { s.Settings(Utf16(s.valid(), false).substr(2)); },
       -102, -102, false},
      {"the name in lower case",
       [](const Station& s) {
         WriteBytes(fs::path(s.settings_path()).parent_path() /
                        "ostrelzoltdll.dta",
                    s.valid());
       },
       kProceeds, kProceeds},
      {"a folder where the settings file is expected",
       [](const Station& s) { fs::create_directory(s.settings_path()); },
       -375, -375, false},
      {"a settings file without write permission",
       [](const Station& s) {
         s.Settings(s.valid());
         fs::permissions(s.settings_path(), fs::perms::owner_read |
                                                fs::perms::group_read |
                                                fs::perms::others_read);
       },
       -375, -375, false},
      {"a dangling symbolic link as the settings file",
       [](const Station& s) {
         fs::create_symlink(s.data_file("nowhere"), s.settings_path());
       },
       -400, -400, false},
      {"a settings file over 64 MiB (not read: no valid vendor)",
       [](const Station& s) {
         WriteSparse(s.settings_path(), s.valid(), (64u << 20) + 1);
       },
       -102, -102, false},
      // Neither can be opened for writing like a file: the cause is "other".
      {"a link to an endless device as the settings file",
       [](const Station& s) {
         fs::create_symlink("/dev/zero", s.settings_path());
       },
       -1, -1, false},
      {"a named pipe as the settings file",
       [](const Station& s) { mkfifo(s.settings_path().c_str(), 0666); },
       -1, -1, false},
  };
  return cases;
}

const std::vector<Case>& DataFolderCases() {
  static const std::vector<Case> cases = {
      {"no Pathtopintable key",
       [](const Station& s) {
         s.Settings(s.valid().substr(0, s.valid().find("Pathtopintable")));
       },
       -430, -430, false},
      {"an empty Pathtopintable",
       [](const Station& s) {
         s.Settings(s.valid().substr(0, s.valid().find("Pathtopintable")) +
                    "Pathtopintable=\r\n");
       },
       -430, -430, false},
      {"a file where the data folder is expected",
       [](const Station& s) {
         WriteBytes(s.data_file("a_file"), "x");
         s.Settings(SettingsText(s.data_file("a_file"), 0));
       },
       -430, -430, false},
      {"a data folder that does not exist",
       [](const Station& s) {
         s.Settings(SettingsText(s.data_file("missing"), 0));
       },
       -430, -430, false},
      {"a data folder path of exactly 255 characters",
       [](const Station& s) {
         std::string path = s.data();
         while (path.size() < 255) {
           path += "/" + std::string(std::min<size_t>(100, 254 - path.size()),
                                     'd');
           fs::create_directory(path);
         }
         ASSERT_EQ(path.size(), 255u);
         s.Settings(SettingsText(path, 0));
       },
       kProceeds, kProceeds, false},
      {"a data folder path of 256 characters (the last one is cut)",
       [](const Station& s) {
         std::string path = s.data();
         while (path.size() < 256) {
           path += "/" + std::string(std::min<size_t>(100, 255 - path.size()),
                                     'd');
           fs::create_directory(path);
         }
         ASSERT_EQ(path.size(), 256u);
         s.Settings(SettingsText(path, 0));
       },
       -430, -430, false},
  };
  return cases;
}

// The data folder's files, beside valid settings.
const std::vector<Case>& TableCases() {
  static const std::vector<Case> cases = WithValidSettings({
      {"empty table files",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), "");
         WriteBytes(s.data_file("DLLPINTable.dat"), "");
       },
       kProceeds, kProceeds},
      {"binary table files",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), RandomBytes(20000, 2));
         WriteBytes(s.data_file("DLLPINTable.dat"), RandomBytes(20000, 3));
       },
       kProceeds, kProceeds},
      {"4 MiB table files of junk",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"),
                    Fill("[PINTable]\r\n7=270E\r\n", kHugeBytes));
         WriteBytes(s.data_file("DLLPINTable.dat"),
                    Fill("1=FFFF\r\n", kHugeBytes));
       },
       kProceeds, kProceeds},
      {"a table day of 100,000 digits, no DLLPINTable.dat (as if from an "
       "earlier day)",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"),
                    "[Other]\r\nLastPINRunDay=" + Repeat("1", 100000) + "\r\n");
       },
       -610, kProceeds},
      {"PINTable.dat over 64 MiB (not read: rebuilt)",
       [](const Station& s) {
         WriteSparse(s.data_file("PINTable.dat"), TableHeader(Today()),
                     (64u << 20) + 1);
       },
       kProceeds, kProceeds},
      {"table files cut off inside [Other]",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), "[Other]\r\nLastPINRu");
         WriteBytes(s.data_file("DLLPINTable.dat"), "[Oth");
       },
       kProceeds, kProceeds},
      // A file dated today is trusted as far as it goes: the slots past the
      // cut read as void, the cut entry as what is left of it ("27").
      {"today's library table cut off inside slot 1 (a station that writes "
       "one key at a time stopped halfway)",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), TableHeader(Today()));
         WriteBytes(s.data_file("DLLPINTable.dat"),
                    TableHeader(Today()) + "[PINTable]\r\n0=1A2B\r\n1=27");
       },
       kProceeds, kProceeds, false},
      // Every slot is missing from a library table dated today, so every
      // slot reads as void: sold out for the rest of the day.
      {"NUL bytes in today's table files, no slots in the library table",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"),
                    TableHeader(Today()) + std::string("\0\0\r\n", 4));
         WriteBytes(s.data_file("DLLPINTable.dat"),
                    std::string("\0=\0\r\n", 5) + TableHeader(Today()));
       },
       -500, -500, false},
      {"two [Other] sections, the first of an earlier day",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"),
                    TableHeader(Yesterday()) + TableHeader(Today()));
         WriteBytes(s.data_file("DLLPINTable.dat"), TableHeader(Today()));
       },
       kProceeds, kProceeds},
      {"table files in UTF-16LE with a BOM, of an earlier day",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"),
                    Utf16(TableHeader(Yesterday()), false));
         WriteBytes(s.data_file("DLLPINTable.dat"),
                    Utf16(TableHeader(Yesterday()), false));
       },
       kProceeds, kProceeds},
      {"a folder where PINTable.dat is expected",
       [](const Station& s) {
         fs::create_directory(s.data_file("PINTable.dat"));
       },
       -600, -600, false},
      {"a folder where DLLPINTable.dat is expected, PINTable.dat of today",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), TableHeader(Today()));
         fs::create_directory(s.data_file("DLLPINTable.dat"));
       },
       -600, -600, false},
      {"PINTable.dat of an earlier day without write permission",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), TableHeader(Yesterday()));
         fs::permissions(s.data_file("PINTable.dat"), fs::perms::owner_read);
       },
       -600, -600, false},
      {"PINTable.dat of an earlier day and no DLLPINTable.dat",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), TableHeader(Yesterday()));
       },
       -610, kProceeds, false},
      {"a named pipe as PINTable.dat (not read: rebuilt)",
       [](const Station& s) {
         mkfifo(s.data_file("PINTable.dat").c_str(), 0666);
       },
       kProceeds, kProceeds},
      {"a named pipe as DLLPINTable.dat, PINTable.dat of today",
       [](const Station& s) {
         WriteBytes(s.data_file("PINTable.dat"), TableHeader(Today()));
         mkfifo(s.data_file("DLLPINTable.dat").c_str(), 0666);
       },
       kProceeds, kProceeds},
      {"a named pipe as the lock file PINTable.lck",
       [](const Station& s) {
         mkfifo(s.data_file("PINTable.lck").c_str(), 0666);
       },
       kProceeds, kProceeds},
      {"a folder where the lock file PINTable.lck is expected",
       [](const Station& s) {
         fs::create_directory(s.data_file("PINTable.lck"));
       },
       kProceeds, kProceeds},
  });
  return cases;
}

void ExpectResult(const char* which, int32_t got, int32_t want) {
  if (want != kProceeds) {
    EXPECT_EQ(got, want) << which;
    return;
  }
  const int year = Env::Default().Now().year;
  if (std::string(which) == "ZoltResult" && (year < 2001 || year > 2015)) {
    EXPECT_EQ(got, ZOLT_E_YEAR) << which;
  } else {
    EXPECT_GT(got, 0) << which;
  }
}

void RunCases(const std::vector<Case>& cases, int* count) {
  for (const Case& c : cases) {
    for (bool query : {true, false}) {
      const char* which = query ? "check_SoldOut_Condition" : "ZoltResult";
      SCOPED_TRACE(std::string(c.name) + ", " + which);
      Station station;
      c.lay_out(station);
      if (::testing::Test::HasFatalFailure()) return;
      const std::string settings_before = Snapshot(station.settings_path());

      char buffer[32];
      std::memset(buffer, '#', sizeof(buffer));
      // A call that hangs (on a named pipe, say) ends the test program.
      alarm(kCallDeadlineSeconds);
      const int32_t got = query ? check_SoldOut_Condition(0, 0, 1)
                                : ZoltResult(0, 0, 1, buffer);
      alarm(0);
      ExpectResult(which, got, query ? c.query : c.issue);
      ++*count;

      EXPECT_EQ(Snapshot(station.settings_path()), settings_before)
          << "the settings file changed";
      // The expiry text stays inside the 12 bytes the caller provides, and
      // a failure leaves the buffer alone.
      EXPECT_EQ(std::string(buffer + 12, 20), std::string(20, '#'));
      if (got <= 0) EXPECT_EQ(std::string(buffer, 12), std::string(12, '#'));

      if (c.tables_of_today && (query ? c.query : c.issue) == kProceeds) {
        for (const char* name : {"PINTable.dat", "DLLPINTable.dat"}) {
          TableFile f = ReadTableFile(station.root().ReadFile(
              std::string("data/") + name));
          EXPECT_TRUE(f.ok) << name << ": " << f.error;
          EXPECT_EQ(f.run_date, Today()) << name;
        }
      }
    }
  }
}

TEST(BadInputTest, SettingsFiles) {
  int n = 0;
  RunCases(SettingsCases(), &n);
  std::printf("bad input: %zu settings cases, %d calls\n",
              SettingsCases().size(), n);
}

TEST(BadInputTest, DataFolders) {
  int n = 0;
  RunCases(DataFolderCases(), &n);
  std::printf("bad input: %zu data folder cases, %d calls\n",
              DataFolderCases().size(), n);
}

TEST(BadInputTest, TableFiles) {
  int n = 0;
  RunCases(TableCases(), &n);
  std::printf("bad input: %zu table file cases, %d calls\n",
              TableCases().size(), n);
}

// A copy of this program in a folder whose settings path is exactly as long
// as a path may be (4095 characters), and one where it is a few characters
// longer: the first reads its settings as usual, the second cannot open
// them at all (-1, the cause that is neither missing nor denied).
TEST(BadInputTest, SettingsPathAtThePlatformsLengthLimit) {
  TempDir root;
  const std::string data = root.MakeDir("data");
  const std::string self = Env::Default().ExecutablePath();
  struct LongCase {
    size_t settings_path_length;
    const char* want;
  };
  const std::string proceeds =
      Env::Default().Now().year > 2015 ? "query>0 issue=-111" : "query>0 issue>0";
  for (const LongCase& c : {LongCase{4095, proceeds.c_str()},
                            LongCase{4099, "query=-1 issue=-1"}}) {
    SCOPED_TRACE("settings path of " + std::to_string(c.settings_path_length));
    // The settings path is <folder> + "//OstrelZOLTDLL.dta".
    const size_t folder_length = c.settings_path_length - 19;
    std::string folder = root.path();
    while (folder.size() < folder_length) {
      folder += "/" + std::string(std::min<size_t>(200, folder_length -
                                                            folder.size() - 1),
                                  'p');
      fs::create_directory(folder);
    }
    ASSERT_EQ(folder.size(), folder_length);
    const std::string exe = folder + "/t";
    fs::copy_file(self, exe);
    const std::string settings = folder + "/OstrelZOLTDLL.dta";
    WriteBytes(settings, SettingsText(data, 0));
    const std::string before = Snapshot(settings);

    StationProcess child(exe, {"--call-exports"});
    ASSERT_TRUE(child.ok());
    int exit_code;
    std::string out = child.Finish(&exit_code);
    EXPECT_EQ(exit_code, 0);
    int query = 0, issue = 0;
    ASSERT_EQ(std::sscanf(out.c_str(), "query=%d issue=%d", &query, &issue), 2)
        << out;
    const std::string got =
        (query > 0 ? std::string("query>0") : "query=" + std::to_string(query)) +
        (issue > 0 ? std::string(" issue>0") : " issue=" + std::to_string(issue));
    EXPECT_EQ(got, c.want);
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
