// The profile engine on its own: the rows of profile_rows.txt (the
// platform's rules in brief and the engine's own departures), bad input,
// large files, and loading and saving through an Env.
#include "profile/profile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"
#include "profile/tests/diff/script_format.h"
#include "tests/station/station.h"

namespace zolt {
namespace {

std::string g_rows;  // profile_rows.txt

TEST(ProfileRows, EveryRowOfTheFile) {
  std::ifstream in(g_rows);
  int rows = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    for (char& c : line) c = c == '|' ? '\t' : c;
    const std::vector<std::string> f = profile_diff::SplitFields(line);
    ++rows;
    ProfileFile p = ProfileFile::Parse(f.at(1));
    if (f[0] == "read") {
      EXPECT_EQ(p.GetString(f.at(2), f.at(3), f.at(4), std::stoul(f.at(5))), f.at(6)) << line;
      EXPECT_FALSE(p.changed()) << line;
      continue;
    }
    for (size_t i = 3; i < f.size(); i += f[i] == "w" ? 4 : f[i] == "k" ? 3 : 2) {
      if (f[i] == "w") p.SetString(f.at(i + 1), f.at(i + 2), f.at(i + 3));
      if (f[i] == "k") p.RemoveKey(f.at(i + 1), f.at(i + 2));
      if (f[i] == "x") p.RemoveSection(f.at(i + 1));
    }
    EXPECT_EQ(p.changed() ? p.Serialize() : "<unchanged>", f.at(2)) << line;
  }
  EXPECT_EQ(rows, 37) << g_rows;
}

// Any bytes give a profile, and a write-out reads back with the same
// answers and writes out the same again.
TEST(ProfileBadInput, BinaryJunkNeverBreaksTheEngine) {
  std::uint64_t state = 12345;
  auto next = [&state]() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<unsigned>(state >> 33);
  };
  const char kAlphabet[] = "[]=;\"' \t\r\n\0\x1a" "ab\xC3\xA9\xFF\xFE\xEF\xBB\xBF";
  const char* const kNames[] = {"", "a", "b", "[", "a b", "\xFF", ";"};
  for (int round = 0; round < 500; ++round) {
    std::string bytes;
    int n = static_cast<int>(next() % 200);
    for (int i = 0; i < n; ++i) {
      bytes += next() % 3 == 0 ? static_cast<char>(next())
                               : kAlphabet[next() % (sizeof kAlphabet - 1)];
    }
    if (round % 5 == 0) bytes.insert(0, round % 10 == 0 ? "\xFF\xFE" : "\xEF\xBB\xBF");
    ProfileFile p = ProfileFile::Parse(bytes);
    p.SetString("a", "b", "c");
    p.RemoveKey("", "a");
    const std::string once = p.Serialize();
    ProfileFile q = ProfileFile::Parse(once);
    EXPECT_EQ(q.Serialize(), once) << "round " << round;
    for (const char* section : kNames) {
      for (const char* key : kNames) {
        ASSERT_EQ(q.GetString(section, key, "D", 5), p.GetString(section, key, "D", 5))
            << "round " << round << " [" << section << "] " << key;
      }
    }
    EXPECT_EQ(q.GetString("a", "b", "D"), "c");
  }
}

TEST(ProfileBadInput, LongLinesAndHugeFiles) {
  const std::string long_value(100000, 'x');
  ProfileFile p = ProfileFile::Parse("[S]\r\nk=" + long_value + "\r\nj=1");
  EXPECT_EQ(p.GetString("S", "k", "D"), std::string(255, 'x'));
  EXPECT_EQ(p.GetString("S", "k", "D", 200000), long_value);
  EXPECT_EQ(p.GetString("S", "j", "D"), "1");  // the cut-off last line

  std::string header_only(100000, '[');
  EXPECT_EQ(ProfileFile::Parse(header_only).GetString("", "[", "D"), "D");

  // Many lines, many sections, one with every key twice.
  std::string big;
  for (int s = 0; s < 2000; ++s) big += "[S" + std::to_string(s) + "]\nk=" + std::to_string(s) + "\n";
  for (int k = 0; k < 50000; ++k) big += "key" + std::to_string(k % 25000) + "=" + std::to_string(k) + "\n";
  ProfileFile q = ProfileFile::Parse(big);
  EXPECT_EQ(q.GetString("s1999", "K", "D"), "1999");
  EXPECT_EQ(q.GetString("S1999", "key24999", "D"), "24999");
  q.RemoveKey("S1999", "KEY7");
  EXPECT_EQ(q.GetString("S1999", "key7", "D"), "25007");
}

TEST(ProfileFileIo, LoadsAndSavesThroughTheEnv) {
  TempDir dir;
  TestEnv env;
  const std::string path = dir.Join("p.ini");

  ProfileFile missing = ProfileFile::Load(env, path);
  EXPECT_EQ(missing.load_error(), FileError::kNotFound);
  missing.RemoveSection("S");
  EXPECT_EQ(missing.Save(env, path), FileError::kNone);
  EXPECT_FALSE(dir.Exists("p.ini"));  // a removal from nothing creates nothing

  missing.SetString("S", "k", "v");
  EXPECT_EQ(missing.Save(env, path), FileError::kNone);
  EXPECT_FALSE(missing.changed());
  EXPECT_EQ(dir.ReadFile("p.ini"), "[S]\r\nk=v\r\n");

  ProfileFile loaded = ProfileFile::Load(env, path);
  EXPECT_EQ(loaded.GetString("s", "K", "D"), "v");
  loaded.SetString("S", "k", "w");
  env.FailWrite("p.ini", FileError::kSharing);
  EXPECT_EQ(loaded.Save(env, path), FileError::kSharing);
  EXPECT_TRUE(loaded.changed());  // still to be written
  EXPECT_EQ(dir.ReadFile("p.ini"), "[S]\r\nk=v\r\n");
  env.ClearFailures();
  EXPECT_EQ(loaded.Save(env, path), FileError::kNone);
  EXPECT_EQ(dir.ReadFile("p.ini"), "[S]\r\nk=w\r\n");

  const std::string no_folder = JoinPath(env, dir.Join("none"), "p.ini");
  ProfileFile orphan = ProfileFile::Load(env, no_folder);
  EXPECT_EQ(orphan.load_error(), FileError::kBadPath);
  orphan.SetString("S", "k", "v");
  EXPECT_EQ(orphan.Save(env, no_folder), FileError::kBadPath);
  EXPECT_TRUE(orphan.changed());
}

}  // namespace
}  // namespace zolt

int main(int argc, char** argv) {
  return zolt::test::RunAllTests(argc, argv, &zolt::g_rows);
}
