// Calls the PIN library's two exports through the pointers a loader found,
// the way a point-of-sale program calls them. On 32-bit Windows each call
// goes through an assembly thunk that measures what the callee did to the
// caller: a __stdcall function removes its own arguments (16 bytes for
// ZoltResult, 12 for check_SoldOut_Condition) and keeps EBX, ESI, EDI and
// EBP. On Linux the calls are plain C calls and nothing is measured.
#ifndef ZOLT_PLATFORM_PROCESS_EXPORT_CALL_H_
#define ZOLT_PLATFORM_PROCESS_EXPORT_CALL_H_

#include <cstdint>

namespace zolt {

struct ExportCall {
  int32_t result = 0;
  bool measured = false;        // the thunk ran (32-bit Windows)
  int32_t stack_bytes_left = 0; // bytes the callee left on the stack
  bool registers_kept = true;   // EBX, ESI, EDI and EBP as before the call
};

ExportCall CallZoltResult(void* fn, int32_t vendor, int32_t location,
                          int32_t basket_size, char* expiry_text);
ExportCall CallSoldOutQuery(void* fn, int32_t vendor, int32_t location,
                            int32_t basket_size);

// The thunk's own check: a __cdecl function of three arguments leaves its
// 12 bytes behind, which a measured call must report. Not measured on Linux.
ExportCall CallCdeclProbe();

}  // namespace zolt

#endif  // ZOLT_PLATFORM_PROCESS_EXPORT_CALL_H_
