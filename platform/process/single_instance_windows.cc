#include <windows.h>

#include "platform/process/single_instance.h"

namespace zolt {

std::unique_ptr<SingleInstance> SingleInstance::Claim(const std::string& name) {
  // "Local\": one copy per logged-on session, as a second copy would appear
  // to the same user.
  const std::string mutex_name = "Local\\" + name;
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutex_name.c_str());
  const DWORD error = GetLastError();
  if (mutex == nullptr) {
    // Held by a copy running with other rights.
    if (error == ERROR_ACCESS_DENIED) return nullptr;
    return std::unique_ptr<SingleInstance>(new SingleInstance(-1));
  }
  if (error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return nullptr;
  }
  return std::unique_ptr<SingleInstance>(
      new SingleInstance(reinterpret_cast<intptr_t>(mutex)));
}

SingleInstance::~SingleInstance() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace zolt
