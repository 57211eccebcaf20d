// An Env that lets the library core run as it would at the station while
// nothing on disk changes: reads come from disk, every write, deletion and
// lock is kept in memory, and each is first judged the way the platform
// would judge it (a read-only file, a missing folder, a folder that may not
// be written; and for an existing file, the system itself asked whether it
// may be opened for writing or deleted: platform/probes/write_probe.h), so that the
// core meets the same refusals and returns the same codes. PINTable.lck is never created. `zolt status`, `tables` and
// `verify` run the real core on it: whether the next call rebuilds the
// tables, and the answer against the tables that rebuild would make, come
// from the core itself.
//
// Every method of Env that writes is overridden here; a writing method
// added to Env must be added here too.
#ifndef ZOLT_CLI_SHOW_READ_ONLY_OVERLAY_ENV_H_
#define ZOLT_CLI_SHOW_READ_ONLY_OVERLAY_ENV_H_

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/env/env_wrapper.h"
#include "platform/probes/write_probe.h"

namespace zolt::cli {

class ReadOnlyOverlayEnv : public EnvWrapper {
 public:
  // A change the core made or tried, in order.
  struct Change {
    enum class Kind { kWrite, kRemove } kind;
    std::string path;
    FileError result;  // what the core was told
    int os_error = 0;  // the system's answer to the probe, when it refused
    std::string os_text;
  };

  explicit ReadOnlyOverlayEnv(Env& target) : EnvWrapper(target) {}

  const std::vector<Change>& changes() const { return changes_; }
  // Whether the core changed (or tried to change) a file with this name
  // (the last path component, compared without regard to case).
  bool Touched(const std::string& name) const;

  // Checking never changes the file: it is opened for writing and closed
  // again without a byte written, as the real call opens it.
  FileError CheckWritable(const std::string& path) override {
    judged_ = false;
    return EnvWrapper::CheckWritable(path);
  }
  FileError ReadIfWritable(const std::string& path,
                           std::string* contents) override {
    judged_ = false;
    return EnvWrapper::ReadIfWritable(path, contents);
  }
  FileError RemoveFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  FileError ReadFile(const std::string& path, std::string* contents) override;
  FileError WriteFileAtomic(const std::string& path,
                            const std::string& contents,
                            Expect expect) override;
  FileError WriteInPlace(const std::string& path, std::uint64_t offset,
                         std::string_view bytes,
                         std::uint64_t expected_size) override;
  FileError LockFile(const std::string& path, LockPlace place, int timeout_ms,
                     std::unique_ptr<FileLock>* lock) override;
  // The system's answer behind the last refusal: for a write or deletion
  // judged here the probe's, for anything else the platform's.
  int LastOsError() override {
    return judged_ ? judged_error_ : EnvWrapper::LastOsError();
  }
  // The steps of a write are never reached: the whole writes above are
  // kept here. Should a caller reach them, they refuse, touching nothing.
  FileError OpenForWrite(const std::string&, Creation,
                         std::unique_ptr<WritableFile>* file) override {
    file->reset();
    return FileError::kOther;
  }
  FileError RenameFile(const std::string&, const std::string&, bool) override {
    return FileError::kOther;
  }
  FileError SyncFolder(const std::string&) override { return FileError::kNone; }

 private:
  std::string FolderOf(const std::string& path) const;
  // Records a change; a refusal the system gave keeps its error number.
  FileError Record(Change::Kind kind, const std::string& path,
                   FileError result, const ProbeAnswer& probe = {});
  // The file as the core left it: nullopt when it was removed, or not
  // changed at all when `path` is not in files_.
  std::map<std::string, std::optional<std::string>> files_;
  std::vector<Change> changes_;
  bool judged_ = false;  // the last operation was a write judged here
  int judged_error_ = 0;
};

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_READ_ONLY_OVERLAY_ENV_H_
