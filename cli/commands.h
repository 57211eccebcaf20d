// The zolt commands. Each adds itself to the program's command line; its
// callback stores the command's exit status in *exit_status.
#ifndef ZOLT_CLI_COMMANDS_H_
#define ZOLT_CLI_COMMANDS_H_

namespace CLI {
class App;
}

namespace zolt::cli {

void AddStatusCommand(CLI::App& app, int* exit_status);
void AddTablesCommand(CLI::App& app, int* exit_status);
void AddVerifyCommand(CLI::App& app, int* exit_status);
void AddSellCommand(CLI::App& app, int* exit_status);
void AddSimulateCommand(CLI::App& app, int* exit_status);
void AddCheckLibraryCommand(CLI::App& app, int* exit_status);
// The station process that `simulate` starts (hidden from --help).
void AddStationWorkerCommand(CLI::App& app, int* exit_status);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_COMMANDS_H_
