#include <windows.h>

#include "platform/probes/site_probes.h"
#include "platform/probes/write_probe.h"

namespace zolt {
namespace {

double Seconds(const FILETIME& t) {
  ULARGE_INTEGER u;
  u.LowPart = t.dwLowDateTime;
  u.HighPart = t.dwHighDateTime;
  return static_cast<double>(u.QuadPart) / 1e7;
}

double Now() {
  FILETIME t;
  GetSystemTimeAsFileTime(&t);
  return Seconds(t);
}

std::string LastError() {
  return SystemErrorText(static_cast<int>(GetLastError()));
}

}  // namespace

ServerClock MeasureServerClock(const std::string& folder,
                               const std::string& probe_name) {
  ServerClock c;
  const std::string path = folder + "\\" + probe_name;
  if (DeleteFileA(path.c_str())) c.leftover_removed = true;
  const double before = Now();
  HANDLE h = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE,
                         0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    c.error = "cannot create " + path + ": " + LastError();
    return c;
  }
  FILETIME written{};
  const bool read = GetFileTime(h, nullptr, nullptr, &written) != 0;
  const std::string read_error = read ? "" : LastError();
  const double after = Now();
  CloseHandle(h);  // deletes it
  if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
      !DeleteFileA(path.c_str())) {
    c.error = "cannot remove " + path + ": " + LastError();
    return c;
  }
  if (!read) {
    c.error = "cannot read the time of " + path + ": " + read_error;
    return c;
  }
  c.measured = true;
  c.offset_seconds = Seconds(written) - (before + after) / 2;
  return c;
}

FolderLocation LocateFolder(const std::string& folder) {
  FolderLocation l;
  if (folder.size() >= 2 && (folder[0] == '\\' || folder[0] == '/') &&
      (folder[1] == '\\' || folder[1] == '/')) {
    l.kind = FolderLocation::Kind::kNetwork;
    l.detail = "a UNC path";
    return l;
  }
  if (folder.size() < 2 || folder[1] != ':') {
    l.detail = "not a full path with a drive";
    return l;
  }
  const std::string root = folder.substr(0, 2) + "\\";
  switch (GetDriveTypeA(root.c_str())) {
    case DRIVE_REMOTE:
      l.kind = FolderLocation::Kind::kNetwork;
      l.detail = "a mapped network drive";
      break;
    case DRIVE_FIXED:
      l.kind = FolderLocation::Kind::kLocal;
      l.detail = "a fixed disk";
      break;
    case DRIVE_REMOVABLE:
      l.kind = FolderLocation::Kind::kLocal;
      l.detail = "a removable disk";
      break;
    case DRIVE_RAMDISK:
      l.kind = FolderLocation::Kind::kLocal;
      l.detail = "a RAM disk";
      break;
    case DRIVE_CDROM:
      l.kind = FolderLocation::Kind::kLocal;
      l.detail = "a CD drive";
      break;
    default:
      l.detail = "a drive of unknown type";
      break;
  }
  return l;
}

}  // namespace zolt
