// A table file read strictly, as this library writes one: CRLF after every
// line, nothing but "[Other]" and "[PINTable]" headers (once each),
// LastPINRunDay (and LastPINRunDate, which stations that do not know it
// leave out) under [Other], and slot=XXXX entries (slots 0..1440, four
// uppercase hex digits) under [PINTable]. A crash rehearsal judges the files
// a killed station left with it: anything else is a torn or foreign file.
#ifndef ZOLT_CLI_SHOW_STRICT_TABLE_FILE_H_
#define ZOLT_CLI_SHOW_STRICT_TABLE_FILE_H_

#include <cstdint>
#include <map>
#include <string>

namespace zolt {

struct StrictTableFile {
  bool ok = false;
  std::string error;  // why not ok
  int32_t run_day = 0;
  int32_t run_date = 0;  // 0: no LastPINRunDate
  std::map<int, std::string> entries;  // slot -> text
};

StrictTableFile ReadStrictTableFile(const std::string& bytes);

}  // namespace zolt

#endif  // ZOLT_CLI_SHOW_STRICT_TABLE_FILE_H_
