// The day's PIN tables in the shared data folder: PINTable.dat holds the
// marks (void "270F", taken "270E") and DLLPINTable.dat every slot's value.
// A call reads each file once (table_file.h), reads only the entries it
// needs, and writes a file back whole at a rebuild, or just its taken mark.
#ifndef ZOLT_LIBRARY_PIN_TABLES_H_
#define ZOLT_LIBRARY_PIN_TABLES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "library/result_code.h"
#include "library/settings.h"
#include "library/table_file.h"
#include "platform/env.h"

namespace zolt {

constexpr int kSlotCount = 1441;      // minute slots 0..1440
constexpr int32_t kTakenMark = 9998;  // "270E"
constexpr int32_t kVoidMark = 9999;   // "270F"
constexpr int32_t kLargestPinValue = 64770;  // + 3 x 255 stays within 16 bits

// The two table files of one call.
struct PinTables {
  TableFile pin;  // <Pathtopintable><sep>PINTable.dat
  TableFile dll;  // <Pathtopintable><sep>DLLPINTable.dat
};

// A free slot and the clock reading of the search (the sale time).
struct FreeSlot {
  int slot = -1;
  int32_t value = 0;
  LocalTime sale_time;
};

// Checks the data folder before anything is written in it: Pathtopintable
// must name one (not be empty), every path the library makes there (the
// tables, the lock, temporary files) must fit the platform's path limit, and
// the folder must list. Returns kOk or kDataFolder. *leftovers receives the
// temporary files that writes cut short (a station killed mid-write) left.
Code CheckDataFolder(Env& env, const LibrarySettings& settings,
                     std::vector<std::string>* leftovers);

// Removes those leftovers. Only a holder of the table lock may: no other
// locking station is writing then.
void RemoveLeftovers(Env& env, const LibrarySettings& settings,
                     const std::vector<std::string>& leftovers);

// Makes sure both files belong to today, rebuilding them at a new day.
// Returns kOk, or kDeleteDenied, kTablesUnwritable (a rebuilt file could not
// be written: nothing that exists only in memory is ever searched) and, for
// the query only, kTableNotFound, kTableBadPath, kTableEmpty. Leaves both
// files loaded in *tables on kOk, as they stand on disk.
Code RefreshPinTables(Env& env, const LibrarySettings& settings, Caller caller,
                      PinTables* tables);

// The newest free slot from the current minute back across PINExpiry
// minutes (the whole day so far for 0). Returns kOk, kSoldOut or kWindow.
// A library table that fails the search's checks (an entry the search
// reaches is missing, or holds a value the generator cannot have built for
// that slot today: a cut-off or edited file, one of another site or date) is
// rebuilt as a stale library table, PINTable.dat keeping its marks, and
// searched again; that rebuild can return RefreshPinTables' codes.
Code FindFreeSlot(Env& env, const LibrarySettings& settings, Caller caller,
                  PinTables* tables, FreeSlot* found);

// Writes the taken mark under the slot into DLLPINTable.dat and then
// PINTable.dat, each on disk before the next step. kOk, or
// kTablesUnwritable when either write failed (the second is not tried after
// the first failed); the slot then stays as the files say.
Code MarkSlotTaken(Env& env, int slot, PinTables* tables);

// The 1441 values of today's table (void and duplicate marks applied), as
// the build writes them; the build reads the clock for every slot.
void ComputeTable(Env& env, const LibrarySettings& settings,
                  int32_t values[kSlotCount]);

// "%X" padded with "0" to four characters.
std::string TableText(int32_t value);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_PIN_TABLES_H_
