// The day's PIN tables in the shared data folder: PINTable.dat holds the
// marks (void "270F", taken "270E") and DLLPINTable.dat every slot's value.
// A call loads each file once, works on it in memory and writes it back at
// each point where the files have always been flushed.
#ifndef ZOLT_LIBRARY_PIN_TABLES_H_
#define ZOLT_LIBRARY_PIN_TABLES_H_

#include <cstdint>
#include <string>

#include "library/result_code.h"
#include "library/settings.h"
#include "platform/env.h"
#include "platform/profile.h"

namespace zolt {

constexpr int kSlotCount = 1441;      // minute slots 0..1440
constexpr int32_t kTakenMark = 9998;  // "270E"
constexpr int32_t kVoidMark = 9999;   // "270F"
constexpr int32_t kLargestPinValue = 64770;  // + 3 x 255 stays within 16 bits

// The two table files of one call.
struct PinTables {
  std::string pin_path;  // <Pathtopintable><sep>PINTable.dat
  std::string dll_path;  // <Pathtopintable><sep>DLLPINTable.dat
  ProfileFile pin;
  ProfileFile dll;
};

// A free slot and the clock reading of the search (the sale time).
struct FreeSlot {
  int slot = -1;
  int32_t value = 0;
  LocalTime sale_time;
};

// Makes sure both files belong to today, rebuilding them at a new day.
// Returns kOk, or kDataFolder, kDeleteDenied and, for the query only,
// kTableNotFound, kTableBadPath, kTableEmpty. Leaves both files loaded in
// *tables on kOk.
Code RefreshPinTables(Env& env, const LibrarySettings& settings, Caller caller,
                      PinTables* tables);

// The newest free slot from the current minute back across PINExpiry
// minutes (the whole day so far for 0). Returns kOk, kSoldOut or kWindow.
Code FindFreeSlot(Env& env, const LibrarySettings& settings,
                  const PinTables& tables, FreeSlot* found);

// Writes the taken mark under the slot into DLLPINTable.dat and then
// PINTable.dat, each written out at once. Write failures are not reported.
void MarkSlotTaken(Env& env, int slot, PinTables* tables);

// The 1441 values of today's table (void and duplicate marks applied), as
// the build writes them. Exposed for tests and the benchmark.
void ComputeTable(Env& env, const LibrarySettings& settings,
                  int32_t values[kSlotCount]);

// "%X" padded with "0" to four characters.
std::string TableText(int32_t value);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_PIN_TABLES_H_
