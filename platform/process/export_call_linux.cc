#include "platform/process/export_call.h"

namespace zolt {

ExportCall CallZoltResult(void* fn, int32_t vendor, int32_t location,
                          int32_t basket_size, char* expiry_text) {
  using Fn = int32_t (*)(int32_t, int32_t, int32_t, char*);
  ExportCall c;
  c.result = reinterpret_cast<Fn>(fn)(vendor, location, basket_size,
                                      expiry_text);
  return c;
}

ExportCall CallSoldOutQuery(void* fn, int32_t vendor, int32_t location,
                            int32_t basket_size) {
  using Fn = int32_t (*)(int32_t, int32_t, int32_t);
  ExportCall c;
  c.result = reinterpret_cast<Fn>(fn)(vendor, location, basket_size);
  return c;
}

ExportCall CallCdeclProbe() { return ExportCall(); }

}  // namespace zolt
