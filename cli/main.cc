// zolt: the site tool. Shows, checks and rehearses everything the PIN
// library decides at a station, without a point-of-sale program.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <exception>
#include <string>

#include "cli/command_line.h"
#include "cli/commands.h"

namespace {

constexpr char kVersion[] = "zolt 20.0.0";

constexpr char kDescription[] =
    "zolt: the site tool of the Ostrel PIN system. It reads a station's "
    "settings file (OstrelZOLTDLL.dta) and the day's PIN tables in the shared "
    "data folder, and runs the PIN library's own code on them: to show what "
    "the library would answer, to check a PIN, to sell baskets as a "
    "point-of-sale program would, to rehearse many stations at once, and to "
    "check the installed library itself.";


}  // namespace

int main(int argc, char** argv) {
  using namespace zolt::cli;
  CLI::App app(kDescription, "zolt");
  app.set_version_flag("--version", kVersion);
  app.footer(std::string(kExitStatusHelp) +
             "\n\nRun \"zolt COMMAND --help\" for the options and the "
             "details of a command.");
  app.require_subcommand(1);
  int exit_status = kExitOk;
  AddStatusCommand(app, &exit_status);
  AddTablesCommand(app, &exit_status);
  AddVerifyCommand(app, &exit_status);
  AddSellCommand(app, &exit_status);
  AddSimulateCommand(app, &exit_status);
  AddCheckLibraryCommand(app, &exit_status);
  AddStationWorkerCommand(app, &exit_status);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::ParseError& e) {
    std::string what = e.what();
    for (char& ch : what) {
      if (ch == '\n') ch = ' ';
    }
    std::fprintf(stderr, "zolt: %s (see zolt --help)\n", what.c_str());
    return kExitUsage;
  } catch (const UsageError& e) {
    std::fprintf(stderr, "zolt: %s\n", e.what());
    return kExitUsage;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "zolt: %s\n", e.what());
    return kExitUsage;
  }
  std::fflush(stdout);
  return exit_status;
}
