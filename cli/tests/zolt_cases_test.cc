// Runs zolt on prepared station folders, one case at a time, from the case
// files in cases/ (the format is described in cases/README). Each case lays
// out a station, may sell first, runs one command and checks its exit
// status, its output and, for the inspecting commands, that no file of the
// station changed (bytes and modification times). Wrong usage must give
// exit status 2 with exactly one line on stderr.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/child_process.h"
#include "platform/testing/temp_dir.h"
#include "tests/station/station.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

std::string g_zolt;   // the program under test
std::string g_cases;  // the folder of case files

struct Run {
  int exit = -1;
  std::string out, err;
};

Run RunZolt(std::vector<std::string> args) {
  Run r;
  std::string error;
  auto child = ChildProcess::Start(g_zolt, args, &error, true);
  if (!child) {
    ADD_FAILURE() << "cannot start " << g_zolt << ": " << error;
    return r;
  }
  while (child->Read(&r.out)) {
  }
  while (child->ReadErrors(&r.err)) {
  }
  r.exit = child->Wait();
  r.out = test::Replace(r.out, "\r\n", "\n");
  r.err = test::Replace(r.err, "\r\n", "\n");
  return r;
}

// Every file and folder under `root`: bytes and modification time.
std::map<std::string, std::pair<std::string, fs::file_time_type>> Snapshot(
    const std::string& root) {
  std::map<std::string, std::pair<std::string, fs::file_time_type>> out;
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    std::string bytes = "<folder>";
    if (e.is_regular_file()) {
      std::ifstream in(e.path(), std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), {});
    }
    out[e.path().string()] = {bytes, fs::last_write_time(e.path())};
  }
  return out;
}

std::vector<std::string> Args(const test::Station& s, const std::string& text) {
  std::vector<std::string> args;
  for (const std::string& w : test::Words(text)) args.push_back(s.Expand(w));
  if (std::find(args.begin(), args.end(), "--station") == args.end()) {
    args.push_back("--station");
    args.push_back(s.folder());
  }
  return args;
}

void RunCase(const test::Case& c) {
  TempDir root;
  test::Station s(root.MakeDir("station"), root.MakeDir("station/data"));
  Run run;
  bool ran = false, check_unchanged = false;
  std::map<std::string, std::pair<std::string, fs::file_time_type>> before;
  for (size_t i = 0; i < c.lines.size(); ++i) {
    const std::string& line = c.lines[i];
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (s.Lay(c.lines, &i)) {
      continue;
    } else if (verb == "before") {
      s.Write();
      const Run r = RunZolt(Args(s, rest));
      ASSERT_EQ(r.exit, 0) << "before " << rest << "\n" << r.out << r.err;
    } else if (verb == "run") {
      s.Write();
      before = Snapshot(s.folder());
      run = RunZolt(Args(s, rest));
      ran = true;
    } else if (verb == "exit") {
      EXPECT_EQ(run.exit, std::stoi(rest)) << run.out << run.err;
    } else if (verb == "out") {
      EXPECT_NE(run.out.find(s.Expand(rest)), std::string::npos)
          << "stdout lacks \"" << rest << "\":\n" << run.out << run.err;
    } else if (verb == "not-out") {
      EXPECT_EQ(run.out.find(s.Expand(rest)), std::string::npos)
          << "stdout has \"" << rest << "\":\n" << run.out;
    } else if (verb == "err") {
      EXPECT_NE(run.err.find(s.Expand(rest)), std::string::npos)
          << "stderr lacks \"" << rest << "\":\n" << run.err;
    } else if (verb == "json") {
      const size_t eq = rest.find(" = ");
      ASSERT_NE(eq, std::string::npos) << line;
      const auto doc = nlohmann::json::parse(run.out, nullptr, false);
      ASSERT_FALSE(doc.is_discarded()) << "stdout is no JSON:\n" << run.out;
      const nlohmann::json::json_pointer at(rest.substr(0, eq));
      ASSERT_TRUE(doc.contains(at)) << rest.substr(0, eq) << " missing";
      EXPECT_EQ(doc.at(at), nlohmann::json::parse(s.Expand(rest.substr(eq + 3))))
          << rest.substr(0, eq);
    } else if (verb == "unchanged") {
      check_unchanged = true;
    } else {
      FAIL() << "unknown directive: " << line;
    }
  }
  ASSERT_TRUE(ran) << "no run line";
  if (run.exit == 2) {
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1)
        << "wrong usage must give one line on stderr:\n" << run.err;
  }
  if (check_unchanged) {
    EXPECT_TRUE(Snapshot(s.folder()) == before)
        << "a file of the station changed";
  }
}

TEST(ZoltCases, EveryCaseFile) {
  const std::vector<test::Case> cases = test::ReadCases(g_cases);
  ASSERT_FALSE(cases.empty()) << "no case files in " << g_cases;
  for (const test::Case& c : cases) {
    SCOPED_TRACE(c.name);
    RunCase(c);
  }
}

}  // namespace
}  // namespace zolt

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: zolt_cases_test ZOLT CASES_FOLDER\n");
    return 2;
  }
  zolt::g_zolt = zolt::test::Native(argv[1]);
  zolt::g_cases = zolt::test::Native(argv[2]);
  return RUN_ALL_TESTS();
}
