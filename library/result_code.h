// Every outcome of a library call has a name here before it becomes the
// number that crosses the export boundary (the values of OstrelZOLTDLL.h).
#ifndef ZOLT_LIBRARY_RESULT_CODE_H_
#define ZOLT_LIBRARY_RESULT_CODE_H_

#include <cstdint>

namespace zolt {

enum class Code : int32_t {
  kOk = 0,
  // The undetermined failure: something the call needs failed in a way that
  // has no code of its own, so it refuses and changes nothing (the cause
  // goes into the call's Refusal). The other names say which step.
  kUndetermined = -1,
  kSettingsOpen = -1,       // the settings file cannot be opened
  kTablesUnwritable = -1,   // a table or a taken mark cannot be written
  kLockBusy = -1,           // the table lock stayed busy past its bound
  kSeason = -100,
  kLocation = -101,
  kVendor = -102,
  kPinCrypt = -103,
  kWindow = -104,
  kSize = -105,
  kPinExpiry = -106,
  kYear = -111,
  kMonth = -112,
  kDay = -113,
  kPinsOff = -300,
  kSettingsDenied = -375,
  kSettingsMissing = -400,
  kDataFolder = -430,
  kSoldOut = -500,
  kDeleteDenied = -600,
  kTableNotFound = -610,
  kTableBadPath = -620,
  kTableEmpty = -630,
  // Never returned: the library table was found damaged (see FindFreeSlot).
  kTableDamaged = 1,
};

constexpr int32_t ToInt(Code c) { return static_cast<int32_t>(c); }

// Which export is calling: the two differ in the order of the settings checks,
// in one message box and in the failure handling of a new day's rebuild.
enum class Caller { kZoltResult, kSoldOutQuery };

}  // namespace zolt

#endif  // ZOLT_LIBRARY_RESULT_CODE_H_
