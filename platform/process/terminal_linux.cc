#include <unistd.h>

#include "platform/process/terminal.h"

namespace zolt {
namespace {

int Fd(StdStream s) { return s == StdStream::kOut ? 1 : 2; }

}  // namespace

bool IsTerminal(StdStream stream) { return isatty(Fd(stream)) == 1; }

bool EnableColourCodes(StdStream stream) { return IsTerminal(stream); }

}  // namespace zolt
