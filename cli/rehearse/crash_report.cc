#include "cli/rehearse/crash_report.h"

#include <cstdio>

#include <nlohmann/json.hpp>

#include "cli/common/command_line.h"
#include "cli/common/output.h"

namespace zolt::cli {
namespace {

void PrintCrashJson(const CrashOutcome& out, unsigned seed, double seconds) {
  nlohmann::ordered_json j = {
      {"schema", kJsonSchema},
      {"command", "simulate"},
      {"kills", out.kills},
      {"kills_survived", out.kills - out.faulty_kills},
      {"seed", seed},
      {"longest_delay_ms", static_cast<double>(out.max_delay_us) / 1000.0},
      {"killed_before_start", out.before_start},
      {"killed_in_rebuild_or_first_sale", out.in_rebuild},
      {"killed_after_a_sale", out.in_sales},
      {"pins_reported", out.pins_reported},
      {"torn_files", out.torn},
      {"unmarked_pins", out.unmarked},
      {"reissued_slots", out.reissued},
      {"failed_next_sales", out.next_failed},
      {"ended_on_their_own", out.ended_on_its_own},
      {"leftover_temporary_files", out.leftover_temporary_files},
      {"seconds", seconds},
      {"faults", out.faults},
      {"fault", out.Faulty()}};
  PrintJson(j);
}

void PrintCrashWords(const CrashOutcome& out, unsigned seed, double seconds) {
  std::printf(
      "%d kills survived of %d (seed %u, within %.1f ms of the release): "
      "%d before a day began, %d in a rebuild or first sale, %d after a "
      "sale; %.1f s\n",
      out.kills - out.faulty_kills, out.kills, seed,
      static_cast<double>(out.max_delay_us) / 1000.0, out.before_start,
      out.in_rebuild, out.in_sales, seconds);
  std::printf("PINs reported by killed stations  %d\n", out.pins_reported);
  std::printf("Torn table files                  %d\n", out.torn);
  std::printf("Reported PINs without their mark  %d\n", out.unmarked);
  std::printf("Slots issued again                %d\n", out.reissued);
  std::printf("Next sales that failed            %d\n", out.next_failed);
  std::printf("Leftover temporary files          %d\n",
              out.leftover_temporary_files);
  for (const std::string& f : out.faults) std::printf("  %s\n", f.c_str());
  std::printf("Verdict                           %s\n",
              out.Faulty() ? "FAULT" : "sound");
}

}  // namespace

void PrintCrashReport(const CrashOutcome& out, unsigned seed, double seconds,
                      bool json) {
  if (json) {
    PrintCrashJson(out, seed, seconds);
  } else {
    PrintCrashWords(out, seed, seconds);
  }
}

}  // namespace zolt::cli
