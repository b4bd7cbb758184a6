#pragma once

#include <string>
#include <vector>

// What the program's command line asks for. The program takes no arguments
// of its own beyond --help and --version; a session manager that restores
// the desktop session may add Qt's "-session ID", which is passed on to Qt.
// Everything is decided before the application object exists, so that
// answering an option needs no display and touches no file.
struct CommandLine {
    enum class Action { Run, Print, Reject };
    Action action = Action::Run;
    std::string text;  // what to print: help or version to stdout, a rejection to stderr
    int exitCode = 0;  // for Print and Reject
};

CommandLine ParseCommandLine(const std::vector<std::string> &arguments, const std::string &version);
