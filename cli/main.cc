// zolt: the site tool. Shows, checks and rehearses everything the PIN
// library decides at a station, without a point-of-sale program.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cli/common/command_line.h"
#include "cli/show/commands.h"
#include "cli/library_check/commands.h"
#include "cli/rehearse/commands.h"

namespace {

using namespace zolt::cli;

constexpr char kVersion[] = "zolt 20.0.0";

constexpr char kDescription[] =
    "zolt: the site tool of the Ostrel PIN system. It reads a station's "
    "settings file (OstrelZOLTDLL.dta) and the day's PIN tables in the shared "
    "data folder, and runs the PIN library's own code on them: to show what "
    "the library would answer, to check a PIN, to sell baskets as a "
    "point-of-sale program would, to rehearse many stations at once, and to "
    "check the installed library itself.";

// The edit distance of two names, for the nearest command.
size_t Distance(const std::string& a, const std::string& b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = up;
    }
  }
  return row[b.size()];
}

std::vector<CLI::App*> All(CLI::App& app) {
  return app.get_subcommands(
      std::function<bool(CLI::App*)>([](CLI::App*) { return true; }));
}

// The commands listed in the help (the hidden station process left out).
std::vector<std::string> Commands(CLI::App& app) {
  std::vector<std::string> names;
  for (const CLI::App* sub : All(app)) {
    if (!sub->get_group().empty()) names.push_back(sub->get_name());
  }
  return names;
}

CLI::App* FindCommand(CLI::App& app, const std::string& name) {
  for (CLI::App* sub : All(app)) {
    if (sub->get_name() == name) return sub;
  }
  return nullptr;
}

// "unknown command "stauts"; did you mean "status"?"
std::string Unknown(CLI::App& app, const std::string& name) {
  std::string nearest;
  size_t best = 0;
  for (const std::string& c : Commands(app)) {
    const size_t d = Distance(name, c);
    if (nearest.empty() || d < best) {
      nearest = c;
      best = d;
    }
  }
  std::string text = "unknown command \"" + name + "\"";
  if (!nearest.empty() && best <= std::max<size_t>(2, nearest.size() / 2)) {
    text += "; did you mean \"" + nearest + "\"?";
  }
  return text + " (see zolt help)";
}

int Fail(const std::string& command, const std::string& what, int status) {
  PrintError(command, what);
  return status;
}

// Every command, and "help" (returned) whose topic goes to *help_topic.
CLI::App* AddCommands(CLI::App& app, int* exit_status, std::string* help_topic) {
  app.set_version_flag("--version", kVersion);
  app.footer(std::string(kExitStatusHelp) +
             "\n\nRun \"zolt help COMMAND\" (or \"zolt COMMAND --help\") for "
             "the options and the details of a command.");
  app.require_subcommand(1);
  AddStatusCommand(app, exit_status);
  AddTablesCommand(app, exit_status);
  AddVerifyCommand(app, exit_status);
  AddSellCommand(app, exit_status);
  AddSimulateCommand(app, exit_status);
  AddCheckLibraryCommand(app, exit_status);
  AddStationWorkerCommand(app, exit_status);
  CLI::App* help = app.add_subcommand(
      "help", "the options and details of zolt or of one command");
  help->add_option("COMMAND", *help_topic, "the command to describe");
  return help;
}

// Parses the command line, which runs the command: nothing when it ran (or
// "help" was parsed), else the exit status of what was printed instead
// (help, the version, or a message).
std::optional<int> ParseAndRun(CLI::App& app, int argc, char** argv, bool named,
                               const std::string& command) {
  const std::string see =
      command.empty() ? " (see zolt help)" : " (see zolt help " + command + ")";
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForAllHelp& e) {
    return app.exit(e);
  } catch (const CLI::CallForVersion& e) {
    return app.exit(e);
  } catch (const CLI::RequiredError& e) {
    if (!named) return Fail("", "a command is required" + see, kExitUsage);
    return Fail(command, e.what() + see, kExitUsage);
  } catch (const CLI::ParseError& e) {
    std::string what = e.what();
    std::replace(what.begin(), what.end(), '\n', ' ');
    return Fail(command, what + see, kExitUsage);
  } catch (const UsageError& e) {
    return Fail(command, e.what() + see, kExitUsage);
  } catch (const InputError& e) {
    return Fail(command, e.what(), kExitUsage);
  } catch (const SiteError& e) {
    return Fail(command, e.what(), kExitFailure);
  } catch (const std::exception& e) {
    return Fail(command, e.what(), kExitUsage);
  }
  return std::nullopt;
}

// "zolt help [COMMAND]".
int ShowHelp(CLI::App& app, CLI::App* help, const std::string& help_topic) {
  app.clear();  // else the help of the parsed "help" itself is shown
  if (help_topic.empty()) {
    std::fputs(app.help().c_str(), stdout);
    return kExitOk;
  }
  CLI::App* topic = FindCommand(app, help_topic);
  if (topic == nullptr || topic == help || topic->get_group().empty()) {
    return Fail("help", Unknown(app, help_topic), kExitUsage);
  }
  std::fputs(topic->help().c_str(), stdout);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app(kDescription, "zolt");
  int exit_status = kExitOk;
  std::string help_topic;
  CLI::App* help = AddCommands(app, &exit_status, &help_topic);

  // The command named first, which every message names.
  const std::string first = argc > 1 ? argv[1] : "";
  const bool named = !first.empty() && first[0] != '-';
  if (named && FindCommand(app, first) == nullptr) {
    return Fail("", Unknown(app, first), kExitUsage);
  }
  const std::string command = named && first != "help" ? first : "";
  if (const std::optional<int> ended = ParseAndRun(app, argc, argv, named, command)) {
    return *ended;
  }
  if (help->parsed()) return ShowHelp(app, help, help_topic);
  std::fflush(stdout);
  return exit_status;
}
