#include "command_line.h"

namespace {

std::string HelpText()
{
    return "Usage: hourwise [--help | --version]\n"
           "Hourwise estimates how you spend your working day: check the item you are\n"
           "working on, and every minute it is credited to that item.\n"
           "\n"
           "The hourwise command starts the program in its data folder,\n"
           "$XDG_DATA_HOME/hourwise (by default ~/.local/share/hourwise), and creates\n"
           "that folder when it is missing. The program keeps data.txc,\n"
           "completedata.txc and help.txc there. Starting Hourwise again while it runs\n"
           "brings its window to the front.\n"
           "\n"
           "  --help     show this help and exit\n"
           "  --version  show the version and exit\n";
}

CommandLine Rejected(const std::string &message)
{
    return {CommandLine::Action::Reject, "hourwise: " + message + " (try 'hourwise --help')\n", 2};
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &arguments, const std::string &version)
{
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h")
            return {CommandLine::Action::Print, HelpText(), 0};
        if (argument == "--version")
            return {CommandLine::Action::Print, "Hourwise " + version + "\n", 0};
        if (argument == "-session") {
            if (++i == arguments.size())
                return Rejected("-session needs a session id");
            continue;
        }
        if (!argument.empty() && argument[0] == '-')
            return Rejected("unknown option '" + argument + "'");
        return Rejected("unexpected argument '" + argument + "'");
    }
    return {};
}
