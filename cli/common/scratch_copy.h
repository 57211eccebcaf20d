// A scratch copy of a station and its data folder, for the rehearsals that
// must not change a live site (`sell --at`, `simulate --data`): the
// station's settings file with Pathtopintable pointed at the copy's data
// folder, and the data folder's two table files, each with its bytes and
// its write permission. The copy lives under the system's temporary folder
// and is removed with this object unless kept.
#ifndef ZOLT_CLI_COMMON_SCRATCH_COPY_H_
#define ZOLT_CLI_COMMON_SCRATCH_COPY_H_

#include <string>

namespace zolt::cli {

class ScratchCopy {
 public:
  // `station` (may be "": no station) and `data_folder` (may be "" or a
  // missing folder: the copy then names a missing folder too). Throws
  // SiteError when the copy cannot be made.
  ScratchCopy(const std::string& station, const std::string& data_folder);
  ~ScratchCopy();
  ScratchCopy(const ScratchCopy&) = delete;
  ScratchCopy& operator=(const ScratchCopy&) = delete;

  const std::string& root() const { return root_; }
  const std::string& station() const { return station_; }
  const std::string& data() const { return data_; }
  void Keep() { keep_ = true; }

 private:
  std::string root_, station_, data_;
  bool keep_ = false;
};

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMON_SCRATCH_COPY_H_
