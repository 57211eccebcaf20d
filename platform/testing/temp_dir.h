// A fresh folder for one test, removed with everything in it at the end.
#ifndef ZOLT_PLATFORM_TESTING_TEMP_DIR_H_
#define ZOLT_PLATFORM_TESTING_TEMP_DIR_H_

#include <string>

namespace zolt {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // The folder, without a trailing separator.
  const std::string& path() const { return path_; }
  // path() + separator + name.
  std::string Join(const std::string& name) const;
  // Creates a sub-folder and returns its path.
  std::string MakeDir(const std::string& name) const;
  // Writes a file (relative name) with exactly these bytes; returns its path.
  std::string WriteFile(const std::string& name,
                        const std::string& bytes) const;
  // The bytes of a file, or "<missing>" when it cannot be read.
  std::string ReadFile(const std::string& name) const;
  bool Exists(const std::string& name) const;

 private:
  std::string path_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_TESTING_TEMP_DIR_H_
