#include <windows.h>

#include "platform/process/terminal.h"

#ifndef ENABLE_VIRTUAL_TERMINAL_PROCESSING
#define ENABLE_VIRTUAL_TERMINAL_PROCESSING 0x0004
#endif

namespace zolt {
namespace {

HANDLE Handle(StdStream s) {
  return GetStdHandle(s == StdStream::kOut ? STD_OUTPUT_HANDLE
                                           : STD_ERROR_HANDLE);
}

}  // namespace

bool IsTerminal(StdStream stream) {
  DWORD mode = 0;
  return GetConsoleMode(Handle(stream), &mode) != 0;
}

bool EnableColourCodes(StdStream stream) {
  DWORD mode = 0;
  HANDLE h = Handle(stream);
  if (!GetConsoleMode(h, &mode)) return false;
  return SetConsoleMode(h, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING) != 0;
}

}  // namespace zolt
