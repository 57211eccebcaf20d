// One running copy of a program per user: the first copy claims a name and
// holds it until it ends; a later copy's claim fails while it is held.
// Windows: a named mutex in the session's namespace. Linux: an exclusive
// lock on a per-user lock file ($XDG_RUNTIME_DIR, else /tmp), released by the
// system when the process ends, however it ends.
#ifndef ZOLT_PLATFORM_PROCESS_SINGLE_INSTANCE_H_
#define ZOLT_PLATFORM_PROCESS_SINGLE_INSTANCE_H_

#include <cstdint>
#include <memory>
#include <string>

namespace zolt {

class SingleInstance {
 public:
  // Claims `name` (letters, digits, '-', '_') for this process. Returns null
  // when another holder has it. When the claim cannot be set up at all (no
  // place for the lock file, say) the program may run: the result is a
  // claim that guards nothing, since refusing to start would be worse.
  static std::unique_ptr<SingleInstance> Claim(const std::string& name);

  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

 private:
  explicit SingleInstance(intptr_t handle) : handle_(handle) {}
  intptr_t handle_;  // the mutex or the lock file's descriptor; -1 for none
};

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROCESS_SINGLE_INSTANCE_H_
