// The Linux Env on real files: name matching without regard to case, the
// causes of failed opens and deletions, atomic replacement, folder listing.
// Tests run as root, whom permission bits do not stop; the Env therefore
// treats a file without write bits as read-only, and so do these tests.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/env/env.h"
#include "platform/testing/temp_dir.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

class LinuxEnvTest : public ::testing::Test {
 protected:
  Env& env = Env::Default();
  TempDir dir;

  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir.path())) {
      names.insert(e.path().filename().string());
    }
    return names;
  }
  void RemoveWriteBits(const std::string& name) const {
    ASSERT_EQ(chmod(dir.Join(name).c_str(), 0444), 0);
  }
};

TEST_F(LinuxEnvTest, BasicsOfThePlatform) {
  EXPECT_EQ(env.PathSeparator(), '/');
  EXPECT_TRUE(fs::is_regular_file(env.ExecutablePath()));
}

TEST_F(LinuxEnvTest, NamesMatchWithoutRegardToCase) {
  dir.WriteFile("PINTable.dat", "mixed");
  std::string contents;
  EXPECT_EQ(env.ReadFile(dir.Join("pintable.DAT"), &contents), FileError::kNone);
  EXPECT_EQ(contents, "mixed");
  EXPECT_TRUE(env.FileExists(dir.Join("PINTABLE.DAT")));
  EXPECT_EQ(env.CheckWritable(dir.Join("pintable.dat")), FileError::kNone);

  // The exact spelling wins over another that differs only in case.
  dir.WriteFile("pintable.dat", "lower");
  EXPECT_EQ(env.ReadFile(dir.Join("pintable.dat"), &contents), FileError::kNone);
  EXPECT_EQ(contents, "lower");
  EXPECT_EQ(env.ReadFile(dir.Join("PINTable.dat"), &contents), FileError::kNone);
  EXPECT_EQ(contents, "mixed");
  ASSERT_EQ(env.RemoveFile(dir.Join("pintable.dat")), FileError::kNone);
  EXPECT_EQ(Entries(), (std::set<std::string>{"PINTable.dat"}));

  // A write through another spelling replaces the file that is there.
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("PINTABLE.dat"), "new", Expect::kAny),
            FileError::kNone);
  EXPECT_EQ(dir.ReadFile("PINTable.dat"), "new");
  EXPECT_EQ(Entries(), (std::set<std::string>{"PINTable.dat"}));

  // A new file keeps the spelling it was given.
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("DLLPINTable.dat"), "t", Expect::kAny),
            FileError::kNone);
  EXPECT_EQ(Entries(),
            (std::set<std::string>{"PINTable.dat", "DLLPINTable.dat"}));

  ASSERT_EQ(env.RemoveFile(dir.Join("dllpintable.DAT")), FileError::kNone);
  EXPECT_EQ(Entries(), (std::set<std::string>{"PINTable.dat"}));
}

// The causes that decide -400 / -375 / -1 for the settings file and
// -610 / -620 / -600 for the table files.
TEST_F(LinuxEnvTest, CheckRemoveAndReadTellTheCauses) {
  const FileError none = FileError::kNone, bad = FileError::kBadPath;
  const FileError denied = FileError::kDenied, missing = FileError::kNotFound;
  dir.WriteFile("ro.dat", "x");
  RemoveWriteBits("ro.dat");
  dir.WriteFile("plain", "x");
  dir.MakeDir("sub");
  struct Case {
    std::string path;
    FileError check, remove, read;
  } cases[] = {
      {dir.Join("missing.dat"), missing, missing, missing},
      {dir.Join("nofolder") + "/x.dat", bad, bad, bad},
      {dir.Join("plain") + "/x.dat", bad, bad, bad},
      {dir.Join("ro.dat") + "/x.dat", bad, bad, bad},
      {dir.Join("ro.dat"), denied, denied, none},
      {dir.Join("sub"), denied, denied, denied},
  };
  for (const Case& c : cases) {
    std::string contents = "stale";
    EXPECT_EQ(env.CheckWritable(c.path), c.check) << c.path;
    EXPECT_EQ(env.RemoveFile(c.path), c.remove) << c.path;
    EXPECT_EQ(env.ReadFile(c.path, &contents), c.read) << c.path;
    if (c.read != none) EXPECT_EQ(contents, "") << c.path;
  }
  // Neither created nor truncated nor removed.
  EXPECT_EQ(Entries(), (std::set<std::string>{"ro.dat", "plain", "sub"}));
  EXPECT_EQ(env.CheckWritable(dir.Join("plain")), none);
  EXPECT_EQ(dir.ReadFile("plain"), "x");
  EXPECT_EQ(env.RemoveFile(dir.Join("plain")), none);
  EXPECT_EQ(env.RemoveFile(dir.Join("plain")), missing);
}

TEST_F(LinuxEnvTest, FileLockedThroughAnotherDescriptorIsASharingViolation) {
  const std::string path = dir.WriteFile("OstrelZOLTDLL.dta", "x");
  int holder = open(path.c_str(), O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(env.CheckWritable(path), FileError::kSharing);
  EXPECT_EQ(env.CheckWritable(dir.Join("ostrelzoltdll.dta")), FileError::kSharing);
  ASSERT_EQ(flock(holder, LOCK_UN), 0);
  close(holder);
  EXPECT_EQ(env.CheckWritable(path), FileError::kNone);
}

TEST_F(LinuxEnvTest, WriteFileAtomicReplacesOrRefusesAndLeavesTheFile) {
  dir.WriteFile("t.dat", "old contents that are longer");
  for (const std::string& contents : {"[Other]\r\nLastPINRunDay=1\r\n", ""}) {
    ASSERT_EQ(env.WriteFileAtomic(dir.Join("t.dat"), contents, Expect::kExisting),
              FileError::kNone);
    EXPECT_EQ(dir.ReadFile("t.dat"), contents);
  }
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("new.dat"), "n", Expect::kNew), FileError::kNone);
  EXPECT_EQ(dir.ReadFile("new.dat"), "n");
  // What the caller knows of the file is checked, and a file that is not
  // as it expects is left alone.
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("NEW.dat"), "x", Expect::kNew), FileError::kExists);
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("gone.dat"), "x", Expect::kExisting),
            FileError::kNotFound);
  EXPECT_EQ(dir.ReadFile("new.dat"), "n");

  dir.WriteFile("ro.dat", "kept");
  RemoveWriteBits("ro.dat");
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("ro.dat"), "changed", Expect::kAny), FileError::kDenied);
  EXPECT_EQ(dir.ReadFile("ro.dat"), "kept");
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("nofolder") + "/x.dat", "x", Expect::kAny),
            FileError::kBadPath);

  // Held with an exclusive flock by another process: refused, unchanged.
  int holder = open(dir.Join("t.dat").c_str(), O_RDONLY);
  ASSERT_GE(holder, 0);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(env.WriteFileAtomic(dir.Join("t.dat"), "held", Expect::kAny), FileError::kSharing);
  EXPECT_EQ(dir.ReadFile("t.dat"), "");
  close(holder);
  // No temporary file is left beside the targets, no folder is made.
  EXPECT_EQ(Entries(), (std::set<std::string>{"t.dat", "new.dat", "ro.dat"}));
}

// Every account that may write the data folder may write the files made
// in it, whatever the umask of the station that made them.
TEST_F(LinuxEnvTest, NewFilesTakeTheirPermissionsFromTheFolder) {
  const mode_t umask_before = umask(077);
  struct Case {
    fs::perms folder, file;
  } cases[] = {
      {fs::perms(0700), fs::perms(0600)}, {fs::perms(0755), fs::perms(0644)},
      {fs::perms(0775), fs::perms(0664)}, {fs::perms(0777), fs::perms(0666)},
      {fs::perms(0751), fs::perms(0640)},
  };
  for (const Case& c : cases) {
    const std::string folder = dir.MakeDir("f" + std::to_string(static_cast<int>(c.folder)));
    fs::permissions(folder, c.folder);
    ASSERT_EQ(env.WriteFileAtomic(folder + "/made.dat", "x", Expect::kNew), FileError::kNone);
    dir.WriteFile(folder.substr(dir.path().size() + 1) + "/kept.dat", "old");
    fs::permissions(folder + "/kept.dat", fs::perms(0600));
    ASSERT_EQ(env.WriteFileAtomic(folder + "/kept.dat", "new", Expect::kExisting),
              FileError::kNone);
    for (const char* name : {"/made.dat", "/kept.dat"}) {
      EXPECT_EQ(fs::status(folder + name).permissions() & fs::perms::all, c.file)
          << folder << name;
    }
  }
  umask(umask_before);
}

// A symbolic link in a file's place is never followed, written through,
// replaced or removed; only the settings check opens what it leads to.
TEST_F(LinuxEnvTest, LinksAreRefusedAndLeftAlone) {
  const std::string outside = dir.WriteFile("outside.dat", "[Other]\r\nLastPINRunDay=1\r\n");
  const std::string folder = dir.MakeDir("data");
  const std::string link = folder + "/PINTable.dat";
  ASSERT_EQ(symlink(outside.c_str(), link.c_str()), 0);
  std::string contents;
  std::unique_ptr<WritableFile> file;
  std::unique_ptr<FileLock> lock;
  EXPECT_EQ(env.ReadFile(link, &contents), FileError::kLink);
  EXPECT_EQ(env.ReadFile(folder + "/pintable.DAT", &contents), FileError::kLink);
  EXPECT_EQ(env.RemoveFile(link), FileError::kLink);
  EXPECT_EQ(env.OpenForWrite(link, Creation::kExisting, &file), FileError::kLink);
  EXPECT_EQ(env.OpenForWrite(link, Creation::kNew, &file), FileError::kExists);
  EXPECT_EQ(env.WriteFileAtomic(link, "x", Expect::kAny), FileError::kLink);
  EXPECT_EQ(env.WriteInPlace(link, 0, "x", 29), FileError::kLink);
  EXPECT_EQ(env.LockFile(link, LockPlace::kLockFile, 0, &lock), FileError::kLink);
  EXPECT_EQ(env.LockFile(link, LockPlace::kTableFile, 0, &lock), FileError::kLink);
  EXPECT_EQ(env.CheckWritable(link), FileError::kNone);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(dir.ReadFile("outside.dat"), "[Other]\r\nLastPINRunDay=1\r\n");
  std::vector<std::string> names;
  ASSERT_TRUE(env.ListFolder(folder, &names));
  EXPECT_EQ(names, std::vector<std::string>{"PINTable.dat"});
}

// A rename that must not replace refuses where a file of the name (in any
// case) is there; one that may replaces it.
TEST_F(LinuxEnvTest, RenameReplacesOnlyWhenAsked) {
  dir.WriteFile("a.tmp", "new");
  dir.WriteFile("PINTable.dat", "old");
  EXPECT_EQ(env.RenameFile(dir.Join("a.tmp"), dir.Join("pintable.dat"), false),
            FileError::kExists);
  EXPECT_EQ(dir.ReadFile("PINTable.dat"), "old");
  EXPECT_EQ(env.RenameFile(dir.Join("a.tmp"), dir.Join("pintable.dat"), true),
            FileError::kNone);
  EXPECT_EQ(Entries(), (std::set<std::string>{"PINTable.dat"}));
  EXPECT_EQ(dir.ReadFile("PINTable.dat"), "new");
  dir.WriteFile("b.tmp", "b");
  EXPECT_EQ(env.RenameFile(dir.Join("b.tmp"), dir.Join("DLLPINTable.dat"), false),
            FileError::kNone);
  EXPECT_EQ(dir.ReadFile("DLLPINTable.dat"), "b");
  EXPECT_EQ(env.SyncFolder(dir.path()), FileError::kNone);
  EXPECT_EQ(env.SyncFolder(dir.Join("missing")), FileError::kBadPath);
}

// A mark written over four bytes or appended: only to the file as it was
// read, refused like a replacement, flushed.
TEST_F(LinuxEnvTest, WriteInPlaceWritesOnlyTheFileAsItWasRead) {
  const std::string path = dir.WriteFile("PINTable.dat", "7=1A2B\r\n");
  EXPECT_EQ(env.WriteInPlace(dir.Join("pintable.DAT"), 2, "270E", 8), FileError::kNone);
  EXPECT_EQ(env.WriteInPlace(path, 8, "9=270E\r\n", 8), FileError::kNone);
  EXPECT_EQ(dir.ReadFile("PINTable.dat"), "7=270E\r\n9=270E\r\n");
  EXPECT_EQ(env.WriteInPlace(path, 0, "x", 8), FileError::kOther);  // it grew
  int holder = open(path.c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  EXPECT_EQ(env.WriteInPlace(path, 0, "x", 16), FileError::kSharing);
  close(holder);
  RemoveWriteBits("PINTable.dat");
  EXPECT_EQ(env.WriteInPlace(path, 0, "x", 16), FileError::kDenied);
  EXPECT_EQ(env.WriteInPlace(dir.Join("missing.dat"), 0, "x", 0), FileError::kNotFound);
  EXPECT_EQ(dir.ReadFile("PINTable.dat"), "7=270E\r\n9=270E\r\n");
  EXPECT_EQ(Entries(), (std::set<std::string>{"PINTable.dat"}));

  // The settings check and read in one: the check's causes, then the bytes.
  std::string contents;
  EXPECT_EQ(env.ReadIfWritable(path, &contents), FileError::kDenied);
  EXPECT_EQ(contents, "");
  dir.WriteFile("OstrelZOLTDLL.dta", "[Preferences]");
  EXPECT_EQ(env.ReadIfWritable(dir.Join("ostrelzoltdll.dta"), &contents), FileError::kNone);
  EXPECT_EQ(contents, "[Preferences]");
  EXPECT_EQ(env.ReadIfWritable(dir.Join("none.dta"), &contents), FileError::kNotFound);
}

// A folder without write bits takes no new file, but a file in it that may
// be written is rewritten in place.
TEST_F(LinuxEnvTest, ReadOnlyFolderIsWrittenInPlaceOnly) {
  const std::string folder = dir.MakeDir("ro");
  dir.WriteFile("ro/t.dat", "old contents, longer than the new");
  ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
  EXPECT_EQ(env.WriteFileAtomic(folder + "/t.dat", "new", Expect::kAny), FileError::kNone);
  EXPECT_EQ(dir.ReadFile("ro/t.dat"), "new");
  EXPECT_EQ(env.WriteFileAtomic(folder + "/n.dat", "n", Expect::kAny), FileError::kDenied);
  EXPECT_EQ(env.RemoveFile(folder + "/t.dat"), FileError::kDenied);
  std::unique_ptr<FileLock> lock;
  EXPECT_EQ(env.LockFile(folder + "/PINTable.lck", LockPlace::kLockFile, 0, &lock), FileError::kDenied);
  std::vector<std::string> names;
  ASSERT_TRUE(env.ListFolder(folder, &names));
  EXPECT_EQ(names, std::vector<std::string>{"t.dat"});
  ASSERT_EQ(chmod(folder.c_str(), 0755), 0);
}

TEST_F(LinuxEnvTest, ListFolderOnlyForAListableFolder) {
  const std::string empty = dir.MakeDir("empty");
  const std::string file = dir.WriteFile("file.dat", "x");
  std::vector<std::string> names = {"stale"};
  EXPECT_TRUE(env.ListFolder(dir.path(), &names));
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()),
            (std::set<std::string>{"empty", "file.dat"}));
  EXPECT_TRUE(env.ListFolder(empty, &names));  // "." and ".." are entries
  EXPECT_TRUE(names.empty());
  EXPECT_FALSE(env.ListFolder(file, nullptr));
  EXPECT_FALSE(env.ListFolder(dir.Join("missing"), nullptr));
  EXPECT_TRUE(env.FolderExists(empty));
  EXPECT_FALSE(env.FolderExists(file));
  EXPECT_TRUE(env.FileExists(file));
  EXPECT_FALSE(env.FileExists(empty));
}

TEST_F(LinuxEnvTest, LockFileExcludesOtherHoldersUntilReleased) {
  std::unique_ptr<FileLock> first, second;
  ASSERT_EQ(env.LockFile(dir.Join("PINTable.lck"), LockPlace::kLockFile, 0, &first), FileError::kNone);
  EXPECT_TRUE(first->created());
  // Made for every station's user, whatever the umask.
  EXPECT_EQ(fs::status(dir.Join("PINTable.lck")).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write |
                fs::perms::group_read | fs::perms::group_write |
                fs::perms::others_read | fs::perms::others_write);
  // Another holder in this very process, through another spelling: busy.
  EXPECT_EQ(env.LockFile(dir.Join("pintable.LCK"), LockPlace::kLockFile, 50, &second), FileError::kSharing);
  EXPECT_EQ(second, nullptr);
  first.reset();
  EXPECT_EQ(env.LockFile(dir.Join("pintable.LCK"), LockPlace::kLockFile, 50, &second), FileError::kNone);
  EXPECT_NE(second, nullptr);
  // No lock at all: a missing folder, a folder in the lock file's place.
  dir.MakeDir("lockdir");
  EXPECT_NE(env.LockFile(dir.Join("nofolder") + "/PINTable.lck", LockPlace::kLockFile, 50, &first),
            FileError::kNone);
  EXPECT_NE(env.LockFile(dir.Join("lockdir"), LockPlace::kLockFile, 50, &first), FileError::kNone);
  EXPECT_NE(env.LockFile(dir.Join("lockdir"), LockPlace::kLockFile, 50, &first), FileError::kSharing);
  EXPECT_EQ(Entries(), (std::set<std::string>{"PINTable.lck", "lockdir"}));

  // A table file's lock: only an existing file this station may write, and
  // its bytes are no part of it.
  const std::string table = dir.WriteFile("PINTable.dat", "[Other]\r\n");
  ASSERT_EQ(env.LockFile(table, LockPlace::kTableFile, 0, &first), FileError::kNone);
  EXPECT_FALSE(first->created());
  EXPECT_EQ(env.LockFile(table, LockPlace::kTableFile, 50, &second), FileError::kSharing);
  EXPECT_EQ(env.WriteInPlace(table, 9, "x", 9), FileError::kNone);
  first.reset();
  EXPECT_EQ(env.LockFile(dir.Join("missing.dat"), LockPlace::kTableFile, 0, &first),
            FileError::kNotFound);
  RemoveWriteBits("PINTable.dat");
  EXPECT_EQ(env.LockFile(table, LockPlace::kTableFile, 0, &first), FileError::kDenied);
}

// What a write cut short leaves is recognised by its name, and only names
// the library makes are: the data folder may hold other files of the site,
// some shaped alike.
TEST(TemporaryFileNameTest, NamesMadeAreRecognisedAndNothingElse) {
  std::set<std::string> made;
  int near_misses_taken = 0;
  for (uint64_t seed = 0; seed < 1000; ++seed) {
    const std::string name = TemporaryFileName(seed);
    EXPECT_TRUE(IsTemporaryFileName(name)) << name;
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(IsTemporaryFileName(upper)) << upper;
    made.insert(name);
    // Any one character changed: prefix, suffix, the check.
    for (size_t i = 0; i < name.size(); ++i) {
      std::string other = name;
      other[i] = other[i] == 'q' ? 'r' : 'q';
      near_misses_taken += IsTemporaryFileName(other);
    }
  }
  EXPECT_EQ(made.size(), 1000u);  // neighbouring seeds, different names
  // Only a change among the four free characters can keep a valid check.
  EXPECT_LT(near_misses_taken, 40);
  for (const char* name : {"~zt00000.tmp", "~zt0000000.tmp", "~zt00 000.tmp",
                           "zt000000.tmp", "~zt000000.tmq", "~zt00.00.tmp",
                           "PINTable.dat", ".PINTable.dat.a1b2c3", ""}) {
    EXPECT_FALSE(IsTemporaryFileName(name)) << name;
  }
}

}  // namespace
}  // namespace zolt

#endif  // _WIN32
