#include "cli/show/site_checks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "cli/common/date_number.h"
#include "platform/probes/site_probes.h"

namespace zolt::cli {
namespace {

std::string Seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof(buf), "%.1f s", s);
  return buf;
}

SiteCheck ClockCheck(const SiteCheckInput& in) {
  SiteCheck c;
  c.name = "clock";
  if (in.simulated) {
    c.text = "clock: not measured at a simulated time (--at)";
    return c;
  }
  if (!in.measure_clock) {
    c.text = "clock: not measured (--no-clock-check)";
    return c;
  }
  if (!in.folder_found) {
    c.text = "clock: not measured: the data folder cannot be listed";
    return c;
  }
  const ServerClock clock =
      MeasureServerClock(in.settings.Pathtopintable, kClockProbeName);
  c.data["leftover_removed"] = clock.leftover_removed;
  if (!clock.measured) {
    c.verdict = Verdict::kWarn;
    c.text = "clock: cannot be compared with the data folder's server: " +
             clock.error;
    return c;
  }
  // The server's clock less this station's: a station whose clock is ahead
  // sees a negative offset.
  const double ahead = -clock.offset_seconds;
  const int fail = ClockFailSeconds(in.settings.PINExpiry);
  c.data["offset_seconds"] = std::round(ahead * 10) / 10;
  c.data["warn_seconds"] = kClockWarnSeconds;
  c.data["fail_seconds"] = fail;
  const double size = std::fabs(ahead);
  const std::string how = size < 0.05 ? "in step with"
                          : ahead > 0 ? Seconds(size) + " ahead of"
                                      : Seconds(size) + " behind";
  c.text = "clock: this station's clock is " + how +
           " the data folder's server";
  if (size > fail) {
    c.verdict = Verdict::kFail;
    c.text += ", more than " + std::to_string(fail / 60) + " minutes";
    c.advice = "a PIN depends on the date and minute of its sale: this "
               "station sells the PINs of other minutes than the other "
               "stations, beyond a PIN's lifetime. Set this station's clock "
               "from the server";
  } else if (size > kClockWarnSeconds) {
    c.verdict = Verdict::kWarn;
    c.text += ", more than " + std::to_string(kClockWarnSeconds) + " s";
    c.advice = "PINs change every minute: near each minute's turn this "
               "station sells the PIN of another minute than the other "
               "stations. Set this station's clock from the server";
  } else {
    c.verdict = Verdict::kOk;
  }
  return c;
}

SiteCheck LocationCheck(const SiteCheckInput& in) {
  SiteCheck c;
  c.name = "data_folder_location";
  const std::string& folder = in.settings.Pathtopintable;
  if (!in.folder_found) {
    c.text = "data folder: cannot be found, so its place is not known";
    return c;
  }
  const FolderLocation where = LocateFolder(folder);
  c.data["detail"] = where.detail;
  switch (where.kind) {
    case FolderLocation::Kind::kNetwork:
      c.verdict = Verdict::kOk;
      c.data["network"] = true;
      c.text = "data folder: on the network (" + where.detail + ")";
      break;
    case FolderLocation::Kind::kLocal:
      c.verdict = Verdict::kWarn;
      c.data["network"] = false;
      c.text = "data folder: " + folder + " is on this station's own disk (" +
               where.detail + ")";
      c.advice = "a station whose Pathtopintable names its own disk keeps "
                 "its own tables and hands out the same PINs as the other "
                 "stations, with no error anywhere. At a site with more "
                 "than one station it must name the shared folder on the "
                 "server";
      break;
    case FolderLocation::Kind::kUnknown:
      c.data["network"] = nullptr;
      c.text = "data folder: cannot tell whether it is on the network (" +
               where.detail + ")";
      break;
  }
  return c;
}

int32_t DateOf(const TableFileView& f) {
  if (f.kind != "file" || f.run_date.size() != 8) return 0;
  for (char ch : f.run_date) {
    if (ch < '0' || ch > '9') return 0;
  }
  return std::atoi(f.run_date.c_str());
}

std::string DateText(int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof(buf), "%04d-%02d-%02d", n / 10000, n / 100 % 100,
                n % 100);
  return buf;
}

SiteCheck TablesDateCheck(const SiteCheckInput& in) {
  SiteCheck c;
  c.name = "tables_date";
  const int32_t today = DateNumber(in.station_time);
  c.data["station_date"] = DateText(today);
  const int32_t dated = in.day == nullptr
                            ? 0
                            : std::max(DateOf(in.day->pin), DateOf(in.day->dll));
  if (dated == 0) {
    c.verdict = Verdict::kOk;
    c.data["tables_date"] = nullptr;
    c.text = "tables' date: no dated tables yet";
    return c;
  }
  c.data["tables_date"] = DateText(dated);
  if (dated > today) {
    c.verdict = Verdict::kFail;
    c.text = "tables' date: dated " + DateText(dated) +
             ", later than this station's date " + DateText(today);
    c.advice = "this station's clock is behind the station that dated the "
               "tables: its calls find the tables of a later day. Set this "
               "station's clock from the server";
  } else if (dated < today) {
    c.verdict = Verdict::kOk;
    c.text = "tables' date: dated " + DateText(dated) +
             ", before this station's date: the first call today rebuilds "
             "them";
  } else {
    c.verdict = Verdict::kOk;
    c.text = "tables' date: dated " + DateText(dated) +
             ", this station's date";
  }
  return c;
}

}  // namespace

const char* VerdictToken(Verdict v) {
  switch (v) {
    case Verdict::kOk: return "ok";
    case Verdict::kWarn: return "warn";
    case Verdict::kFail: return "fail";
    case Verdict::kNotChecked: return "not-checked";
  }
  return "";
}

int ClockFailSeconds(int32_t pin_expiry) {
  return pin_expiry >= 10 && pin_expiry <= 1439 ? pin_expiry * 60 : 600;
}

std::vector<SiteCheck> CheckSite(const SiteCheckInput& in) {
  return {ClockCheck(in), LocationCheck(in), TablesDateCheck(in)};
}

}  // namespace zolt::cli
