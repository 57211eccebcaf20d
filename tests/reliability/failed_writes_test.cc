// Writes that fail, locks held by another program and damaged tables, as a
// site meets them, through both exports of the library loaded by name from
// this program's station folder (cmake/run_in_station.cmake copies the
// simulated-clock library there, sale time 23:59; tests/station writes the
// settings). Whatever
// fails, no call hands out a PIN whose taken mark is not on disk in both
// files, and no PIN twice.
//
// "failed_writes_test --hold-open FILE..." and "--hold-lock FILE SECONDS"
// make this program the other program that holds the files or the lock.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "OstrelZOLTDLL.h"
#include "platform/env/env.h"
#include "platform/process/child_process.h"
#include "platform/process/library_loader.h"
#include "platform/testing/os_testing.h"
#include "tests/station/station.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zolt {
namespace {

namespace fs = std::filesystem;

using IssueFn = int32_t(ZOLT_CALL*)(int32_t, int32_t, int32_t, char*);
using QueryFn = int32_t(ZOLT_CALL*)(int32_t, int32_t, int32_t);

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return in ? s.str() : "<missing>";
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// Another program started beside the test, which says "held" once it holds
// what it was told to.
std::unique_ptr<ChildProcess> StartHolder(const std::string& exe,
                                          const std::vector<std::string>& args) {
  std::unique_ptr<ChildProcess> child = ChildProcess::Start(exe, args);
  std::string out;
  while (child != nullptr && out.find("held") == std::string::npos) {
    if (!child->Read(&out)) return nullptr;
  }
  return child;
}

class FailedWritesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Loaded once and never unloaded: a call that gave up on a held lock
    // leaves a helper thread waiting inside the library (docs/decisions.md),
    // which must not wake in unloaded code when the test after it begins.
    std::string error;
    static LoadedLibrary* const library =
        LoadLibraryByName(SharedLibraryFileName("OstrelZOLTDLL"), &error).release();
    library_ = library;
    ASSERT_NE(library_, nullptr) << error;
    issue_ = reinterpret_cast<IssueFn>(library_->FindSymbol("ZoltResult"));
    query_ = reinterpret_cast<QueryFn>(
        library_->FindSymbol("check_SoldOut_Condition"));
    ASSERT_TRUE(issue_ != nullptr && query_ != nullptr);
    station_.Write();
    // A data folder made immutable for the run keeps what it was given.
    if (std::getenv("ZOLT_DATA_READ_ONLY") != nullptr) return;
    for (const auto& e : fs::directory_iterator(data_)) fs::remove_all(e.path());
  }
  void TearDown() override {
    for (const auto& e : fs::recursive_directory_iterator(data_)) {
      SetReadOnly(e.path().string(), false);
    }
  }

  std::string Station(const std::string& name) const {
    return JoinPath(env_, folder_, name);
  }
  std::string Data(const std::string& name) const {
    return JoinPath(env_, data_, name);
  }
  void SetDataFolder(const std::string& path) {
    station_.Define("{folder}", path);  // after the escapes: a Windows path
    station_.Set("Pathtopintable", "{folder}");
    station_.Write();
  }

  // Vendor and location arguments are not read (the settings file is).
  int32_t Query() { return query_(-7, 123456, 1); }
  // A sale; a PIN must be new, and its expiry text stays in 12 bytes.
  int32_t Sell() {
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    const int32_t r = issue_(179, 900, 1, buffer);
    EXPECT_EQ(std::string(buffer + 12, 20), std::string(20, '#'));
    if (r > 0) EXPECT_TRUE(pins_.insert(r).second) << "PIN " << r << " twice";
    if (r <= 0) EXPECT_EQ(std::string(buffer, 12), std::string(12, '#'));
    return r;
  }
  std::vector<std::string> DataEntries(const std::string& folder) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) {
      names.push_back(e.path().filename().string());
    }
    return names;
  }

  Env& env_ = Env::Default();
  const std::string exe_ = env_.ExecutablePath();
  const std::string folder_ = exe_.substr(0, exe_.find_last_of("\\/"));
  const std::string data_ = JoinPath(env_, folder_, "data");
  test::Station station_{folder_, data_};
  LoadedLibrary* library_ = nullptr;
  IssueFn issue_ = nullptr;
  QueryFn query_ = nullptr;
  std::set<int32_t> pins_;
};

TEST_F(FailedWritesTest, ReadOnlyTablesGiveNoPin) {
  ASSERT_GT(Sell(), 0);
  const std::string pin = Data("PINTable.dat"), dll = Data("DLLPINTable.dat");
  ASSERT_TRUE(SetReadOnly(pin, true) && SetReadOnly(dll, true));
  const std::string before = Read(pin) + Read(dll);
  EXPECT_GT(Query(), 0);  // a free slot can still be seen
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
  EXPECT_EQ(Read(pin) + Read(dll), before);
  ASSERT_TRUE(SetReadOnly(pin, false) && SetReadOnly(dll, false));
  EXPECT_GT(Sell(), 0);
  EXPECT_GT(Sell(), 0);
}

// Linux: the folder's write bits off, which the library honours for root
// too. Windows: the data folder is made immutable before the program starts
// (tests/reliability/CMakeLists.txt), as a share that grants reading only.
TEST_F(FailedWritesTest, ReadOnlyFolderWithoutTablesGivesNoPin) {
#ifdef _WIN32
  if (std::getenv("ZOLT_DATA_READ_ONLY") == nullptr) {
    GTEST_SKIP() << "runs with a data folder made read-only beforehand";
  }
#else
  ASSERT_TRUE(SetReadOnly(data_, true));
#endif
  EXPECT_EQ(Query(), ZOLT_E_UNDETERMINED);
  EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
  EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
  EXPECT_TRUE(DataEntries(data_).empty());
  SetReadOnly(data_, false);
}

// On Windows every path the library makes in the data folder must fit in
// MAX_PATH; a folder one character longer is refused before anything is
// written. On Linux the 255 characters a setting can hold always fit.
TEST_F(FailedWritesTest, DataFolderPathAtThePlatformsLimit) {
  const size_t limit = std::min<size_t>(255, env_.MaxPathLength() - 16);
  std::vector<size_t> lengths = {limit};
  if (limit < 255) lengths.push_back(limit + 1);
  for (size_t length : lengths) {
    SCOPED_TRACE("data folder of " + std::to_string(length) + " characters");
    std::string folder = data_;
    while (folder.size() < length) {
      folder = JoinPath(env_, folder,
                        std::string(std::min<size_t>(100, length - folder.size() - 1), 'd'));
    }
    fs::create_directories(folder);
    SetDataFolder(folder);
    if (length == limit) {
      EXPECT_GT(Query(), 0);
      EXPECT_GT(Sell(), 0);
    } else {
      EXPECT_EQ(Query(), ZOLT_E_DATA_FOLDER);
      EXPECT_EQ(Sell(), ZOLT_E_DATA_FOLDER);
      EXPECT_TRUE(DataEntries(folder).empty());
    }
  }
}

// Nothing may land in the root of the current drive.
TEST_F(FailedWritesTest, EmptyDataFolderPathWritesNothingAnywhere) {
  const std::vector<std::string> names = {"PINTable.dat", "DLLPINTable.dat", "PINTable.lck"};
  for (const std::string& name : names) fs::remove(JoinPath(env_, "", name));
  SetDataFolder("");
  EXPECT_EQ(Query(), ZOLT_E_DATA_FOLDER);
  EXPECT_EQ(Sell(), ZOLT_E_DATA_FOLDER);
  for (const std::string& name : names) {
    EXPECT_FALSE(fs::exists(JoinPath(env_, "", name))) << name;
    EXPECT_FALSE(fs::exists(Station(name))) << name;
  }
}

TEST_F(FailedWritesTest, TablesHeldOpenByAnotherProgramGiveNoPin) {
  ASSERT_GT(Sell(), 0);
  {
    auto other = StartHolder(exe_, {"--hold-open", Data("PINTable.dat"), Data("DLLPINTable.dat")});
    ASSERT_NE(other, nullptr);
    EXPECT_GT(Query(), 0);
    EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
    EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
  }
  EXPECT_GT(Sell(), 0);
}

// A hung station keeps the lock: each call waits the bound (5 s) and then
// refuses instead of selling beside it.
TEST_F(FailedWritesTest, LockHeldPastTheBoundRefusesTheCall) {
  ASSERT_GT(Sell(), 0);
  {
    auto hung = StartHolder(exe_, {"--hold-lock", Data("PINTable.lck"), "60"});
    ASSERT_NE(hung, nullptr);
    const ProcessResources before = CountProcessResources();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
    EXPECT_EQ(Query(), ZOLT_E_UNDETERMINED);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(9900));
    // The waits given up on leave no thread and no open file behind, while
    // the holder still holds.
    const ProcessResources after = CountProcessResources();
    EXPECT_EQ(after.threads, before.threads);
    EXPECT_EQ(after.files, before.files);
  }
  EXPECT_GT(Sell(), 0);
}

// The data folder may hold the site's own files. Through rebuilds, sales
// and the clean-up of leftovers each keeps its bytes, whatever its name:
// names of every length, and names shaped like the library's temporary
// files that are not its own (another prefix, suffix or check, a file that
// holds no table, a folder). Only what the library left is removed.
TEST_F(FailedWritesTest, OnlyTheLibrarysOwnLeftoversAreRemoved) {
  ASSERT_GT(Sell(), 0);
  std::vector<std::string> site;
  for (size_t length = 1; length <= 40; ++length) {
    std::string name;
    for (size_t i = 0; i < length; ++i) name += "~zt0a1b2c.tmp"[i % 13];
    if (name.back() == '.') name.back() = 'x';  // Windows drops a final dot
    site.push_back(name);
  }
  const std::string own = TemporaryFileName(7), own_empty = TemporaryFileName(8);
  for (uint64_t seed = 100; seed < 110; ++seed) {
    std::string near = TemporaryFileName(seed);
    const size_t at = seed % near.size();  // one character other than made
    near[at] = near[at] == 'q' ? 'r' : 'q';
    if (!IsTemporaryFileName(near)) site.push_back(near);
    site.push_back("~zu" + TemporaryFileName(seed).substr(3));
    site.push_back(TemporaryFileName(seed).substr(0, 9) + ".tmq");
  }
  const std::string site_shaped = TemporaryFileName(9);  // the site's notes
  site.push_back(site_shaped);
  for (const std::string& name : site) Write(Data(name), "the site's own " + name);
  fs::create_directory(Data(TemporaryFileName(10)));
  Write(Data(own), Read(Data("PINTable.dat")));
  Write(Data(own_empty), "");

  EXPECT_GT(Query(), 0);  // a holder of the lock tidies up
  fs::remove(Data("DLLPINTable.dat"));  // the library table rebuilt
  EXPECT_GT(Sell(), 0);
  EXPECT_GT(Sell(), 0);
  for (const std::string& name : site) {
    EXPECT_EQ(Read(Data(name)), "the site's own " + name) << name;
  }
  EXPECT_TRUE(fs::is_directory(Data(TemporaryFileName(10))));
  EXPECT_FALSE(fs::exists(Data(own)));
  EXPECT_FALSE(fs::exists(Data(own_empty)));
}

// Earlier sales' PINs, then a table that cannot be read for a while (held
// without any sharing by a scanner or backup agent, for less and for more
// than the retries): each call meanwhile answers or refuses, and none
// takes the unreadable table for a missing one. Later sales issue none of
// the earlier PINs again.
TEST_F(FailedWritesTest, ATableThatCannotBeReadIsNotAMissingOne) {
  for (int i = 0; i < 3; ++i) ASSERT_GT(Sell(), 0);
  for (const char* ms : {"150", "1500"}) {
    SCOPED_TRACE(std::string("held for ") + ms + " ms");
    for (const char* name : {"PINTable.dat", "DLLPINTable.dat"}) {
      auto holder = StartHolder(exe_, {"--hold-unshared", Data(name), ms});
      ASSERT_NE(holder, nullptr);
      const int32_t query = Query(), sale = Sell();
      EXPECT_TRUE(query > 0 || query == ZOLT_E_UNDETERMINED) << query;
      EXPECT_TRUE(sale > 0 || sale == ZOLT_E_UNDETERMINED) << sale;
      holder->Wait();
    }
    for (int i = 0; i < 3; ++i) EXPECT_GT(Sell(), 0);
  }
}

#ifndef _WIN32
// The process runs out of file descriptors between opening the lock file
// and reading PINTable.dat: both exports refuse, and nothing is rebuilt.
TEST_F(FailedWritesTest, OutOfFileDescriptorsRefusesAndKeepsTheTables) {
  for (int i = 0; i < 3; ++i) ASSERT_GT(Sell(), 0);
  const std::string tables = Read(Data("PINTable.dat")) + Read(Data("DLLPINTable.dat"));
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
  struct rlimit low = saved;
  low.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &low), 0);
  // Every descriptor below the limit taken but one: the lock file gets it.
  std::vector<int> filler;
  for (int fd; (fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;) filler.push_back(fd);
  ASSERT_FALSE(filler.empty());
  close(filler.back());
  filler.pop_back();
  const int32_t sale = Sell(), query = Query();
  for (int fd : filler) close(fd);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &saved), 0);
  EXPECT_EQ(sale, ZOLT_E_UNDETERMINED);
  EXPECT_EQ(query, ZOLT_E_UNDETERMINED);
  EXPECT_EQ(Read(Data("PINTable.dat")) + Read(Data("DLLPINTable.dat")), tables);
  for (int i = 0; i < 3; ++i) EXPECT_GT(Sell(), 0);
}

// A data folder whose tables this station may write but where it may make
// no file: PINTable.dat is not followed out of the folder through a link.
TEST_F(FailedWritesTest, LinksNeverLeadOutOfTheDataFolder) {
  ASSERT_GT(Sell(), 0);
  const std::string outside = Station("outside.dat");
  for (const char* name : {"PINTable.dat", "DLLPINTable.dat", "PINTable.lck"}) {
    SCOPED_TRACE(name);
    const std::string real = Data(std::string(name) + ".real");
    fs::rename(Data(name), real);
    Write(outside, Read(real));
    fs::create_symlink(outside, Data(name));
    const std::string bytes = Read(outside);
    EXPECT_EQ(Query(), ZOLT_E_UNDETERMINED);
    EXPECT_EQ(Sell(), ZOLT_E_UNDETERMINED);
    EXPECT_EQ(Read(outside), bytes);
    EXPECT_TRUE(fs::is_symlink(Data(name)));
    fs::remove(Data(name));
    fs::rename(real, Data(name));
  }
  EXPECT_GT(Sell(), 0);
}

// The first call of the day runs at a station whose umask lets nobody else
// write; a station under another account (here "nobody") still sells on the
// tables it made, as the data folder lets every account write.
TEST_F(FailedWritesTest, AStationOfAnotherAccountSellsAfterTheDaysRebuild) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run a station as another account";
  const mode_t before = umask(077);
  fs::permissions(data_, fs::perms(0777));
  fs::permissions(Station("OstrelZOLTDLL.dta"), fs::perms(0666));
  for (int i = 0; i < 3; ++i) ASSERT_GT(Sell(), 0);  // the day's first call made both tables
  umask(before);
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], 1);
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(3);
    execl(exe_.c_str(), exe_.c_str(), "--sell", "2", static_cast<char*>(nullptr));
    _exit(4);
  }
  close(out[1]);
  std::string printed;
  char buf[256];
  for (ssize_t n; (n = read(out[0], buf, sizeof buf)) > 0;) printed.append(buf, static_cast<size_t>(n));
  close(out[0]);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << ": " << printed;
  std::istringstream lines(printed);
  for (int32_t pin; lines >> pin;) {
    EXPECT_TRUE(pins_.insert(pin).second) << "PIN " << pin << " twice";
  }
  EXPECT_GT(Sell(), 0);
  fs::permissions(data_, fs::perms(0755));
}
#endif

// Stations that may write the tables but make nothing in the data folder
// (so no PINTable.lck) sell at the same time: no PIN twice, and each issued
// slot marked in both files. Linux: the folder's write bits off; Windows:
// the folder made immutable between the two runs of this test
// (tests/reliability/CMakeLists.txt).
TEST_F(FailedWritesTest, StationsThatMayMakeNoFileStillExcludeEachOther) {
#ifdef _WIN32
  if (std::getenv("ZOLT_DATA_READ_ONLY") == nullptr) {
    GTEST_SKIP() << "runs with a data folder made immutable beforehand";
  }
#else
  ASSERT_GT(Sell(), 0);
  fs::remove(Data("PINTable.lck"));
  ASSERT_TRUE(SetReadOnly(data_, true));
#endif
  const std::string marks_before = Read(Data("PINTable.dat"));
  std::vector<std::unique_ptr<ChildProcess>> stations;
  for (int i = 0; i < 4; ++i) {
    stations.push_back(ChildProcess::Start(exe_, {"--sell", "40"}));
    ASSERT_NE(stations.back(), nullptr);
  }
  std::vector<int32_t> pins;
  for (auto& station : stations) {
    std::string out;
    while (station->Read(&out)) {
    }
    EXPECT_EQ(station->Wait(), 0);
    std::istringstream lines(out);
    for (int32_t r; lines >> r;) {
      if (r > 0) pins.push_back(r);
      else EXPECT_EQ(r, ZOLT_E_SOLD_OUT);
    }
  }
#ifndef _WIN32
  SetReadOnly(data_, false);
#endif
  EXPECT_EQ(pins.size(), 160u);
  std::sort(pins.begin(), pins.end());
  EXPECT_EQ(std::adjacent_find(pins.begin(), pins.end()), pins.end()) << "a PIN issued twice";
  // Every PIN issued is one new mark in PINTable.dat, and in
  // DLLPINTable.dat too.
  auto marked = [](const std::string& bytes) {
    std::set<std::string> slots;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
      if (line.find("=270E") != std::string::npos) slots.insert(line.substr(0, line.find('=')));
    }
    return slots;
  };
  const std::set<std::string> before = marked(marks_before);
  const std::set<std::string> pin = marked(Read(Data("PINTable.dat")));
  const std::set<std::string> dll = marked(Read(Data("DLLPINTable.dat")));
  size_t added = 0;
  for (const std::string& slot : pin) {
    if (before.count(slot) != 0) continue;
    ++added;
    EXPECT_EQ(dll.count(slot), 1u) << "slot " << slot << " unmarked in DLLPINTable.dat";
  }
  EXPECT_EQ(added, pins.size());
  EXPECT_FALSE(fs::exists(Data("PINTable.lck")));
}

// The other program: holds files open or the lock, says so, and waits.
int Hold(int argc, char** argv) {
  std::vector<std::unique_ptr<FileHolder>> files;
  std::unique_ptr<FileLock> lock;
  int seconds = 60;
  if (std::strcmp(argv[1], "--hold-open") == 0) {
    for (int i = 2; i < argc; ++i) {
      files.push_back(std::make_unique<FileHolder>(argv[i]));
      if (!files.back()->ok()) return 3;
    }
  } else if (std::strcmp(argv[1], "--hold-unshared") == 0 && argc == 4) {
    files.push_back(std::make_unique<FileHolder>(argv[2], /*share_reading=*/false));
    if (!files.back()->ok()) return 3;
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[3])));
    return 0;
  } else if (argc == 4) {
    if (Env::Default().LockFile(argv[2], LockPlace::kLockFile, 0, &lock) != FileError::kNone) return 3;
    seconds = std::atoi(argv[3]);
  }
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(seconds));
  return 0;
}

}  // namespace
}  // namespace zolt

// Another station: sells `count` baskets through the library loaded by
// name, and prints each result on a line of its own. Exits 0 when every
// sale gave a PIN.
int SellAsAStation(int count) {
  std::string error;
  auto library = zolt::LoadLibraryByName(zolt::SharedLibraryFileName("OstrelZOLTDLL"), &error);
  if (library == nullptr) return 3;
  auto issue = reinterpret_cast<int32_t(ZOLT_CALL*)(int32_t, int32_t, int32_t, char*)>(
      library->FindSymbol("ZoltResult"));
  if (issue == nullptr) return 3;
  int failed = 0;
  for (int i = 0; i < count; ++i) {
    char buffer[32] = {};
    const int32_t r = issue(190, 1, 1, buffer);
    std::printf("%d\n", r);
    failed += r <= 0;
  }
  std::fflush(stdout);
  return failed == 0 ? 0 : 1;
}

int main(int argc, char** argv) {
  if (argc >= 3 && std::strncmp(argv[1], "--hold-", 7) == 0) {
    return zolt::Hold(argc, argv);
  }
  if (argc == 3 && std::strcmp(argv[1], "--sell") == 0) {
    return SellAsAStation(std::atoi(argv[2]));
  }
  if (argc == 2 && std::strcmp(argv[1], "--prepare-station") == 0) {
    // The station's settings and today's tables, before a run that finds
    // the data folder made immutable.
    zolt::Env& env = zolt::Env::Default();
    const std::string exe = env.ExecutablePath();
    const std::string folder = exe.substr(0, exe.find_last_of("\\/"));
    zolt::test::Station(folder, zolt::JoinPath(env, folder, "data")).Write();
    return SellAsAStation(1);
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
