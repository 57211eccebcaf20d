// A test Env that tells what a power cut would leave of one folder: it
// passes every operation through and keeps, beside the files as they are,
// what of them is durable. A file's data is durable once synced; a file
// made, renamed or removed in the folder is durable only once the folder
// was synced after it (Env::SyncFolder: on Linux an fsync of the folder; on
// Windows each rename is flushed with the renamed file, which is more than
// this asks). What is not durable yet may be lost at a power cut, in any
// part: AfterCut gives the folder's files for a chosen set of the pending
// operations dropped. A write over bytes already on disk counts as one
// pending operation per 512-byte sector it touches (a sector is written
// whole or not at all).
#ifndef ZOLT_PLATFORM_TESTING_POWER_CUT_ENV_H_
#define ZOLT_PLATFORM_TESTING_POWER_CUT_ENV_H_

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/env/env_wrapper.h"

namespace zolt {

class PowerCutEnv : public EnvWrapper {
 public:
  // Models the files of `folder` (a name per file, no sub-folders), taking
  // `files` (name to bytes) as what is on disk now, all durable. Files not
  // named in the model (PINTable.lck) are not modelled.
  PowerCutEnv(Env& target, std::string folder,
              const std::map<std::string, std::string>& files);
  ~PowerCutEnv() override;

  // How many operations are not durable yet.
  int pending() const;
  // The folder's files after a power cut that loses the pending operations
  // for which `dropped` is true (indexed as pending, in order).
  std::map<std::string, std::string> AfterCut(const std::vector<bool>& dropped) const;

  FileError RemoveFile(const std::string& path) override;
  FileError OpenForWrite(const std::string& path, Creation creation,
                         std::unique_ptr<WritableFile>* file) override;
  FileError RenameFile(const std::string& from, const std::string& to,
                       bool replace) override;
  FileError SyncFolder(const std::string& folder) override;

  // The model's own steps, reported by the files it hands out.
  struct Inode;
  void Written(int inode, std::uint64_t offset, std::string_view bytes);
  void Truncated(int inode, std::uint64_t size);
  void Synced(int inode);

 private:
  // The name in the folder, or "" for a path elsewhere.
  std::string NameOf(const std::string& path) const;

  struct Pending;
  std::string folder_;
  std::vector<std::unique_ptr<Inode>> inodes_;
  std::map<std::string, int> names_, durable_names_;  // name -> inode
  std::vector<Pending> pending_;
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_TESTING_POWER_CUT_ENV_H_
