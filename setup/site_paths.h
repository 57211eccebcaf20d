// The rules of the setup program that only make sense for Windows paths -
// drive C, network paths, the product's default folder - and their nearest
// meaning on Linux, kept together so that the two can be read side by side
// (docs/setup.md lists them). The style follows the Env's path separator, so
// the Windows build keeps the Windows rules and the Linux build gets the
// Linux ones.
#ifndef ZOLT_SETUP_SITE_PATHS_H_
#define ZOLT_SETUP_SITE_PATHS_H_

#include <string>

#include "platform/env/env.h"

namespace zolt::setup {

enum class PathStyle { kWindows, kLinux };

// Where a folder or file lies, as the computer-name label tells it.
struct PathLocation {
  enum class Kind { kNetwork, kThisComputer, kUnknown };
  Kind kind = Kind::kUnknown;
  // For kNetwork: the path up to and including the separator that ends the
  // server name ("\\server\"); empty when the path names no such separator.
  std::string server_part;
};

class SitePaths {
 public:
  explicit SitePaths(PathStyle style) : style_(style) {}
  // The rules for the files that env reaches.
  static SitePaths For(const Env& env);

  PathStyle style() const { return style_; }
  char separator() const { return style_ == PathStyle::kWindows ? '\\' : '/'; }

  // folder + separator + name, without looking at what folder ends with.
  std::string Join(const std::string& folder, const std::string& name) const;

  // The product folder assumed when the library settings name none:
  // "c:\program files\ostrel" on Windows, "/opt/ostrel" on Linux.
  std::string DefaultOstrelFolder() const;

  // True for a data path that is the product's own install folder, which is
  // only usable when a single computer runs both the product and the POS:
  // the exact text C:\PROGRAM FILES\OSTREL in any letter case on Windows,
  // exactly /opt/ostrel on Linux (names there have case). A trailing
  // separator or a subfolder does not count.
  bool IsProductInstallFolder(const std::string& path) const;
  // How the warning about that folder names it.
  std::string ProductInstallFolderText() const;

  // Which computer holds a path. Windows: "\\server\..." is a network path,
  // a path whose first three characters are C:\ in either case is this
  // computer, any other drive letter may be a mapped network drive
  // (unknown). Linux: "//server/..." is a network path; an absolute path
  // outside the folders where removable and network file systems are
  // mounted (/mnt, /media, /net, /run/media, /run/user) is this computer;
  // those folders and relative paths are unknown.
  PathLocation Locate(const std::string& path) const;

  // True when a PIN-table path is local to this computer, so that other POS
  // stations cannot share it. Windows: the path starts with exactly "C:\"
  // (capital C only, as the site tools have always tested it). Linux: Locate
  // says this computer.
  bool IsLocalDataPath(const std::string& path) const;

 private:
  PathStyle style_;
};

}  // namespace zolt::setup

#endif  // ZOLT_SETUP_SITE_PATHS_H_
