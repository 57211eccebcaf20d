// The profile engine on its own: a smoke set of the platform's rows (every
// row is compared with the real functions in tests/profile_diff) and the
// engine's own departures, bad input, large files, and loading and saving
// through an Env.
#include "platform/profile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/testing/temp_dir.h"
#include "platform/testing/test_env.h"

namespace zolt {
namespace {

using namespace std::string_literals;  // "...\0..."s keeps NUL bytes

struct ReadRow {
  const char* what;
  std::string file;
  std::string section, key, def;
  std::size_t size;
  std::string expected;
};

TEST(ProfileRead, FollowsThePlatformRows) {
  const std::vector<ReadRow> rows = {
      {"case-insensitive", "[Sec]\r\nKey=Value\r\n", "SEC", "kEY", "D", 256, "Value"},
      {"argument blanks", "[Sec]\r\nKey=Value\r\n", " Sec\t", "\x0bKey\x1a", "D", 256, "Value"},
      {"double quotes", "[S]\r\nq=\"dq\"\r\n", "S", "q", "D", 256, "dq"},
      {"first section wins", "[S]\r\nk=1\r\n[s]\r\nk=2\r\nj=3\r\n", "S", "j", "D", 256, "D"},
      {"no comment syntax", "[S]\r\n;k=1\r\nk=3\r\n", "S", ";k", "D", 256, "1"},
      {"default trailing spaces", "[S]\r\n", "S", "x", "def   ", 256, "def"},
      {"default after quote trim", "[S]\r\n", "S", "x", " \"ab\" ", 256, " \"ab\""},
      {"cut", "[S]\r\nk=abcdef\r\n", "S", "k", "D", 4, "abc"},
      {"size 0", "[S]\r\nk=abc\r\n", "S", "k", "D", 0, ""},
      {"LF", "[S]\nk=v\n", "S", "k", "D", 256, "v"},
      {"[] unreachable", "[]\r\ne=1\r\n", "", "e", "D", 256, "D"},
      {"NUL ends value", "[S]\r\nk=a\0b\r\n"s, "S", "k", "D", 256, "a"},
      {"NUL ends name", "[S]\r\nj\0x=1\r\n"s, "S", "j", "D", 256, "1"},
      {"trimmed after NUL", "[S]\r\nq = a \0\r\n"s, "S", "q", "D", 256, "a"},
      {"nothing before NUL", "[S]\r\n\0x\r\n=v\r\n"s, "S", "", "D", 256, "v"},
      {"NUL in header", "[T\0U]\r\nt=1\r\n"s, "T", "t", "D", 256, "1"},
      {"NUL in argument", "[T]\r\nt=1\r\n", "T\0U"s, "t", "D", 256, "1"},
      {"UTF-8", "\xEF\xBB\xBF[S]\r\nk=\xC3\xA9\xE2\x82\xAC\r\n", "S", "k", "D", 256, "\xE9\x80"},
      {"UTF-8 outside 1252", "\xEF\xBB\xBF[S]\r\nk=\xCE\xA9\xF0\x9F\x98\x80\r\n", "S", "k", "D", 256, "???"},
      {"UTF-8 invalid", "\xEF\xBB\xBF[S]\r\nk=a\xFF\r\n", "S", "k", "D", 256, "a?"},
      {"UTF-16LE", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\xE9\0\r\0"s, "S", "k", "D", 256, "\xE9"},
      {"UTF-16 odd byte", "\xFF\xFE[\0S\0]\0\n\0k\0=\0v\0w"s, "S", "k", "D", 256, "vw"},
  };
  for (const ReadRow& row : rows) {
    ProfileFile p = ProfileFile::Parse(row.file);
    EXPECT_EQ(p.GetString(row.section, row.key, row.def, row.size), row.expected)
        << row.what;
    EXPECT_FALSE(p.changed()) << row.what;
  }
}

struct Op {
  enum Kind { kWrite, kRemoveKey, kRemoveSection } kind;
  std::string section, key, value;
};

void Apply(ProfileFile& p, const Op& op) {
  switch (op.kind) {
    case Op::kWrite: p.SetString(op.section, op.key, op.value); break;
    case Op::kRemoveKey: p.RemoveKey(op.section, op.key); break;
    case Op::kRemoveSection: p.RemoveSection(op.section); break;
  }
}

struct WriteRow {
  const char* what;
  std::string file;
  std::vector<Op> ops;
  std::string expected;  // "" with changed == false: nothing to write
};

TEST(ProfileWrite, LaysOutTheFileAsThePlatformDoes) {
  const Op::Kind W = Op::kWrite, K = Op::kRemoveKey, X = Op::kRemoveSection;
  const std::vector<WriteRow> rows = {
      {"update keeps spelling", "[Sec]\r\nKey=old\r\n", {{W, " sec ", " KEY ", " new "}},
       "[Sec]\r\nKey=new\r\n"},
      {"new key, new section", "[Sec]\r\nKey=x\r\n",
       {{W, "Sec", "Key2", "\tv"}, {W, " New ", " nk ", " v "}, {W, "Sec", "z", "1"}},
       "[Sec]\r\nKey=x\r\nKey2=v\r\nz=1\r\n[New]\r\nnk=v\r\n"},
      {"quotes stored as given", "[S]\r\n", {{W, "S", "k", "\"x\""}, {W, "S", "e", ""}},
       "[S]\r\nk=\"x\"\r\ne=\r\n"},
      {"duplicates: first section", "[S]\r\nk=1\r\n[S]\r\nk=2\r\nj=3\r\n",
       {{W, "S", "k", "9"}, {W, "S", "j", "8"}},
       "[S]\r\nk=9\r\nj=8\r\n[S]\r\nk=2\r\nj=3\r\n"},
      {"removals", "[A]\r\na=1\r\nb=2\r\n[B]\r\n; cb\r\nc=3\r\n[C]\r\nd=4\r\n",
       {{K, "A", "a", ""}, {X, "B", "", ""}, {K, "C", "d", ""}}, "[A]\r\nb=2\r\n[C]\r\n"},
      {"empty header kept", "[S]\r\nk=1\r\n[]\r\ne=1\r\n", {{W, "S", "k", "2"}},
       "[S]\r\nk=2\r\n[]\r\ne=1\r\n"},
      {"NUL cut written", "[S]\r\nk = a \0b\r\n\0z=2\r\n\0\r\n[ T\0]\r\n"s,
       {{W, "S", "n", "1"}}, "[S]\r\nk=a\r\n=2\r\nn=1\r\n[T]\r\n"},
      {"text like a BOM", "\r\n\xFF\xFEk=v\r\n", {{W, "", "j", "1"}},
       "\r\n\xFF\xFEk=v\r\nj=1\r\n"},
      {"value cut at NUL", "[S]\r\n", {{W, "S", "k", "a\0b"s}}, "[S]\r\nk=a\r\n"},
      {"UTF-16LE kept", "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x00\xD8\r\0"s, {{W, "S", "j", "\xE9"}},
       "\xFF\xFE[\0S\0]\0\r\0\n\0k\0=\0\x00\xD8\r\0\n\0j\0=\0\xE9\0\r\0\n\0"s},
      {"same value", "[S]\r\n\r\nk=1\r\n", {{W, "S", "K", " 1"}}, ""},
      {"missing key and section", "[S]\r\n\r\nk=1\r\n",
       {{K, "S", "x", ""}, {X, "T", "", ""}, {K, "T", "k", ""}}, ""},
  };
  for (const WriteRow& row : rows) {
    ProfileFile p = ProfileFile::Parse(row.file);
    for (const Op& op : row.ops) Apply(p, op);
    EXPECT_EQ(p.changed(), !row.expected.empty()) << row.what;
    if (p.changed()) EXPECT_EQ(p.Serialize(), row.expected) << row.what;
  }
}

TEST(ProfileWrite, ChangesAreSeenByLaterReads) {
  ProfileFile p = ProfileFile::Parse("[S]\r\nk=1\r\nk=2\r\n");
  p.SetString("S", "k", "x");
  EXPECT_EQ(p.GetString("s", "K", "D"), "x");
  p.RemoveKey("S", "k");
  EXPECT_EQ(p.GetString("S", "k", "D"), "2");  // the next one shows
  p.SetString("T", "t", "\"q\"");
  EXPECT_EQ(p.GetString("t", "T", "D"), "q");
  p.RemoveSection("T");
  EXPECT_EQ(p.GetString("T", "t", "D"), "D");
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
