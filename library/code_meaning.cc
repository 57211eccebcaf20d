#include "library/code_meaning.h"

#include "OstrelZOLTDLL.h"

namespace zolt {

std::string CodeMeaning(int32_t code) {
  switch (code) {
    case ZOLT_E_UNDETERMINED: return "undetermined failure: no PIN was issued (the settings file cannot be opened, a PIN table cannot be read or written, the table lock is busy or cannot be taken, or the tables are dated later than this station's clock)";
    case ZOLT_E_SEASON: return "Season in the settings is outside 0 to 255";
    case ZOLT_E_LOCATION: return "Location in the settings is outside 0 to 800";
    case ZOLT_E_VENDOR: return "Vendor in the settings is outside 180 to 200";
    case ZOLT_E_PINCRYPT: return "PINcrypt in the settings is outside 1 to 255";
    case ZOLT_E_WINDOW: return "the search window lies outside the day";
    case ZOLT_E_SIZE: return "the basket size is not 1, 2 or 3";
    case ZOLT_E_PINEXPIRY: return "PINExpiry must be 0 or 10 to 1439";
    case ZOLT_E_YEAR: return "the sale date's year lies outside 2001 to 2015, the years the library issues PINs for";
    case ZOLT_E_MONTH: return "the sale date's month is not 1 to 12";
    case ZOLT_E_DAY: return "the sale date's day is not 1 to 31";
    case ZOLT_E_PINS_OFF: return "PINs are turned off (PINExpiry 1)";
    case ZOLT_E_SETTINGS_DENIED: return "the settings file may not be written";
    case ZOLT_E_SETTINGS_MISSING: return "OstrelZOLTDLL.dta is missing beside the program";
    case ZOLT_E_DATA_FOLDER: return "the data folder (Pathtopintable) cannot be found";
    case ZOLT_E_SOLD_OUT: return "sold out: every PIN of the lifetime window is taken";
    case ZOLT_E_DELETE_DENIED: return "deleting yesterday's PIN table was denied";
    case ZOLT_E_TABLE_NOT_FOUND: return "a PIN table to delete was missing; the next call rebuilds";
    case ZOLT_E_TABLE_BAD_PATH: return "a PIN table path was invalid; the next call rebuilds";
    case ZOLT_E_TABLE_EMPTY: return "a PIN table could not be emptied; the next call rebuilds";
    default: break;
  }
  if (code > 0) return "a result";
  return "unexpected code";
}

}  // namespace zolt
