// The day's PIN tables in the shared data folder: PINTable.dat holds the
// marks (void "270F", taken "270E") and DLLPINTable.dat every slot's value.
// A call reads each file once (table_file.h), reads only the entries it
// needs, and writes a file back whole at a rebuild, or just its taken mark.
//
// Failing closed: only a missing file counts as missing. A table that
// exists but cannot be read, a table file that is a link, tables dated
// later than the station's clock, a write that does not reach the disk:
// each refuses the call (the undetermined failure) and leaves the files as
// they are, or at worst a stale day's table half rebuilt.
#ifndef ZOLT_LIBRARY_PIN_TABLES_H_
#define ZOLT_LIBRARY_PIN_TABLES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "library/refusal.h"
#include "library/result_code.h"
#include "library/settings.h"
#include "library/table_file.h"
#include "platform/env/env.h"

namespace zolt {

constexpr int kSlotCount = 1441;      // minute slots 0..1440
constexpr int32_t kTakenMark = 9998;  // "270E"
constexpr int32_t kVoidMark = 9999;   // "270F"
constexpr int32_t kLargestPinValue = 64770;  // + 3 x 255 stays within 16 bits

constexpr char kPinTableName[] = "PINTable.dat";
constexpr char kDllTableName[] = "DLLPINTable.dat";

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

// One call's work on the tables: what it needs, the tables it loaded, and
// where the cause of a refusal goes.
struct TableCall {
  TableCall(Env& e, const LibrarySettings& s, Caller c, Refusal* w)
      : env(e), settings(s), caller(c), why(w) {}
  Env& env;
  const LibrarySettings& settings;
  Caller caller;
  Refusal* why;  // never null
  PinTables tables;
  // False when the call holds no lock that keeps other writers out and
  // other stations may be writing (a station that may only read the data
  // folder): it reads and answers, and refuses wherever it would write.
  bool may_write = true;

  // Records the cause of a refusal (the OS error of the Env's last failure
  // with it, when `error` is one) and returns `code`.
  Code Refuse(Code code, std::string step, const std::string& path = "",
              FileError error = FileError::kNone);
};

// Checks the data folder before anything is written in it: Pathtopintable
// must name one (not be empty), every path the library makes there (the
// tables, the lock, temporary files) must fit the platform's path limit, and
// the folder must list. Returns kOk or kDataFolder. *leftovers receives the
// names shaped like the temporary files that writes cut short (a station
// killed mid-write) leave.
Code CheckDataFolder(Env& env, const LibrarySettings& settings,
                     std::vector<std::string>* leftovers,
                     Refusal* why = nullptr);

// Removes those leftovers that are the library's own: regular files (no
// link, no folder), empty or holding a table the library wrote. Only a
// holder of the table lock may: no other locking station is writing then.
// Anything else in the data folder is left exactly as it is.
void RemoveLeftovers(Env& env, const LibrarySettings& settings,
                     const std::vector<std::string>& leftovers);

// Makes sure both files belong to today, rebuilding them at a new day.
// Returns kOk, or kDeleteDenied, the undetermined failure (a table that
// cannot be read, tables dated later than today, a rebuilt file that could
// not be written: nothing that exists only in memory is ever searched) and,
// for the query only, kTableNotFound, kTableBadPath, kTableEmpty. Leaves
// both files loaded in call.tables on kOk, as they stand on disk.
Code RefreshPinTables(TableCall& call);

// The newest free slot from the current minute back across PINExpiry
// minutes (the whole day so far for 0). Returns kOk, kSoldOut or kWindow.
// A library table that fails the search's checks (an entry the search
// reaches is missing, or holds a value the generator cannot have built for
// that slot today: a cut-off or edited file, one of another site or date) is
// rebuilt as a stale library table, PINTable.dat keeping its marks, and
// searched again; that rebuild can return RefreshPinTables' codes.
Code FindFreeSlot(TableCall& call, FreeSlot* found);

// Writes the taken mark under the slot into DLLPINTable.dat and then
// PINTable.dat, each on disk before the next step. kOk, or the undetermined
// failure when either write failed (the second is not tried after the first
// failed); the slot then stays as the files say.
Code MarkSlotTaken(TableCall& call, int slot);

// The 1441 values of today's table (void and duplicate marks applied), as
// the build writes them; the build reads the clock for every slot.
void ComputeTable(Env& env, const LibrarySettings& settings,
                  int32_t values[kSlotCount]);

// "%X" padded with "0" to four characters.
std::string TableText(int32_t value);

// The full date of a table file (YYYYMMDD) when its LastPINRunDate holds
// one, else 0: the file of a station that records the day of the month
// only, whose place in time cannot be told.
int32_t TableDate(TableFile& file);

}  // namespace zolt

#endif  // ZOLT_LIBRARY_PIN_TABLES_H_
