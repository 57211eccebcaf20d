#include "setup/site_paths.h"

#include <cctype>
#include <string_view>

namespace zolt::setup {
namespace {

std::string UpperAscii(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  return upper;
}

// The folders of a Linux system where file systems of other computers and
// removable media are mounted: the nearest thing to a drive letter other
// than C.
constexpr std::string_view kLinuxMountFolders[] = {
    "/mnt", "/media", "/net", "/run/media", "/run/user",
};

// True when path is folder itself or lies below it.
bool IsAtOrBelow(std::string_view path, std::string_view folder) {
  if (path.substr(0, folder.size()) != folder) return false;
  return path.size() == folder.size() || path[folder.size()] == '/';
}

}  // namespace

SitePaths SitePaths::For(const Env& env) {
  return SitePaths(env.PathSeparator() == '\\' ? PathStyle::kWindows
                                               : PathStyle::kLinux);
}

std::string SitePaths::Join(const std::string& folder,
                            const std::string& name) const {
  return folder + separator() + name;
}

std::string SitePaths::DefaultOstrelFolder() const {
  return style_ == PathStyle::kWindows ? "c:\\program files\\ostrel"
                                       : "/opt/ostrel";
}

bool SitePaths::IsProductInstallFolder(const std::string& path) const {
  if (style_ == PathStyle::kWindows) {
    return UpperAscii(path) == "C:\\PROGRAM FILES\\OSTREL";
  }
  return path == "/opt/ostrel";
}

std::string SitePaths::ProductInstallFolderText() const {
  return style_ == PathStyle::kWindows ? "C:\\program files\\ostrel"
                                       : "/opt/ostrel";
}

PathLocation SitePaths::Locate(const std::string& path) const {
  const char sep = separator();
  PathLocation where;
  if (path.size() >= 2 && path[0] == sep && path[1] == sep) {
    where.kind = PathLocation::Kind::kNetwork;
    // The separator that ends the server name, searched from the third
    // character on; none leaves the server part empty.
    size_t end = path.find(sep, 2);
    if (end != std::string::npos) where.server_part = path.substr(0, end + 1);
    return where;
  }
  if (style_ == PathStyle::kWindows) {
    if (UpperAscii(std::string_view(path).substr(0, 3)) == "C:\\") {
      where.kind = PathLocation::Kind::kThisComputer;
    }
    return where;
  }
  if (path.empty() || path[0] != '/') return where;
  for (std::string_view folder : kLinuxMountFolders) {
    if (IsAtOrBelow(path, folder)) return where;
  }
  where.kind = PathLocation::Kind::kThisComputer;
  return where;
}

bool SitePaths::IsLocalDataPath(const std::string& path) const {
  if (style_ == PathStyle::kWindows) return path.substr(0, 3) == "C:\\";
  return Locate(path).kind == PathLocation::Kind::kThisComputer;
}

}  // namespace zolt::setup
