// Env::LockFile of the platform's own Env: file_lock_linux.cc (open-file-
// description locks) or file_lock_windows.cc (LockFileEx), both polled in
// the calling thread with the priority byte that Env::LockFile describes.
#ifndef ZOLT_PLATFORM_ENV_FILE_LOCK_H_
#define ZOLT_PLATFORM_ENV_FILE_LOCK_H_

#include <memory>
#include <string>

#include "platform/env/env.h"

namespace zolt {

FileError LockOsFile(const std::string& path, LockPlace place, int timeout_ms,
                     std::unique_ptr<FileLock>* lock);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_ENV_FILE_LOCK_H_
