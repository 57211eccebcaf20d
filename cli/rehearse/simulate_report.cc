#include "cli/rehearse/simulate_report.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "cli/common/command_line.h"
#include "cli/rehearse/simulated_site.h"
#include "cli/show/strict_table_file.h"
#include "library/code_meaning.h"
#include "platform/env/env.h"

namespace zolt::cli {
namespace {

double Percentile(std::vector<long long> us, double p) {
  if (us.empty()) return 0;
  std::sort(us.begin(), us.end());
  const size_t i = static_cast<size_t>(p * static_cast<double>(us.size() - 1) + 0.5);
  return static_cast<double>(us[std::min(i, us.size() - 1)]) / 1000.0;
}

StrictTableFile ReadTable(const std::string& folder, const char* name) {
  std::string bytes;
  Env& env = Env::Default();
  if (env.ReadFile(JoinPath(env, folder, name), &bytes) != FileError::kNone) {
    StrictTableFile missing;
    missing.error = std::string(name) + " cannot be read";
    return missing;
  }
  StrictTableFile f = ReadStrictTableFile(bytes);
  if (!f.ok) f.error = std::string(name) + ": " + f.error;
  return f;
}

}  // namespace

SimulationTally TallySales(const std::vector<Sale>& sales,
                           const LibrarySettings& site,
                           const std::string& data_folder) {
  SimulationTally t;
  std::map<int32_t, DayTable> tables;
  std::map<std::pair<int32_t, int>, std::vector<std::pair<int32_t, int>>> by_slot;
  std::vector<long long> us;
  for (const Sale& s : sales) {
    ++t.sales;
    us.push_back(s.us);
    if (s.result <= 0) {
      ++t.refusals[s.result];
      continue;
    }
    ++t.issued;
    auto table = tables.find(s.day);
    if (table == tables.end()) {
      table = tables
                  .emplace(s.day, ComputeDayTable(
                                      site, FromDateNumber(s.day, 12, 0)))
                  .first;
    }
    auto slot = table->second.slot_of.find(ValueOfPin(s.result, site.PINcrypt));
    if (slot == table->second.slot_of.end()) {
      ++t.foreign_pins;
      continue;
    }
    by_slot[{s.day, slot->second}].push_back({s.result, s.station});
  }
  for (const auto& [key, pins] : by_slot) {
    if (pins.size() > 1) t.duplicates.push_back({key.first, key.second, pins});
  }
  t.p50_ms = Percentile(us, 0.50);
  t.p99_ms = Percentile(us, 0.99);
  t.max_ms = us.empty() ? 0 : static_cast<double>(*std::max_element(us.begin(), us.end())) / 1000.0;

  const StrictTableFile pin = ReadTable(data_folder, "PINTable.dat");
  const StrictTableFile dll = ReadTable(data_folder, "DLLPINTable.dat");
  t.tables_read = pin.ok && dll.ok;
  t.tables_error = !pin.ok ? pin.error : dll.error;
  if (t.tables_read) {
    for (const auto& [key, pins] : by_slot) {
      if (key.first != dll.run_date) continue;
      ++t.marked_checked;
      auto marked = [&](const StrictTableFile& f) {
        auto it = f.entries.find(key.second);
        return it != f.entries.end() && it->second == "270E";
      };
      if (!marked(pin)) ++t.unmarked_in_pin;
      if (!marked(dll)) ++t.unmarked_in_dll;
    }
  }
  return t;
}

nlohmann::ordered_json TallyJson(const SimulationTally& t) {
  nlohmann::ordered_json j;
  j["sales"] = t.sales;
  j["issued"] = t.issued;
  j["duplicates"] = nlohmann::ordered_json::array();
  for (const Duplicate& d : t.duplicates) {
    nlohmann::ordered_json one = {{"day", d.day},
                                  {"slot", d.slot},
                                  {"time", FormatMinute(d.slot)}};
    for (const auto& [pin, station] : d.pins) {
      one["pins"].push_back({{"pin", pin}, {"station", station}});
    }
    j["duplicates"].push_back(one);
  }
  j["foreign_pins"] = t.foreign_pins;
  j["refusals"] = nlohmann::ordered_json::object();
  for (const auto& [code, n] : t.refusals) {
    j["refusals"][std::to_string(code)] = {{"count", n},
                                           {"meaning", CodeMeaning(code)}};
  }
  j["latency_ms"] = {{"p50", t.p50_ms}, {"p99", t.p99_ms}, {"max", t.max_ms}};
  j["tables_read_strictly"] = t.tables_read;
  if (!t.tables_read) j["tables_error"] = t.tables_error;
  j["issued_slots_checked"] = t.marked_checked;
  j["unmarked_in_PINTable"] = t.unmarked_in_pin;
  j["unmarked_in_DLLPINTable"] = t.unmarked_in_dll;
  j["all_marked_in_both"] =
      t.tables_read && t.unmarked_in_pin == 0 && t.unmarked_in_dll == 0;
  j["fault"] = t.Faulty();
  return j;
}

void PrintTally(const SimulationTally& t) {
  std::printf("PINs issued     %d of %d sales\n", t.issued, t.sales);
  std::printf("Duplicates      %zu\n", t.duplicates.size());
  for (const Duplicate& d : t.duplicates) {
    std::printf("  %d slot %d (%s):", d.day, d.slot,
                FormatMinute(d.slot).c_str());
    for (const auto& [pin, station] : d.pins) {
      std::printf(" %06d at station %d", pin, station);
    }
    std::printf("\n");
  }
  if (t.foreign_pins > 0) {
    std::printf("Foreign PINs    %d (no slot of their day holds them)\n",
                t.foreign_pins);
  }
  int refused = 0;
  for (const auto& [code, n] : t.refusals) refused += n;
  std::printf("Refusals        %d\n", refused);
  for (const auto& [code, n] : t.refusals) {
    std::printf("  %d x %d: %s\n", n, code, CodeMeaning(code).c_str());
  }
  std::printf("Latency         p50 %.1f ms, p99 %.1f ms, max %.1f ms\n",
              t.p50_ms, t.p99_ms, t.max_ms);
  if (!t.tables_read) {
    std::printf("Table files     %s\n", t.tables_error.c_str());
  } else {
    std::printf(
        "Marks           %d issued slots: %d without the mark in "
        "PINTable.dat, %d in DLLPINTable.dat\n",
        t.marked_checked, t.unmarked_in_pin, t.unmarked_in_dll);
  }
  std::printf("Verdict         %s\n", t.Faulty() ? "FAULT" : "sound");
}

}  // namespace zolt::cli
