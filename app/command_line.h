#pragma once

#include <string>
#include <vector>

// What the program's command line asks for. The program's own arguments are
// --help, --version, --shared-folder DIR and the commands for a running copy
// (--select NAME, --stop, --status [--json]); Qt's standard options (a desktop passes
// "-session ID", a user "-style Fusion" or "-reverse") are passed on to Qt,
// and only what neither knows is refused.
// Everything is decided before the application object exists, so that
// answering an option needs no display and touches no file.
struct CommandLine {
    enum class Action { Run, Print, Reject, Command };
    enum class Command { Select, Stop, Status };
    Action action = Action::Run;
    std::string text;  // what to print: help or version to stdout, a rejection to stderr
    int exitCode = 0;  // for Print and Reject
    std::string sharedFolder; // for Run: the folder to share through, or empty

    // For Action::Command:
    Command command = Command::Status;
    std::string itemName; // for Select: the argument's bytes as given
    bool json = false;    // for Status
    // Qt's options among the arguments, in order, for a start that a command makes.
    std::vector<std::string> qtArguments;
};

CommandLine ParseCommandLine(const std::vector<std::string> &arguments, const std::string &version);

// For a start through the hourwise command, which names the data folder in
// HOURWISE_DATA_FOLDER: makes that folder when missing and makes it the
// working folder (the variable is not passed on to other programs). Without
// the variable the program works in the folder it was started in. Returns
// false, with the reason in *problem, when the folder cannot be made or entered.
bool EnterDataFolder(std::string *problem);
