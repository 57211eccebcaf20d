#include <windows.h>

#include "platform/testing/os_testing.h"

namespace zolt {

bool SetReadOnly(const std::string& path, bool read_only) {
  DWORD attrs = GetFileAttributesA(path.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return false;
  attrs = read_only ? attrs | FILE_ATTRIBUTE_READONLY
                    : attrs & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(path.c_str(), attrs) != 0;
}

FileHolder::FileHolder(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) handle_ = h;
}

FileHolder::~FileHolder() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

ChildProcess::ChildProcess(const std::string& program,
                           const std::vector<std::string>& args) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end, write_end;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return;
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  std::string command = "\"" + program + "\"";
  for (const std::string& a : args) command += " \"" + a + "\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = write_end;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0,
                     nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
  }
  CloseHandle(write_end);
  output_ = read_end;
}

ChildProcess::~ChildProcess() {
  if (process_ != nullptr) {
    TerminateProcess(process_, 1);
    Wait();
  }
  if (output_ != nullptr) CloseHandle(output_);
}

bool ChildProcess::WaitForLine(const std::string& line) {
  for (;;) {
    size_t end;
    while ((end = buffered_.find('\n')) != std::string::npos) {
      std::string got = buffered_.substr(0, end);
      buffered_.erase(0, end + 1);
      if (!got.empty() && got.back() == '\r') got.pop_back();
      if (got == line) return true;
    }
    char buf[256];
    DWORD n = 0;
    if (!ReadFile(output_, buf, sizeof buf, &n, nullptr) || n == 0) return false;
    buffered_.append(buf, n);
  }
}

int ChildProcess::Wait() {
  if (process_ == nullptr) return -1;
  WaitForSingleObject(process_, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(process_, &code);
  CloseHandle(process_);
  process_ = nullptr;
  return static_cast<int>(code);
}

}  // namespace zolt
