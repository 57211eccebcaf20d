// The Windows Env on real files (run under Wine in the cross-build): the
// cause of each failure, the atomic write and its refusals, folder searches.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/env/env.h"
#include "platform/testing/temp_dir.h"

namespace zolt {
namespace {

// Holds a file open the way another program would, until destroyed.
class OpenHandle {
 public:
  OpenHandle(const std::string& path, DWORD access, DWORD share)
      : handle_(CreateFileA(path.c_str(), access, share, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenHandle() {
    if (ok()) CloseHandle(handle_);
  }
  OpenHandle(const OpenHandle&) = delete;
  OpenHandle& operator=(const OpenHandle&) = delete;
  bool ok() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

void MakeReadOnly(const std::string& path) {
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
}

// How many entries a folder holds.
size_t EntryCount(const std::string& folder) {
  return std::distance(std::filesystem::directory_iterator(folder), {});
}

class WindowsEnvTest : public ::testing::Test {
 protected:
  Env& env_ = Env::Default();
  TempDir dir_;
};

TEST_F(WindowsEnvTest, ProcessFacts) {
  EXPECT_EQ(env_.PathSeparator(), '\\');
  const std::string exe = env_.ExecutablePath();
  EXPECT_TRUE(exe.ends_with(".exe") && env_.FileExists(exe)) << exe;
  EXPECT_EQ(JoinPath(env_, "C:\\data", "PINTable.dat"), "C:\\data\\PINTable.dat");
}

// The causes that decide -400 / -375 / -1 for the settings file and
// -610 / -620 / -600 for the table files.
TEST_F(WindowsEnvTest, CheckRemoveAndReadTellCausesApart) {
  const FileError bad = FileError::kBadPath, denied = FileError::kDenied;
  struct Case {
    const char* what;
    std::string path;
    FileError check, read;  // RemoveFile as CheckWritable
  };
  std::string plain = dir_.WriteFile("plain.dat", "x");
  std::string read_only = dir_.WriteFile("readonly.dat", "x");
  MakeReadOnly(read_only);
  std::string folder = dir_.MakeDir("sub");
  const Case cases[] = {
      {"missing file", dir_.Join("missing.dat"), FileError::kNotFound, FileError::kNotFound},
      {"missing folder", dir_.Join("nofolder\\x.dat"), bad, bad},
      {"file used as folder", plain + "\\x.dat", bad, bad},
      {"wildcard in name", dir_.Join("a*b.dat"), bad, bad},
      {"read-only file", read_only, denied, FileError::kNone},
      {"a folder", folder, denied, denied},
  };
  for (const Case& c : cases) {
    std::string contents = "stale";
    EXPECT_EQ(env_.CheckWritable(c.path), c.check) << c.what;
    EXPECT_EQ(env_.RemoveFile(c.path), c.check) << c.what;
    EXPECT_EQ(env_.ReadFile(c.path, &contents), c.read) << c.what;
    if (c.read != FileError::kNone) EXPECT_EQ(contents, "") << c.what;
  }
  EXPECT_TRUE(env_.FileExists(read_only)) << "a refused delete keeps the file";
  EXPECT_TRUE(env_.FolderExists(folder));

  EXPECT_EQ(env_.CheckWritable(plain), FileError::kNone);
  EXPECT_EQ(dir_.ReadFile("plain.dat"), "x") << "the check leaves the file";
  // The doubled separator between folder and name is accepted.
  EXPECT_EQ(env_.CheckWritable(dir_.path() + "\\\\plain.dat"), FileError::kNone);
  EXPECT_EQ(env_.RemoveFile(plain), FileError::kNone);
  EXPECT_EQ(env_.RemoveFile(plain), FileError::kNotFound);
}

TEST_F(WindowsEnvTest, FileHeldOpenUnsharedIsASharingViolation) {
  std::string path = dir_.WriteFile("held.dat", "held");
  OpenHandle other(path, GENERIC_READ, 0);
  ASSERT_TRUE(other.ok());
  std::string contents = "stale";
  EXPECT_EQ(env_.CheckWritable(path), FileError::kSharing);
  EXPECT_EQ(env_.RemoveFile(path), FileError::kSharing);
  EXPECT_EQ(env_.ReadFile(path, &contents), FileError::kSharing);
  EXPECT_EQ(contents, "");
  EXPECT_EQ(env_.WriteFileAtomic(path, "new", Expect::kAny), FileError::kSharing);
  EXPECT_TRUE(env_.FileExists(path));
}

TEST_F(WindowsEnvTest, ReadFileGivesExactBytesAlsoWhileAnotherStationWrites) {
  const std::string bytes("[PINTable]\r\n0=1A2B\r\n\0\xff\n", 23);
  std::string path = dir_.WriteFile("table.dat", bytes);
  // Another station writing the file with full sharing does not stop a read.
  OpenHandle writer(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  ASSERT_TRUE(writer.ok());
  std::string contents = "stale";
  ASSERT_EQ(env_.ReadFile(path, &contents), FileError::kNone);
  EXPECT_EQ(contents, bytes);
  EXPECT_EQ(env_.ReadFile(dir_.WriteFile("empty.dat", ""), &contents), FileError::kNone);
  EXPECT_EQ(contents, "");
}

TEST_F(WindowsEnvTest, WriteFileAtomicReplacesCreatesAndRefuses) {
  std::string path = dir_.WriteFile("PINTable.dat", std::string(5000, 'o'));
  ASSERT_EQ(env_.WriteFileAtomic(path, "short\r\n", Expect::kAny), FileError::kNone);
  EXPECT_EQ(dir_.ReadFile("PINTable.dat"), "short\r\n");

  std::string fresh = dir_.Join("DLLPINTable.dat");
  for (const char* contents : {"new", ""}) {
    ASSERT_EQ(env_.WriteFileAtomic(fresh, contents, Expect::kAny), FileError::kNone);
    EXPECT_EQ(dir_.ReadFile("DLLPINTable.dat"), contents);
  }

  std::string read_only = dir_.WriteFile("readonly.dat", "keep");
  MakeReadOnly(read_only);
  EXPECT_EQ(env_.WriteFileAtomic(read_only, "lost", Expect::kAny), FileError::kDenied);
  EXPECT_EQ(dir_.ReadFile("readonly.dat"), "keep");
  EXPECT_EQ(env_.WriteFileAtomic(dir_.Join("nofolder\\x.dat"), "x", Expect::kAny), FileError::kBadPath);
  EXPECT_EQ(env_.WriteFileAtomic(dir_.path(), "x", Expect::kAny), FileError::kDenied);

  // No temporary file is left behind, no folder is made.
  EXPECT_EQ(EntryCount(dir_.path()), 3u);
  SetFileAttributesA(read_only.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(WindowsEnvTest, WriteInPlaceWritesOnlyTheFileAsItWasRead) {
  const std::string path = dir_.WriteFile("PINTable.dat", "7=1A2B\r\n");
  EXPECT_EQ(env_.WriteInPlace(path, 2, "270E", 8), FileError::kNone);
  EXPECT_EQ(env_.WriteInPlace(path, 8, "9=270E\r\n", 8), FileError::kNone);
  EXPECT_EQ(dir_.ReadFile("PINTable.dat"), "7=270E\r\n9=270E\r\n");
  EXPECT_EQ(env_.WriteInPlace(path, 0, "x", 8), FileError::kOther);  // it grew
  {
    OpenHandle other(path, GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(other.ok());
    EXPECT_EQ(env_.WriteInPlace(path, 0, "x", 16), FileError::kSharing);
  }
  MakeReadOnly(path);
  EXPECT_EQ(env_.WriteInPlace(path, 0, "x", 16), FileError::kDenied);
  std::string contents;
  EXPECT_EQ(env_.ReadIfWritable(path, &contents), FileError::kDenied);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(env_.ReadIfWritable(path, &contents), FileError::kNone);
  EXPECT_EQ(contents, "7=270E\r\n9=270E\r\n");
  EXPECT_EQ(EntryCount(dir_.path()), 1u);
}

TEST_F(WindowsEnvTest, WriteFileAtomicFallsBackWhenRenameIsRefused) {
  // A reader that shares reading and writing but not deletion refuses the
  // rename over the file; the contents are then rewritten in place.
  std::string path = dir_.WriteFile("PINTable.dat", "old old old");
  {
    OpenHandle reader(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(reader.ok());
    EXPECT_EQ(env_.WriteFileAtomic(path, "new", Expect::kAny), FileError::kNone);
  }
  EXPECT_EQ(dir_.ReadFile("PINTable.dat"), "new");
  EXPECT_EQ(EntryCount(dir_.path()), 1u) << "temporary file removed";
}

TEST_F(WindowsEnvTest, FolderQueries) {
  std::string file = dir_.WriteFile("file.dat", "x");
  std::string empty = dir_.MakeDir("empty");
  struct Case {
    const char* what;
    std::string path;
    bool has_entries, folder, file;
  };
  const Case cases[] = {
      {"folder with a file", dir_.path(), true, true, false},
      {"empty folder (. and ..)", empty, true, true, false},
      {"trailing separator", dir_.path() + "\\", true, true, false},
      {"a file", file, false, false, true},
      {"missing", dir_.Join("missing"), false, false, false},
      {"empty path: the current drive's root", "", true, false, false},
  };
  std::vector<std::string> names;
  ASSERT_TRUE(env_.ListFolder(dir_.path(), &names));
  EXPECT_EQ(names.size(), 2u);  // file.dat and empty, without . and ..
  for (const Case& c : cases) {
    EXPECT_EQ(env_.ListFolder(c.path, nullptr), c.has_entries) << c.what;
    EXPECT_EQ(env_.FolderExists(c.path), c.folder) << c.what;
    EXPECT_EQ(env_.FileExists(c.path), c.file) << c.what;
  }
}

// A reparse point (a symbolic link) in a file's place is never followed,
// written through, replaced or removed.
TEST_F(WindowsEnvTest, ReparsePointsAreRefusedAndLeftAlone) {
  const std::string outside = dir_.WriteFile("outside.dat", "[Other]\r\n");
  const std::string folder = dir_.MakeDir("data");
  const std::string link = folder + "\\PINTable.dat";
  // Bound at run time: the build targets systems older than the call.
  using CreateLinkFn = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  const auto create_link = reinterpret_cast<CreateLinkFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
  if (create_link == nullptr || !create_link(link.c_str(), outside.c_str(), 0)) {
    GTEST_SKIP() << "no symbolic links here (error " << GetLastError() << ")";
  }
  const DWORD attrs = GetFileAttributesA(link.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES || (attrs & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    GTEST_SKIP() << "links here are not reparse points";
  }
  std::string contents;
  std::unique_ptr<WritableFile> file;
  std::unique_ptr<FileLock> lock;
  EXPECT_EQ(env_.ReadFile(link, &contents), FileError::kLink);
  EXPECT_EQ(env_.RemoveFile(link), FileError::kLink);
  EXPECT_EQ(env_.OpenForWrite(link, Creation::kExisting, &file), FileError::kLink);
  EXPECT_EQ(env_.WriteFileAtomic(link, "x", Expect::kAny), FileError::kLink);
  EXPECT_EQ(env_.WriteInPlace(link, 0, "x", 9), FileError::kLink);
  EXPECT_EQ(env_.LockFile(link, LockPlace::kLockFile, 0, &lock), FileError::kLink);
  EXPECT_EQ(env_.LockFile(link, LockPlace::kTableFile, 0, &lock), FileError::kLink);
  EXPECT_EQ(dir_.ReadFile("outside.dat"), "[Other]\r\n");
  EXPECT_NE(GetFileAttributesA(link.c_str()), INVALID_FILE_ATTRIBUTES);
}

// The table lock between stations: one holder at a time, also between two
// opens in one process; released with the object.
TEST_F(WindowsEnvTest, LockFileExcludesOtherHoldersUntilReleased) {
  std::string path = dir_.Join("PINTable.lck");
  std::unique_ptr<FileLock> first, second;
  {
    ASSERT_EQ(env_.LockFile(path, LockPlace::kLockFile, 1000, &first), FileError::kNone);
    EXPECT_TRUE(env_.FileExists(path)) << "a missing lock file is made";
    EXPECT_EQ(env_.LockFile(path, LockPlace::kLockFile, 30, &second), FileError::kSharing)
        << "held: the wait ends";
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(env_.CheckWritable(dir_.WriteFile("other.dat", "x")),
              FileError::kNone)
        << "other files are not affected";
    first.reset();
  }
  EXPECT_EQ(env_.LockFile(path, LockPlace::kLockFile, 0, &second), FileError::kNone)
      << "released with the object";
  second.reset();

  // A holder that lets go in time hands the lock to the waiter.
  ASSERT_EQ(env_.LockFile(path, LockPlace::kLockFile, 0, &first), FileError::kNone);
  std::thread release([&] {
    Sleep(200);
    first.reset();
  });
  EXPECT_EQ(env_.LockFile(path, LockPlace::kLockFile, 5000, &second), FileError::kNone)
      << "granted when released";
  release.join();
  second.reset();

  // A lock file that may no longer be written still serves.
  MakeReadOnly(path);
  EXPECT_EQ(env_.LockFile(path, LockPlace::kLockFile, 0, &first), FileError::kNone);
  first.reset();
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  EXPECT_NE(env_.LockFile(dir_.Join("nofolder\\PINTable.lck"), LockPlace::kLockFile, 0, &first),
            FileError::kNone);
  EXPECT_NE(env_.LockFile(dir_.Join("nofolder\\PINTable.lck"), LockPlace::kLockFile, 0, &first),
            FileError::kSharing);
  EXPECT_FALSE(env_.FolderExists(dir_.Join("nofolder")));

  // A table file's lock: an existing file this station may write, locked
  // past its bytes, which others still read and write.
  const std::string table = dir_.WriteFile("PINTable.dat", "[Other]\r\n");
  ASSERT_EQ(env_.LockFile(table, LockPlace::kTableFile, 0, &first), FileError::kNone);
  EXPECT_EQ(env_.LockFile(table, LockPlace::kTableFile, 30, &second), FileError::kSharing);
  std::string contents;
  EXPECT_EQ(env_.ReadFile(table, &contents), FileError::kNone);
  EXPECT_EQ(env_.WriteInPlace(table, 9, "x", 9), FileError::kNone);
  first.reset();
  EXPECT_EQ(env_.LockFile(dir_.Join("missing.dat"), LockPlace::kTableFile, 0, &first),
            FileError::kNotFound);
  MakeReadOnly(table);
  EXPECT_EQ(env_.LockFile(table, LockPlace::kTableFile, 0, &first), FileError::kDenied);
  SetFileAttributesA(table.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace zolt
