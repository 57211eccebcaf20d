// The Win32 side of the profile differential test: runs a script of
// private-profile calls (see script_format.h) against real files in the
// current folder with GetPrivateProfileStringA / WritePrivateProfileStringA
// and records every result and the file's bytes after every write.
//
//   profile_probe.exe <script> <results>
//
// One run serves every case, so Wine starts once. Each case uses a file name
// of its own: the platform keeps parsed copies of recently used files.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "profile/tests/diff/script_format.h"

namespace pd = zolt::profile_diff;

namespace {

bool ReadAll(const std::string& path, std::string* bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bytes->clear();
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0) {
    bytes->append(buf, got);
  }
  CloseHandle(h);
  return true;
}

bool WriteAll(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  BOOL ok = bytes.empty() ||
            WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &put,
                      nullptr);
  CloseHandle(h);
  return ok && put == bytes.size();
}

std::string FileState(const std::string& path) {
  std::string bytes;
  if (!ReadAll(path, &bytes)) return std::string(pd::kMissingFile);
  return pd::Escape(bytes);
}

class Runner {
 public:
  Runner(std::string folder, std::ostream& out)
      : folder_(std::move(folder)), out_(out) {}

  void Line(const std::string& line) {
    out_ << "> " << line << "\n";
    std::vector<std::string> f = pd::SplitFields(line);
    const std::string& op = f[0];
    if (op == "case") {
      ++number_;
      path_ = folder_ + "\\p" + std::to_string(number_) + ".ini";
    } else if (op == "file" || op == "readonly") {
      WriteAll(path_, f.size() > 1 ? f[1] : "");
      if (op == "readonly") SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_READONLY);
    } else if (op == "missing") {
      DeleteFileA(path_.c_str());
    } else if (op == "nofolder") {
      path_ = folder_ + "\\nofolder" + std::to_string(number_) + "\\p.ini";
    } else if (op == "read" && f.size() == 5) {
      Read(f[1], f[2], f[3], std::strtoul(f[4].c_str(), nullptr, 10));
    } else if (op == "write" && f.size() == 4) {
      Write(f[1].c_str(), f[2].c_str(), f[3].c_str());
    } else if (op == "delkey" && f.size() == 3) {
      Write(f[1].c_str(), f[2].c_str(), nullptr);
    } else if (op == "delsec" && f.size() == 2) {
      Write(f[1].c_str(), nullptr, nullptr);
    } else if (op == "flush") {
      Write(nullptr, nullptr, nullptr);
    } else if (op == "end") {
      SetFileAttributesA(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path_.c_str());
    } else {
      out_ << "= bad-line\n";
    }
    out_.flush();
  }

 private:
  void Read(const std::string& sec, const std::string& key,
            const std::string& def, unsigned long size) {
    // Guard bytes after the buffer show any write past nSize.
    const unsigned long kGuard = 64;
    std::vector<char> buf(size + kGuard, '@');
    DWORD n = GetPrivateProfileStringA(sec.c_str(), key.c_str(), def.c_str(),
                                       buf.data(), size, path_.c_str());
    bool overrun = false;
    for (unsigned long i = size; i < size + kGuard; ++i) {
      if (buf[i] != '@') overrun = true;
    }
    std::string text(buf.data(), n <= size ? n : size);
    out_ << "= " << n << "\t" << pd::Escape(text) << (overrun ? "\t<overrun>" : "")
         << "\n";
  }

  void Write(const char* sec, const char* key, const char* value) {
    BOOL ret = WritePrivateProfileStringA(sec, key, value, path_.c_str());
    out_ << "= " << (ret ? 1 : 0) << "\t" << FileState(path_) << "\n";
  }

  std::string folder_;
  std::ostream& out_;
  std::string path_;
  int number_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: profile_probe <script> <results>\n");
    return 2;
  }
  std::ifstream script(argv[1], std::ios::binary);
  std::ofstream results(argv[2], std::ios::binary);
  if (!script || !results) {
    std::fprintf(stderr, "profile_probe: cannot open the script or results\n");
    return 2;
  }
  char cwd[MAX_PATH];
  DWORD len = GetCurrentDirectoryA(MAX_PATH, cwd);
  if (len == 0 || len >= MAX_PATH) return 2;
  Runner runner(std::string(cwd, len), results);
  std::string line;
  while (std::getline(script, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    runner.Line(line);
  }
  return 0;
}
