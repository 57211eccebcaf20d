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
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/child_process.h"
#include "platform/testing/temp_dir.h"

namespace zolt {
namespace {

namespace fs = std::filesystem;

std::string g_zolt;   // the program under test
std::string g_cases;  // the folder of case files

// The path as this program sees it: under Wine the Linux root is drive Z.
std::string Native(std::string path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

struct Case {
  std::string name;
  std::vector<std::string> lines;  // its directives, in order
};

std::vector<Case> ReadCases(const std::string& file) {
  std::ifstream in(file);
  std::vector<Case> cases;
  std::string line;
  bool in_block = false;  // inside "file PATH <<" ... ">>"
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (in_block) {
      cases.back().lines.push_back(line);
      in_block = line != ">>";
    } else if (line.rfind("case ", 0) == 0) {
      cases.push_back({line.substr(5), {}});
    } else if (!line.empty() && line[0] != '#' && !cases.empty()) {
      cases.back().lines.push_back(line);
      in_block = line.size() >= 2 && line.compare(line.size() - 2, 2, "<<") == 0;
    }
  }
  return cases;
}

// Splits at blanks, keeping "quoted text" together.
std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> out;
  std::string word;
  bool quoted = false, any = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
      any = true;
    } else if (c == ' ' && !quoted) {
      if (any) out.push_back(word);
      word.clear();
      any = false;
    } else {
      word += c;
      any = true;
    }
  }
  if (any) out.push_back(word);
  return out;
}

std::string Replace(std::string s, const std::string& from,
                    const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos;
       at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

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
  r.out = Replace(r.out, "\r\n", "\n");
  r.err = Replace(r.err, "\r\n", "\n");
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

class Station {
 public:
  Station()
      : station_(root_.MakeDir("station")), data_(root_.MakeDir("station/data")) {
    settings_ = {{"Vendor", "190"},  {"Location", "1"},  {"Season", "1"},
                 {"PINcrypt", "7"},  {"PINExpiry", "0"}, {"Pathtopintable", data_}};
  }

  std::string Expand(const std::string& s) const {
    return Replace(Replace(s, "{station}", station_), "{data}", data_);
  }
  std::string Path(const std::string& relative) const {
    return (fs::path(station_) / Native(relative)).string();
  }
  void Set(const std::string& key, const std::string& value) {
    for (auto& kv : settings_) {
      if (kv.first == key) {
        kv.second = value;
        return;
      }
    }
    settings_.push_back({key, value});
  }
  void Unset(const std::string& key) {
    settings_.erase(std::remove_if(settings_.begin(), settings_.end(),
                                   [&](auto& kv) { return kv.first == key; }),
                    settings_.end());
  }
  void WriteSettings() {
    if (!write_settings_) return;
    std::string text = "[Preferences]\r\n";
    for (auto& [k, v] : settings_) text += k + "=" + Expand(v) + "\r\n";
    Put("OstrelZOLTDLL.dta", text);
  }
  void NoSettings() { write_settings_ = false; }
  void Put(const std::string& relative, const std::string& bytes) const {
    fs::create_directories(fs::path(Path(relative)).parent_path());
    std::ofstream out(Path(relative), std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  const std::string& folder() const { return station_; }

 private:
  TempDir root_;
  std::string station_, data_;
  std::vector<std::pair<std::string, std::string>> settings_;
  bool write_settings_ = true;
};

std::vector<std::string> Args(const Station& s, const std::string& text) {
  std::vector<std::string> args;
  for (const std::string& w : Words(text)) args.push_back(s.Expand(w));
  if (std::find(args.begin(), args.end(), "--station") == args.end()) {
    args.push_back("--station");
    args.push_back(s.folder());
  }
  return args;
}

std::string Hex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) {
    out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  }
  return out;
}

void RunCase(const Case& c) {
  Station s;
  Run run;
  bool ran = false, check_unchanged = false;
  std::map<std::string, std::pair<std::string, fs::file_time_type>> before;
  for (size_t i = 0; i < c.lines.size(); ++i) {
    const std::string& line = c.lines[i];
    const size_t space = line.find(' ');
    const std::string verb = line.substr(0, space);
    const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
    if (verb == "set") {
      s.Set(rest.substr(0, rest.find('=')), rest.substr(rest.find('=') + 1));
    } else if (verb == "unset") {
      s.Unset(rest);
    } else if (verb == "no-settings") {
      s.NoSettings();
    } else if (verb == "file") {
      const std::vector<std::string> w = Words(rest);
      s.WriteSettings();
      if (w.size() >= 2 && w[1] == "<<") {
        std::string text;
        while (++i < c.lines.size() && c.lines[i] != ">>") {
          text += s.Expand(c.lines[i]) + "\r\n";
        }
        s.Put(w[0], text);
      } else if (w.size() == 3 && w[1] == "hex") {
        s.Put(w[0], Hex(w[2]));
      } else if (w.size() == 3 && w[1] == "random") {
        std::mt19937 random(7);
        std::string bytes(std::stoul(w[2]), '\0');
        for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
        s.Put(w[0], bytes);
      } else {
        FAIL() << "bad file line: " << line;
      }
    } else if (verb == "remove") {
      fs::remove(s.Path(rest));
    } else if (verb == "folder") {
      fs::create_directories(s.Path(rest));
    } else if (verb == "readonly") {
      s.WriteSettings();
      fs::permissions(s.Path(rest),
                      fs::perms::owner_write | fs::perms::group_write |
                          fs::perms::others_write,
                      fs::perm_options::remove);
    } else if (verb == "before") {
      s.WriteSettings();
      const Run r = RunZolt(Args(s, rest));
      ASSERT_EQ(r.exit, 0) << "before " << rest << "\n" << r.out << r.err;
    } else if (verb == "run") {
      s.WriteSettings();
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
  std::vector<std::string> files;
  for (const auto& e : fs::directory_iterator(g_cases)) {
    if (e.path().extension() == ".cases") files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  ASSERT_FALSE(files.empty()) << "no case files in " << g_cases;
  for (const std::string& file : files) {
    for (const Case& c : ReadCases(file)) {
      SCOPED_TRACE(fs::path(file).filename().string() + ": " + c.name);
      RunCase(c);
    }
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
  zolt::g_zolt = zolt::Native(argv[1]);
  zolt::g_cases = zolt::Native(argv[2]);
  return RUN_ALL_TESTS();
}
