#pragma once

#include "command_line.h"

// Runs a command of the command line (--select, --stop, --status) against
// the copy of Hourwise that runs on the working folder, starting one first
// for --select and --stop when none runs. Prints one line that tells the
// outcome (for --status, the status) and returns the exit status: 0 done,
// 1 Hourwise could not be reached or started, 3 no item has the name.
// program: the name the program was started by, for the copy it starts.
int RunItemCommand(const CommandLine &line, const char *program);
