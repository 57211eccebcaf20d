// LoadLibraryA: the program's folder first (named explicitly, so that no
// current-directory or PATH entry comes before it), then the system search.
#include <windows.h>

#include <string>

#include "platform/process/library_loader.h"

namespace zolt {
namespace {

class WindowsLibrary final : public LoadedLibrary {
 public:
  explicit WindowsLibrary(HMODULE module) : module_(module) {}
  ~WindowsLibrary() override { FreeLibrary(module_); }
  void* FindSymbol(const std::string& name) override {
    return reinterpret_cast<void*>(GetProcAddress(module_, name.c_str()));
  }
  void* FindOrdinal(int ordinal) override {
    return reinterpret_cast<void*>(GetProcAddress(
        module_, MAKEINTRESOURCEA(static_cast<WORD>(ordinal))));
  }
  std::string FilePath() override {
    char path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameA(module_, path, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? "" : std::string(path, n);
  }

 private:
  HMODULE module_;
};

std::string ProgramFolder() {
  char path[MAX_PATH + 1];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return "";
  const std::string exe(path, n);
  const size_t slash = exe.find_last_of("\\/");
  return slash == std::string::npos ? "" : exe.substr(0, slash);
}

}  // namespace

std::string SharedLibraryFileName(const std::string& base_name) {
  return base_name + ".dll";
}

std::unique_ptr<LoadedLibrary> LoadLibraryByName(const std::string& file_name,
                                                 std::string* error) {
  // No "cannot find the library" box from the system: the caller reports.
  const UINT old_mode = SetErrorMode(SEM_FAILCRITICALERRORS);
  HMODULE module = nullptr;
  const std::string folder = ProgramFolder();
  if (!folder.empty() && file_name.find_first_of("\\/") == std::string::npos) {
    const std::string beside = folder + "\\" + file_name;
    if (GetFileAttributesA(beside.c_str()) != INVALID_FILE_ATTRIBUTES) {
      module = LoadLibraryA(beside.c_str());
    }
  }
  if (module == nullptr) module = LoadLibraryA(file_name.c_str());
  const DWORD last_error = GetLastError();
  SetErrorMode(old_mode);
  if (module == nullptr) {
    if (error != nullptr) {
      *error = "LoadLibraryA failed with error " + std::to_string(last_error);
    }
    return nullptr;
  }
  return std::make_unique<WindowsLibrary>(module);
}

}  // namespace zolt
