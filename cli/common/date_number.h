// Dates as the tables name them, YYYYMMDD (LastPINRunDate), and back.
#ifndef ZOLT_CLI_COMMON_DATE_NUMBER_H_
#define ZOLT_CLI_COMMON_DATE_NUMBER_H_

#include <cstdint>

#include "platform/env/env.h"

namespace zolt::cli {

int32_t DateNumber(const LocalTime& t);
LocalTime FromDateNumber(int32_t yyyymmdd, int hour, int minute);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMON_DATE_NUMBER_H_
