// dlopen: the program's folder (from /proc/self/exe) first, then the
// dynamic linker's search (LD_LIBRARY_PATH, the cache, the system folders).
#include <dlfcn.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>

#include "platform/process/library_loader.h"

namespace zolt {
namespace {

class DlLibrary final : public LoadedLibrary {
 public:
  explicit DlLibrary(void* handle) : handle_(handle) {}
  ~DlLibrary() override { dlclose(handle_); }
  void* FindSymbol(const std::string& name) override {
    return dlsym(handle_, name.c_str());
  }
  void* FindOrdinal(int /*ordinal*/) override { return nullptr; }
  std::string FilePath() override {
    // Any symbol of the library names its file; the handle itself does not.
    Dl_info info{};
    void* any = dlsym(handle_, "ZoltResult");
    if (any == nullptr || dladdr(any, &info) == 0 || info.dli_fname == nullptr) {
      return "";
    }
    char real[PATH_MAX];
    return realpath(info.dli_fname, real) != nullptr ? real : info.dli_fname;
  }

 private:
  void* handle_;
};

std::string ProgramFolder() {
  char path[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return "";
  const std::string exe(path, static_cast<size_t>(n));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? "" : exe.substr(0, slash);
}

}  // namespace

std::string SharedLibraryFileName(const std::string& base_name) {
  return "lib" + base_name + ".so";
}

std::unique_ptr<LoadedLibrary> LoadLibraryByName(const std::string& file_name,
                                                 std::string* error) {
  std::string reasons;
  const std::string folder = ProgramFolder();
  if (!folder.empty() && file_name.find('/') == std::string::npos) {
    const std::string beside = folder + "/" + file_name;
    if (access(beside.c_str(), F_OK) == 0) {
      if (void* h = dlopen(beside.c_str(), RTLD_NOW | RTLD_LOCAL)) {
        return std::make_unique<DlLibrary>(h);
      }
      reasons = dlerror();
      reasons += "; ";
    }
  }
  if (void* h = dlopen(file_name.c_str(), RTLD_NOW | RTLD_LOCAL)) {
    return std::make_unique<DlLibrary>(h);
  }
  if (error != nullptr) *error = reasons + dlerror();
  return nullptr;
}

}  // namespace zolt
