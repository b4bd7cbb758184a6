#pragma once

#include <string>
#include <vector>

// What the program's command line asks for. The program takes no arguments
// of its own beyond --help and --version; Qt's standard options (a desktop
// passes "-session ID", a user "-style Fusion" or "-reverse") are passed on
// to Qt, and only what neither knows is refused.
// Everything is decided before the application object exists, so that
// answering an option needs no display and touches no file.
struct CommandLine {
    enum class Action { Run, Print, Reject };
    Action action = Action::Run;
    std::string text;  // what to print: help or version to stdout, a rejection to stderr
    int exitCode = 0;  // for Print and Reject
};

CommandLine ParseCommandLine(const std::vector<std::string> &arguments, const std::string &version);

// For a start through the hourwise command, which names the data folder in
// HOURWISE_DATA_FOLDER: makes that folder when missing and makes it the
// working folder (the variable is not passed on to other programs). Without
// the variable the program works in the folder it was started in. Returns
// false, with the reason in *problem, when the folder cannot be made or entered.
bool EnterDataFolder(std::string *problem);
