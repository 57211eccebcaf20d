// Env::LockFile of the Windows Env (file_lock_windows.cc).
#ifndef ZOLT_PLATFORM_FILE_LOCK_WINDOWS_H_
#define ZOLT_PLATFORM_FILE_LOCK_WINDOWS_H_

#include <memory>
#include <string>

#include "platform/env.h"

namespace zolt {

FileError LockWindows(const std::string& path, LockPlace place, int timeout_ms,
                      std::unique_ptr<FileLock>* lock);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_FILE_LOCK_WINDOWS_H_
