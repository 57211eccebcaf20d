// Runs zolt on prepared station folders, one case at a time, from the case
// files in cases/ (the format is described in cases/README). Each case lays
// out a station, may sell first, runs one command and checks its exit
// status, its output and, for the read-only commands, that no file of the
// station changed (bytes and modification times). Wrong usage must give
// exit status 2 with exactly one line on stderr.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/process/child_process.h"
#include "platform/testing/os_testing.h"
#include "platform/testing/temp_dir.h"
#include "tests/station/station.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

std::string g_zolt;     // the program under test
std::string g_cases;    // the folder of case files
std::string g_library;  // the built PIN library

struct Run {
  int exit = -1;
  std::string out, err;
};

// Runs a program of this machine (Linux), also from the Windows build's
// runner under Wine, which starts Unix programs by their path.
int RunTool(const std::vector<std::string>& command) {
  auto child = ChildProcess::Start(
      command[0], {command.begin() + 1, command.end()}, nullptr, true);
  if (!child) return -1;
  std::string ignored;
  while (child->Read(&ignored)) {
  }
  while (child->ReadErrors(&ignored)) {
  }
  return child->Wait();
}

// A JSON value of a case with the station's folders in it: the folders
// JSON-escaped (a Windows path's backslashes) before the rest is expanded.
std::string JsonValue(const test::Station& s, std::string value) {
  for (const auto& [name, path] :
       {std::pair<std::string, std::string>{"{station}", s.folder()},
        {"{data}", s.data()}}) {
    const std::string escaped = nlohmann::json(path).dump();
    value = test::Replace(value, name, escaped.substr(1, escaped.size() - 2));
  }
  return s.Expand(value);
}

// `clock_ahead` seconds other than 0 run zolt with its clock that far
// ahead of the system's (libfaketime), while the file server (this
// machine's kernel) stamps files with the real time.
Run RunZolt(std::vector<std::string> args, const std::string& clock_ahead = "") {
  Run r;
  std::string error;
  std::string program = g_zolt;
  if (!clock_ahead.empty()) {
    // libfaketime is preloaded before the sanitizers' runtime: tell it so.
    const char* asan = std::getenv("ASAN_OPTIONS");
    const std::string asan_options =
        std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") +
        (asan != nullptr && *asan != '\0' ? ":" : "") +
        "verify_asan_link_order=0";
    args.insert(args.begin(), {"NO_FAKE_STAT=1", asan_options,
                               "/usr/bin/faketime", "-f",
                               (clock_ahead[0] == '-' ? "" : "+") +
                                   clock_ahead + "s",
                               HostPath(g_zolt)});
    program = "/usr/bin/env";
  }
  auto child = ChildProcess::Start(program, args, &error, true);
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

std::vector<std::string> Args(const test::Station& s, const std::string& text,
                              bool add_station = true) {
  std::vector<std::string> args;
  for (const std::string& w : test::Words(text)) args.push_back(s.Expand(w));
  if (add_station &&
      std::find(args.begin(), args.end(), "--station") == args.end()) {
    args.push_back("--station");
    args.push_back(s.folder());
  }
  return args;
}

// "json POINTER = VALUE": stdout is JSON whose value at POINTER is VALUE.
void CheckJson(const test::Station& s, const Run& run, const std::string& rest) {
  const size_t eq = rest.find(" = ");
  ASSERT_NE(eq, std::string::npos) << rest;
  const auto doc = nlohmann::json::parse(run.out, nullptr, false);
  ASSERT_FALSE(doc.is_discarded()) << "stdout is no JSON:\n" << run.out;
  const nlohmann::json::json_pointer at(rest.substr(0, eq));
  ASSERT_TRUE(doc.contains(at)) << rest.substr(0, eq) << " missing";
  EXPECT_EQ(doc.at(at), nlohmann::json::parse(JsonValue(s, rest.substr(eq + 3))))
      << rest.substr(0, eq);
}

// Makes a file of the station immutable; false where that is not allowed.
bool Freeze(test::Station& s, const std::string& file, std::vector<std::string>* frozen_paths) {
  s.Write();
  const std::string path = HostPath(s.Path(file));
  RunTool({"/usr/bin/chattr", "+i", path});
  frozen_paths->push_back(path);
  // Opening it to append writes nothing, and fails once it is immutable
  // (under Wine the Unix program may still be running: wait for it).
  for (int i = 0; i < 100; ++i) {
    if (!std::ofstream(s.Path(file), std::ios::app).is_open()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

// The built library in the station folder, under its own name and (Linux)
// the name a program loads it by.
void PutLibrary(const test::Station& s) {
  const fs::path built(g_library);
  fs::copy_file(built, fs::path(s.folder()) / built.filename());
  const std::string plain = "libOstrelZOLTDLL.so";
  if (built.filename() != "OstrelZOLTDLL.dll" && built.filename() != plain) {
    fs::create_symlink(built.filename(), fs::path(s.folder()) / plain);
  }
}

// The directives that check the run; false for any other.
bool CheckAfterRun(const test::Station& s, const Run& run, const std::string& verb,
                   const std::string& rest) {
  if (verb == "absent") {
    EXPECT_FALSE(fs::exists(s.Path(rest))) << rest << " is left";
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
    CheckJson(s, run, rest);
  } else {
    return false;
  }
  return true;
}

void RunCase(const test::Case& c) {
  TempDir root;
  test::Station s(root.MakeDir("station"), root.MakeDir("station/data"));
  Run run;
  bool ran = false, check_unchanged = false;
  std::string clock_ahead;
  std::vector<std::string> immutable;
  // Immutable files must become removable again, whatever the case did.
  struct Unfreeze {
    std::vector<std::string>* paths;
    ~Unfreeze() {
      for (const std::string& p : *paths) RunTool({"/usr/bin/chattr", "-i", p});
    }
  } unfreeze{&immutable};
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
    } else if (verb == "run" || verb == "run-bare") {
      s.Write();
      before = Snapshot(s.folder());
      run = RunZolt(Args(s, rest, verb == "run"), clock_ahead);
      ran = true;
    } else if (verb == "clock-ahead") {
      if (!FakeClockWorks()) {
        std::printf("[ SKIPPED ] %s: libfaketime cannot shift this build's "
                    "clock\n", c.name.c_str());
        return;
      }
      clock_ahead = rest;
    } else if (verb == "immutable") {
      if (!Freeze(s, rest, &immutable)) {
        std::printf("[ SKIPPED ] %s: chattr +i is not allowed here\n", c.name.c_str());
        return;
      }
    } else if (verb == "library") {
      PutLibrary(s);
    } else if (CheckAfterRun(s, run, verb, rest)) {
      if (::testing::Test::HasFatalFailure()) return;
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
  if (argc != 4) {
    std::fprintf(stderr, "usage: zolt_cases_test ZOLT CASES_FOLDER LIBRARY\n");
    return 2;
  }
  zolt::g_zolt = zolt::test::Native(argv[1]);
  zolt::g_cases = zolt::test::Native(argv[2]);
  zolt::g_library = zolt::test::Native(argv[3]);
  return RUN_ALL_TESTS();
}
