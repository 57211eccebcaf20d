// CreateProcessA with two anonymous pipes. Only the child's ends are
// inherited; its standard error is the parent's.
#include <windows.h>

#include <string>

#include "platform/process/child_process.h"

namespace zolt {
namespace {

// The command line as the C runtime of the child splits it again: each
// argument in quotes, backslashes before a quote doubled.
std::string QuoteArgument(const std::string& arg) {
  if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
    return arg;
  }
  std::string out = "\"";
  size_t backslashes = 0;
  for (char c : arg) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') backslashes = backslashes * 2 + 1;
    out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, '\\');
  return out + "\"";
}

class WindowsChild final : public ChildProcess {
 public:
  WindowsChild(HANDLE process, HANDLE in, HANDLE out, HANDLE err)
      : process_(process), in_(in), out_(out), err_(err) {}

  ~WindowsChild() override {
    if (!waited_) {
      Kill();
      Wait();
    }
    CloseHandle(in_);
    CloseHandle(out_);
    if (err_ != nullptr) CloseHandle(err_);
    CloseHandle(process_);
  }

  bool Write(const std::string& bytes) override {
    DWORD written = 0;
    return WriteFile(in_, bytes.data(), static_cast<DWORD>(bytes.size()),
                     &written, nullptr) &&
           written == bytes.size();
  }

  bool Read(std::string* out) override { return ReadFrom(out_, out); }

  bool ReadErrors(std::string* out) override {
    return err_ != nullptr && ReadFrom(err_, out);
  }

  void Kill() override {
    if (!waited_) TerminateProcess(process_, kKilledExitCode);
  }

  int Wait() override {
    if (!waited_) {
      WaitForSingleObject(process_, INFINITE);
      DWORD code = 0;
      GetExitCodeProcess(process_, &code);
      exit_code_ = code == kKilledExitCode ? -1 : static_cast<int>(code);
      waited_ = true;
    }
    return exit_code_;
  }

 private:
  static bool ReadFrom(HANDLE pipe, std::string* out) {
    char buf[65536];
    DWORD n = 0;
    if (!ReadFile(pipe, buf, sizeof(buf), &n, nullptr) || n == 0) return false;
    out->append(buf, n);
    return true;
  }

  static constexpr UINT kKilledExitCode = 0xDEAD;
  HANDLE process_, in_, out_, err_;
  bool waited_ = false;
  int exit_code_ = -1;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(
    const std::string& program, const std::vector<std::string>& args,
    std::string* error, bool capture_errors) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE in_read, in_write, out_read, out_write;
  if (!CreatePipe(&in_read, &in_write, &inherit, 0)) {
    if (error) *error = "CreatePipe failed: " + std::to_string(GetLastError());
    return nullptr;
  }
  if (!CreatePipe(&out_read, &out_write, &inherit, 0)) {
    if (error) *error = "CreatePipe failed: " + std::to_string(GetLastError());
    CloseHandle(in_read);
    CloseHandle(in_write);
    return nullptr;
  }
  HANDLE err_read = nullptr, err_write = nullptr;
  if (capture_errors && !CreatePipe(&err_read, &err_write, &inherit, 0)) {
    if (error) *error = "CreatePipe failed: " + std::to_string(GetLastError());
    for (HANDLE h : {in_read, in_write, out_read, out_write}) CloseHandle(h);
    return nullptr;
  }
  // The parent's ends stay with the parent.
  SetHandleInformation(in_write, HANDLE_FLAG_INHERIT, 0);
  SetHandleInformation(out_read, HANDLE_FLAG_INHERIT, 0);
  if (err_read != nullptr) SetHandleInformation(err_read, HANDLE_FLAG_INHERIT, 0);

  std::string command = QuoteArgument(program);
  for (const std::string& a : args) command += " " + QuoteArgument(a);
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = in_read;
  startup.hStdOutput = out_write;
  // The parent's standard error, as an inheritable copy (it may not be).
  HANDLE err_copy = nullptr;
  if (err_write == nullptr) {
    DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_ERROR_HANDLE),
                    GetCurrentProcess(), &err_copy, 0, TRUE,
                    DUPLICATE_SAME_ACCESS);
  }
  startup.hStdError = err_write != nullptr ? err_write : err_copy;
  PROCESS_INFORMATION info = {};
  const BOOL started =
      CreateProcessA(program.c_str(), &command[0], nullptr, nullptr, TRUE, 0,
                     nullptr, nullptr, &startup, &info);
  const DWORD err = GetLastError();
  CloseHandle(in_read);
  CloseHandle(out_write);
  if (err_copy != nullptr) CloseHandle(err_copy);
  if (err_write != nullptr) CloseHandle(err_write);
  if (!started) {
    if (error) *error = "CreateProcessA failed with error " + std::to_string(err);
    CloseHandle(in_write);
    CloseHandle(out_read);
    if (err_read != nullptr) CloseHandle(err_read);
    return nullptr;
  }
  CloseHandle(info.hThread);
  return std::make_unique<WindowsChild>(info.hProcess, in_write, out_read,
                                        err_read);
}

}  // namespace zolt
