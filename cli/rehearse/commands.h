// The commands that sell: sell, simulate (and the station process it starts,
// hidden from --help). Each adds itself to the program's command line; its
// callback stores the command's exit status in *exit_status.
#ifndef ZOLT_CLI_REHEARSE_COMMANDS_H_
#define ZOLT_CLI_REHEARSE_COMMANDS_H_

namespace CLI {
class App;
}

namespace zolt::cli {

void AddSellCommand(CLI::App& app, int* exit_status);
void AddSimulateCommand(CLI::App& app, int* exit_status);
void AddStationWorkerCommand(CLI::App& app, int* exit_status);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_REHEARSE_COMMANDS_H_
