#include "tests/station/station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace zolt::test {

namespace fs = std::filesystem;

std::vector<Case> ReadCases(const std::string& path) {
  std::vector<Case> cases;
  if (fs::is_directory(path)) {
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(path)) {
      if (e.path().extension() == ".cases") files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    for (const fs::path& file : files) {
      for (Case& c : ReadCases(file.string())) {
        cases.push_back({file.filename().string() + ": " + c.name, std::move(c.lines)});
      }
    }
    return cases;
  }
  std::ifstream in(path);
  bool in_block = false;  // inside "file PATH <<" ... ">>"
  for (std::string line; std::getline(in, line);) {
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

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> out;
  bool quoted = false, open = false;  // inside quotes; inside a word
  for (char c : text) {
    if (c == ' ' && !quoted) {
      open = false;
      continue;
    }
    if (!open) out.emplace_back();
    open = true;
    if (c == '"') quoted = !quoted;
    if (c != '"') out.back() += c;
  }
  return out;
}

std::string Replace(std::string s, const std::string& from, const std::string& to) {
  for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
    s.replace(at, from.size(), to);
  }
  return s;
}

std::string Native(std::string path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  std::replace(path.begin(), path.end(), '/', '\\');
#endif
  return path;
}

int RunAllTests(int argc, char** argv, std::string* argument) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s DATA\n", argv[0]);
    return 2;
  }
  *argument = Native(argv[1]);
  return RUN_ALL_TESTS();
}

Station::Station(std::string folder, std::string data)
    : folder_(std::move(folder)), data_(std::move(data)) {
  settings_ = {{"Vendor", "190"},  {"Location", "1"},  {"Season", "1"},
               {"PINcrypt", "7"},  {"PINExpiry", "0"}, {"Pathtopintable", "{data}"}};
}

void Station::Set(const std::string& key, const std::string& value) {
  for (auto& kv : settings_) {
    if (kv.first == key) {
      kv.second = value;
      return;
    }
  }
  settings_.push_back({key, value});
}

void Station::Unset(const std::string& key) {
  std::erase_if(settings_, [&](const auto& kv) { return kv.first == key; });
}

void Station::Define(const std::string& placeholder, const std::string& value) {
  std::erase_if(defined_, [&](const auto& d) { return d.first == placeholder; });
  defined_.push_back({placeholder, value});
}

std::string Station::Setting(const std::string& key) const {
  for (const auto& [k, v] : settings_) {
    if (k == key) return Text(v);
  }
  return "";
}

std::string Station::SettingsText() const {
  std::string text = "[Preferences]\r\n";
  for (const auto& [k, v] : settings_) text += k + "=" + Text(v) + "\r\n";
  return text;
}

void Station::Write() {
  if (write_settings_) Put("OstrelZOLTDLL.dta", SettingsText());
}

std::string Station::Expand(const std::string& s) const {
  std::string out = Replace(Replace(s, "{station}", folder_), "{data}", data_);
  for (const auto& [placeholder, value] : defined_) out = Replace(out, placeholder, value);
  size_t at = 0;
  while ((at = out.find('{', at)) != std::string::npos) {
    const size_t star = out.find_first_not_of("0123456789", at + 1);
    const size_t end = out.find('}', at);
    if (star == at + 1 || star == std::string::npos || out[star] != '*' || end == std::string::npos) {
      ++at;
      continue;
    }
    std::string repeated;
    for (size_t n = std::stoul(out.substr(at + 1, star - at - 1)); n > 0; --n) {
      repeated += out.substr(star + 1, end - star - 1);
    }
    out.replace(at, end - at + 1, repeated);
    at += repeated.size();
  }
  return out;
}

std::string Station::Text(const std::string& s) const {
  std::string out;  // the escapes first: a Windows path may hold a backslash
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
    } else if (s[++i] == 'x' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += s[i] == 'r' ? '\r' : s[i] == 'n' ? '\n' : s[i] == 't' ? '\t' : s[i];
    }
  }
  if (out.find("{settings}") != std::string::npos) out = Replace(out, "{settings}", SettingsText());
  return Expand(out);
}

std::string Station::Path(const std::string& relative) const {
  const fs::path p(Expand(relative));
  return p.is_absolute() ? p.string() : (fs::path(folder_) / p).make_preferred().string();
}

void Station::Put(const std::string& relative, const std::string& bytes) {
  const std::string path = Path(relative);
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

namespace {

std::string Utf16(const std::string& bytes, bool big_endian, bool bom) {
  std::string out = bom ? (big_endian ? "\xFE\xFF" : "\xFF\xFE") : "";
  for (char c : bytes) out += big_endian ? std::string{'\0', c} : std::string{c, '\0'};
  return out;
}

// The bytes of "file PATH KIND ARG".
std::string FileBytes(const Station& s, const std::string& kind, const std::string& arg) {
  if (kind == "hex") {
    std::string out;
    for (size_t i = 0; i + 1 < arg.size(); i += 2) {
      out += static_cast<char>(std::stoi(arg.substr(i, 2), nullptr, 16));
    }
    return out;
  }
  if (kind == "random") {
    std::mt19937 random(7);
    std::string bytes(std::stoul(arg), '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    return bytes;
  }
  const std::string text = s.Text(arg);
  if (kind == "utf16le") return Utf16(text, false, false);
  if (kind == "utf16le-bom") return Utf16(text, false, true);
  if (kind == "utf16be-bom") return Utf16(text, true, true);
  return text;
}

}  // namespace

bool Station::Lay(const std::vector<std::string>& lines, size_t* i) {
  const std::string& line = lines[*i];
  const size_t space = line.find(' ');
  const std::string verb = line.substr(0, space);
  const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
  const std::string path = rest.substr(0, rest.find(' '));
  const std::string after = rest.find(' ') == std::string::npos ? "" : rest.substr(rest.find(' ') + 1);
  // A settings file laid out or changed by hand is not written over.
  const bool settings_file = fs::path(Path(path)) == fs::path(Path("OstrelZOLTDLL.dta"));
  if (settings_file && (verb == "readonly" || verb == "grow")) Write();
  if (settings_file && verb != "remove") write_settings_ = false;
  if (verb == "set") {
    Set(rest.substr(0, rest.find('=')), rest.substr(rest.find('=') + 1));
  } else if (verb == "unset") {
    Unset(rest);
  } else if (verb == "no-settings") {
    write_settings_ = false;
  } else if (verb == "file" && after == "<<") {
    std::string text;
    while (++*i < lines.size() && lines[*i] != ">>") text += Expand(lines[*i]) + "\r\n";
    Put(path, text);
  } else if (verb == "file") {
    const size_t kind_end = after.find(' ');
    Put(path, FileBytes(*this, after.substr(0, kind_end),
                        kind_end == std::string::npos ? "" : after.substr(kind_end + 1)));
  } else if (verb == "folder") {
    fs::create_directories(Path(rest));
  } else if (verb == "remove") {
    fs::remove(Path(rest));
  } else if (verb == "readonly") {
    fs::permissions(Path(rest),
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  } else if (verb == "link") {
    fs::create_symlink(Expand(after), Path(path));
  } else if (verb == "grow") {
    fs::resize_file(Path(path), std::stoull(after));
  } else {
    return false;
  }
  return true;
}

}  // namespace zolt::test
