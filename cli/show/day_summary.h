// The day's tables in words and in JSON, as `status` and `tables` show them.
#ifndef ZOLT_CLI_SHOW_DAY_SUMMARY_H_
#define ZOLT_CLI_SHOW_DAY_SUMMARY_H_

#include <nlohmann/json.hpp>

#include "cli/show/day_view.h"

namespace zolt::cli {

// The files, the state, what the next call does, the counts and the window.
nlohmann::ordered_json TablesJson(const DayView& day);
void PrintTablesText(const DayView& day);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_SHOW_DAY_SUMMARY_H_
