// Bad input through the two exported functions, as a point-of-sale program
// meets it: the cases of bad_input.cases, each laid out in this program's
// own station folder (its settings file lies beside the executable) and
// called through both exports. Every case must give its documented code
// from both, never a crash, a hang or an overrun, and must leave the
// settings file as it was.
//
// Run as "bad_input_test --call-exports", the program only calls both
// exports once and prints their results: the long-path cases run a copy of
// it from a folder whose path reaches the platform's length limit.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "OstrelZOLTDLL.h"
#include "cli/show/strict_table_file.h"
#include "platform/process/child_process.h"
#include "platform/env/env.h"
#include "platform/testing/temp_dir.h"
#include "tests/station/station.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

std::string g_cases;  // bad_input.cases

int32_t DateNumber(const LocalTime& t) { return t.year * 10000 + t.month * 100 + t.day; }

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
  if (lstat(path.c_str(), &st) != 0) return "<none>";
  std::string s = std::to_string(st.st_mode) + "/" + std::to_string(st.st_size) + "/" +
                  std::to_string(st.st_mtim.tv_sec) + "." + std::to_string(st.st_mtim.tv_nsec) + "/";
  if (S_ISREG(st.st_mode) && st.st_size <= (16 << 20)) {
    std::ifstream in(path, std::ios::binary);
    s.append(std::istreambuf_iterator<char>(in), {});
  }
  if (S_ISLNK(st.st_mode)) s += fs::read_symlink(path).string();
  return s;
}

// Every entry of the station's folders but the lock file and this
// program, as Snapshot tells it (folders by their kind alone: the lock file's making changes a
// folder's time): what a refusal must leave as it was.
std::string FolderSnapshot(const std::string& folder) {
  std::string s;
  std::error_code ec;
  const fs::path self = fs::path(Env::Default().ExecutablePath()).filename();
  for (auto it = fs::recursive_directory_iterator(folder, ec);
       it != fs::recursive_directory_iterator(); it.increment(ec)) {
    const std::string path = it->path().string();
    // The lock file, and this program (megabytes, read at every case).
    if (it->path().filename() == "PINTable.lck" || it->path().filename() == self) continue;
    s += path + "=" + (it->is_directory(ec) && !it->is_symlink(ec) ? "folder" : Snapshot(path)) +
         "\n";
  }
  return s;
}

// This program's folder, emptied of the case before: the settings file in
// both spellings and the data folder.
test::Station FreshStation() {
  const std::string folder = fs::path(Env::Default().ExecutablePath()).parent_path().string();
  std::error_code ec;
  for (const char* name : {"OstrelZOLTDLL.dta", "ostrelzoltdll.dta", "data"}) {
    for (const auto& e : fs::recursive_directory_iterator(folder + "/" + name, ec)) {
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(folder + "/" + name, fs::perms::owner_all,
                    fs::perm_options::add | fs::perm_options::nofollow, ec);
    fs::remove_all(folder + "/" + name, ec);
  }
  fs::create_directory(folder + "/data");
  return test::Station(folder, folder + "/data");
}

// Lays out the case; the codes its expect line names, 1 for "proceeds".
void LayOut(const test::Case& c, test::Station& s, int32_t* query, int32_t* issue) {
  const LocalTime now = Env::Default().Now();
  const int32_t today = DateNumber(now);
  s.Define("{today}", Header(today));
  s.Define("{old}", Header(today - 10000));
  s.Define("{later}", Header(today + 10000));
  s.Define("{long 255}", DeepFolder(s.data(), 255, 'd'));
  s.Define("{long 256}", DeepFolder(s.data(), 256, 'e'));
  const std::vector<std::string>& lines = c.lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::vector<std::string> w = test::Words(lines[i]);
    if (s.Lay(lines, &i)) continue;
    if (w.size() == 2 && w[0] == "fifo") {
      ASSERT_EQ(mkfifo(s.Path(w[1]).c_str(), 0666), 0) << lines[i];
    } else if (w.size() == 3 && w[0] == "expect") {
      *query = w[1] == "proceeds" ? 1 : std::stoi(w[1]);
      *issue = w[2] == "proceeds" ? 1 : std::stoi(w[2]);
    } else {
      FAIL() << "unknown directive: " << lines[i];
    }
  }
  s.Write();
}

TEST(BadInputTest, EveryCase) {
  const std::vector<test::Case> cases = test::ReadCases(g_cases);
  ASSERT_EQ(cases.size(), 61u) << g_cases;
  const int32_t today = DateNumber(Env::Default().Now());
  const bool pin_years = Env::Default().Now().year >= 2001 && Env::Default().Now().year <= 2015;
  for (const test::Case& c : cases) {
    for (bool query : {true, false}) {
      SCOPED_TRACE(c.name + (query ? ", check_SoldOut_Condition" : ", ZoltResult"));
      test::Station s = FreshStation();
      int32_t want_query = 0, want_issue = 0;
      LayOut(c, s, &want_query, &want_issue);
      const int32_t want = query ? want_query : want_issue;
      ASSERT_NE(want, 0) << "no expect line";
      const std::string settings_before = Snapshot(s.Path("OstrelZOLTDLL.dta"));
      const std::string station_before = FolderSnapshot(s.folder());

      char buffer[32];
      std::memset(buffer, '#', sizeof(buffer));
      alarm(30);  // a call that hangs (on a named pipe, say) ends the program
      // Vendor and location arguments that the settings check would refuse:
      // the library reads its settings file only.
      const int32_t got = query ? check_SoldOut_Condition(-7, 123456, 1) : ZoltResult(179, 900, 1, buffer);
      alarm(0);
      if (want != 1) {
        EXPECT_EQ(got, want);
      } else if (query || pin_years) {
        EXPECT_GT(got, 0);
      } else {
        EXPECT_EQ(got, ZOLT_E_YEAR);
      }
      EXPECT_EQ(Snapshot(s.Path("OstrelZOLTDLL.dta")), settings_before) << "the settings file changed";
      // The undetermined failure changes nothing at all.
      if (want == -1) EXPECT_EQ(FolderSnapshot(s.folder()), station_before);
      // The expiry text stays inside the 12 bytes the caller provides, and
      // a failure leaves the buffer alone.
      EXPECT_EQ(std::string(buffer + 12, 20), std::string(20, '#'));
      if (got <= 0) EXPECT_EQ(std::string(buffer, 12), std::string(12, '#'));
      if (want != 1) continue;
      for (const char* name : {"PINTable.dat", "DLLPINTable.dat"}) {
        std::ifstream in(s.Setting("Pathtopintable") + "/" + name, std::ios::binary);
        const StrictTableFile f =
            ReadStrictTableFile(std::string(std::istreambuf_iterator<char>(in), {}));
        EXPECT_TRUE(f.ok) << name << ": " << f.error;
        EXPECT_EQ(f.run_date, today) << name;
      }
    }
  }
}

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
    test::Station station(folder, data);
    station.Write();
    const std::string before = Snapshot(station.Path("OstrelZOLTDLL.dta"));

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
    EXPECT_EQ(Snapshot(station.Path("OstrelZOLTDLL.dta")), before);
  }
}

}  // namespace
}  // namespace zolt

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], "--call-exports") == 0) {
    char buffer[32] = {};
    const int32_t query = check_SoldOut_Condition(0, 0, 1);
    const int32_t issue = ZoltResult(0, 0, 1, buffer);
    std::printf("query=%d issue=%d\n", query, issue);
    return 0;
  }
  return zolt::test::RunAllTests(argc, argv, &zolt::g_cases);
}
