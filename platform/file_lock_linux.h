// Env::LockFile of the Linux Env (file_lock_linux.cc).
#ifndef ZOLT_PLATFORM_FILE_LOCK_LINUX_H_
#define ZOLT_PLATFORM_FILE_LOCK_LINUX_H_

#include <memory>
#include <string>

#include "platform/env.h"

namespace zolt {

FileError LockLinux(const std::string& path, LockPlace place, int timeout_ms,
                    std::unique_ptr<FileLock>* lock);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_FILE_LOCK_LINUX_H_
