#include "library/refusal.h"

namespace zolt {

std::string DescribeRefusal(const Refusal& r) {
  if (r.step.empty()) return "";
  std::string line = r.step;
  if (!r.path.empty()) line += " " + r.path;
  if (r.error != FileError::kNone) {
    line += ": ";
    line += r.os_text.empty() ? FileErrorName(r.error) : r.os_text;
    if (r.os_error != 0) {
      line += r.os_error > 0 && r.os_error < 200 && r.path.find('\\') ==
                                                        std::string::npos
                  ? " (errno " + std::to_string(r.os_error) + ")"
                  : " (error " + std::to_string(r.os_error) + ")";
    }
  }
  return line;
}

Code RefuseWith(Env& env, Refusal* why, Code code, std::string step,
                const std::string& path, FileError error) {
  if (why == nullptr) return code;
  why->code = code;
  why->step = std::move(step);
  why->path = path;
  why->error = error;
  why->os_error = error == FileError::kNone ? 0 : env.LastOsError();
  why->os_text = why->os_error != 0 ? env.OsErrorText(why->os_error) : "";
  return code;
}

}  // namespace zolt
