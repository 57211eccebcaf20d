// Loading a shared library by file name and finding its exports by name, as
// a point-of-sale program binds the PIN library.
#ifndef ZOLT_PLATFORM_PROCESS_LIBRARY_LOADER_H_
#define ZOLT_PLATFORM_PROCESS_LIBRARY_LOADER_H_

#include <memory>
#include <string>

namespace zolt {

class LoadedLibrary {
 public:
  virtual ~LoadedLibrary() = default;
  // The address of the export with this name, or nullptr when it has none.
  virtual void* FindSymbol(const std::string& name) = 0;
  // The address of the export with this ordinal, or nullptr when it has
  // none (always on Linux, where exports have no ordinals).
  virtual void* FindOrdinal(int ordinal) = 0;
  // The full path of the file the system loaded, or "" when it cannot tell.
  virtual std::string FilePath() = 0;
};

// The platform's file name of a shared library: "OstrelZOLTDLL" gives
// "OstrelZOLTDLL.dll" on Windows and "libOstrelZOLTDLL.so" on Linux.
std::string SharedLibraryFileName(const std::string& base_name);

// Loads the library with this file name from the running program's folder
// first, then through the system's search for libraries. Returns nullptr
// when neither finds a library that loads; *error (when given) then says
// why. The library stays loaded while the returned object lives.
std::unique_ptr<LoadedLibrary> LoadLibraryByName(const std::string& file_name,
                                                 std::string* error = nullptr);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROCESS_LIBRARY_LOADER_H_
