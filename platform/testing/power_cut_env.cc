#include "platform/testing/power_cut_env.h"

#include <algorithm>

namespace zolt {

constexpr std::uint64_t kSector = 512;

struct PowerCutEnv::Inode {
  std::string durable;  // the data as synced
  std::string now;      // the data as written
};

// An operation not yet durable: a piece of a file's data (at most one
// sector of a write over durable bytes, or a whole write past them, or a
// truncation), or a name made, renamed or removed.
struct PowerCutEnv::Pending {
  enum Kind { kData, kTruncate, kCreate, kRename, kRemove } kind;
  int inode = -1;
  std::uint64_t offset = 0;
  std::string bytes;
  std::string name, to;
};

namespace {

void Apply(std::string* data, std::uint64_t offset, std::string_view bytes) {
  if (data->size() < offset + bytes.size()) data->resize(offset + bytes.size(), '\0');
  data->replace(offset, bytes.size(), bytes);
}

class ModelledFile final : public WritableFile {
 public:
  ModelledFile(PowerCutEnv* env, int inode, std::unique_ptr<WritableFile> file)
      : env_(env), inode_(inode), file_(std::move(file)) {}
  const std::string& path() const override { return file_->path(); }
  FileError Size(std::uint64_t* size) override { return file_->Size(size); }
  FileError Write(std::uint64_t offset, std::string_view bytes) override {
    const FileError e = file_->Write(offset, bytes);
    if (e == FileError::kNone) env_->Written(inode_, offset, bytes);
    return e;
  }
  FileError Truncate(std::uint64_t size) override {
    const FileError e = file_->Truncate(size);
    if (e == FileError::kNone) env_->Truncated(inode_, size);
    return e;
  }
  FileError Sync() override {
    const FileError e = file_->Sync();
    if (e == FileError::kNone) env_->Synced(inode_);
    return e;
  }

 private:
  PowerCutEnv* env_;
  int inode_;
  std::unique_ptr<WritableFile> file_;
};

}  // namespace

PowerCutEnv::PowerCutEnv(Env& target, std::string folder,
                         const std::map<std::string, std::string>& files)
    : EnvWrapper(target), folder_(std::move(folder)) {
  for (const auto& [name, bytes] : files) {
    inodes_.push_back(std::make_unique<Inode>(Inode{bytes, bytes}));
    names_[name] = static_cast<int>(inodes_.size()) - 1;
  }
  durable_names_ = names_;
}

PowerCutEnv::~PowerCutEnv() = default;

int PowerCutEnv::pending() const { return static_cast<int>(pending_.size()); }

std::string PowerCutEnv::NameOf(const std::string& path) const {
  if (path.size() <= folder_.size() + 1 || path.compare(0, folder_.size(), folder_) != 0) {
    return "";
  }
  const std::string name = path.substr(folder_.size() + 1);
  return name.find_first_of("/\\") == std::string::npos ? name : "";
}

void PowerCutEnv::Written(int inode, std::uint64_t offset, std::string_view bytes) {
  Inode& i = *inodes_[static_cast<size_t>(inode)];
  Apply(&i.now, offset, bytes);
  // Over bytes already durable a sector at a time; past them, one piece.
  std::uint64_t at = offset;
  while (at < offset + bytes.size()) {
    std::uint64_t end = offset + bytes.size();
    if (at < i.durable.size()) end = std::min(end, (at / kSector + 1) * kSector);
    pending_.push_back({Pending::kData, inode, at,
                        std::string(bytes.substr(at - offset, end - at))});
    at = end;
  }
}

void PowerCutEnv::Truncated(int inode, std::uint64_t size) {
  inodes_[static_cast<size_t>(inode)]->now.resize(size, '\0');
  pending_.push_back({Pending::kTruncate, inode, size});
}

void PowerCutEnv::Synced(int inode) {
  Inode& i = *inodes_[static_cast<size_t>(inode)];
  i.durable = i.now;
  pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                [&](const Pending& p) {
                                  return (p.kind == Pending::kData ||
                                          p.kind == Pending::kTruncate) &&
                                         p.inode == inode;
                                }),
                 pending_.end());
}

FileError PowerCutEnv::RemoveFile(const std::string& path) {
  const FileError e = EnvWrapper::RemoveFile(path);
  const std::string name = NameOf(path);
  if (e == FileError::kNone && names_.count(name) != 0) {
    pending_.push_back({Pending::kRemove, names_[name], 0, "", name});
    names_.erase(name);
  }
  return e;
}

FileError PowerCutEnv::OpenForWrite(const std::string& path, Creation creation,
                                    std::unique_ptr<WritableFile>* file) {
  std::unique_ptr<WritableFile> opened;
  const FileError e = EnvWrapper::OpenForWrite(path, creation, &opened);
  const std::string name = NameOf(path);
  if (e != FileError::kNone || name.empty()) {
    *file = std::move(opened);
    return e;
  }
  if (creation == Creation::kNew) {
    inodes_.push_back(std::make_unique<Inode>());
    names_[name] = static_cast<int>(inodes_.size()) - 1;
    pending_.push_back({Pending::kCreate, names_[name], 0, "", name});
  }
  const auto it = names_.find(name);
  if (it == names_.end()) {  // a file the model was not told of
    *file = std::move(opened);
    return e;
  }
  *file = std::make_unique<ModelledFile>(this, it->second, std::move(opened));
  return e;
}

FileError PowerCutEnv::RenameFile(const std::string& from, const std::string& to,
                                  bool replace) {
  const FileError e = EnvWrapper::RenameFile(from, to, replace);
  const std::string a = NameOf(from), b = NameOf(to);
  if (e == FileError::kNone && names_.count(a) != 0) {
    pending_.push_back({Pending::kRename, names_[a], 0, "", a, b});
    names_[b] = names_[a];
    names_.erase(a);
  }
  return e;
}

FileError PowerCutEnv::SyncFolder(const std::string& folder) {
  const FileError e = EnvWrapper::SyncFolder(folder);
  if (e == FileError::kNone) {
    durable_names_ = names_;
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [](const Pending& p) {
                                    return p.kind != Pending::kData &&
                                           p.kind != Pending::kTruncate;
                                  }),
                   pending_.end());
  }
  return e;
}

std::map<std::string, std::string> PowerCutEnv::AfterCut(
    const std::vector<bool>& dropped) const {
  std::map<std::string, int> names = durable_names_;
  std::vector<std::string> data;
  for (const auto& inode : inodes_) data.push_back(inode->durable);
  for (size_t i = 0; i < pending_.size(); ++i) {
    if (i < dropped.size() && dropped[i]) continue;
    const Pending& p = pending_[i];
    std::string& d = data[static_cast<size_t>(p.inode)];
    switch (p.kind) {
      case Pending::kData: Apply(&d, p.offset, p.bytes); break;
      case Pending::kTruncate: d.resize(p.offset, '\0'); break;
      case Pending::kCreate: names[p.name] = p.inode; break;
      case Pending::kRename:
        names.erase(p.name);
        names[p.to] = p.inode;
        break;
      case Pending::kRemove:
        if (names.count(p.name) != 0 && names[p.name] == p.inode) names.erase(p.name);
        break;
    }
  }
  std::map<std::string, std::string> files;
  for (const auto& [name, inode] : names) files[name] = data[static_cast<size_t>(inode)];
  return files;
}

}  // namespace zolt
