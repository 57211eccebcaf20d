#include "platform/process/file_version.h"

namespace zolt {

bool ReadFileVersion(const std::string& /*path*/, FileVersion* /*version*/) {
  return false;
}

}  // namespace zolt
