// Whether a standard stream is a terminal, and turning on colour codes for
// it: zolt colours its table picture and draws a progress bar only there.
#ifndef ZOLT_PLATFORM_PROCESS_TERMINAL_H_
#define ZOLT_PLATFORM_PROCESS_TERMINAL_H_

namespace zolt {

enum class StdStream { kOut, kErr };

// True when the stream is a terminal (not a pipe, a file or /dev/null).
bool IsTerminal(StdStream stream);

// Makes the terminal behind the stream interpret ANSI colour codes (the
// console's virtual terminal mode on Windows). False when it cannot.
bool EnableColourCodes(StdStream stream);

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROCESS_TERMINAL_H_
