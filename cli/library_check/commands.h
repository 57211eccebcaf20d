// check-library. Each adds itself to the program's command line; its callback
// stores the command's exit status in *exit_status.
#ifndef ZOLT_CLI_LIBRARY_CHECK_COMMANDS_H_
#define ZOLT_CLI_LIBRARY_CHECK_COMMANDS_H_

namespace CLI {
class App;
}

namespace zolt::cli {

void AddCheckLibraryCommand(CLI::App& app, int* exit_status);

}  // namespace zolt::cli

#endif  // ZOLT_CLI_LIBRARY_CHECK_COMMANDS_H_
