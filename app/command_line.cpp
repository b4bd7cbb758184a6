#include "command_line.h"

#include <QByteArray>
#include <QDir>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

std::string HelpText()
{
    return "Usage: hourwise [--help | --version | --shared-folder DIR]\n"
           "       hourwise --select NAME | --stop | --status [--json]\n"
           "Hourwise estimates how you spend your working day: check the item you are\n"
           "working on, and every minute it is credited to that item.\n"
           "\n"
           "The hourwise command starts the program in its data folder,\n"
           "$XDG_DATA_HOME/hourwise (by default ~/.local/share/hourwise), and creates\n"
           "that folder when it is missing. The program keeps data.txc,\n"
           "completedata.txc and help.txc there. Starting Hourwise again while it runs\n"
           "brings its window to the front.\n"
           "\n"
           "  --help           show this help and exit\n"
           "  --version        show the version and exit\n"
           "  --select NAME    check the item named exactly NAME in the running Hourwise\n"
           "  --stop           check \"Nothing Selected\" in the running Hourwise\n"
           "  --status         print the checked item and today's minutes per item\n"
           "  --status --json  the same as JSON\n"
           "  --shared-folder DIR\n"
           "                   share the record with other computers through DIR, a\n"
           "                   folder that a sync tool keeps in step: this computer's\n"
           "                   files move into a subfolder of its own, and every view\n"
           "                   counts every computer's minutes. Remembered in\n"
           "                   ~/.config/hourwise/hourwise.conf.\n"
           "\n"
           "--select and --stop start Hourwise first when it is not running. Exit\n"
           "status: 0 done, 1 Hourwise could not be reached or started, 2 bad usage,\n"
           "3 no item has that name.\n"
           "\n"
           "Qt's standard options (-style, -platform, -display, -reverse, ...) are\n"
           "accepted and passed on to Qt.\n";
}

// The options that QApplication takes out of the command line itself (with
// their xcb platform's). Qt reads each with one dash or two.
const std::set<std::string> QtOptionsWithValue = {
    "style", "stylesheet", "platform", "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon", "qwindowtitle", "session", "display", "geometry",
    "name", "title", "visual"};
const std::set<std::string> QtFlags = {"reverse", "widgetcount", "testability", "nograb", "dograb", "sync"};
// Options that Qt reads only in the form -option=value.
const std::set<std::string> QtOptionsWithEquals = {"style", "stylesheet", "qmljsdebugger", "dialogs", "fontengine"};

// The option's name without its dashes, or "" when the argument is no option.
std::string QtOptionName(const std::string &argument)
{
    if (argument.size() < 2 || argument[0] != '-')
        return {};
    return argument.substr(argument[1] == '-' ? 2 : 1);
}

// A command line answered without a start: text printed, then the exit code.
CommandLine Answered(CommandLine::Action action, const std::string &text, int exitCode)
{
    CommandLine answered;
    answered.action = action;
    answered.text = text;
    answered.exitCode = exitCode;
    return answered;
}

CommandLine Rejected(const std::string &message)
{
    return Answered(CommandLine::Action::Reject, "hourwise: " + message + " (try 'hourwise --help')\n", 2);
}

// Takes up a command option at arguments[i] (moving i past its value);
// false when the argument is none. Sets problem for a missing or empty name
// and a second command.
bool TakeCommand(const std::vector<std::string> &arguments, size_t &i, CommandLine &line, int &commands,
                 std::string *problem)
{
    const std::string &argument = arguments[i];
    const std::string selectEquals = "--select=";
    if (argument == "--select" || argument.compare(0, selectEquals.size(), selectEquals) == 0) {
        if (argument == "--select" && ++i == arguments.size()) {
            *problem = "--select needs the name of an item";
            return true;
        }
        line.command = CommandLine::Command::Select;
        line.itemName = argument == "--select" ? arguments[i] : argument.substr(selectEquals.size());
        if (line.itemName.empty())
            *problem = "--select needs the name of an item";
    } else if (argument == "--stop") {
        line.command = CommandLine::Command::Stop;
    } else if (argument == "--status") {
        line.command = CommandLine::Command::Status;
    } else if (argument == "--json") {
        line.json = true;
        return true;
    } else {
        return false;
    }
    if (++commands > 1)
        *problem = "give one of --select, --stop and --status";
    return true;
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &arguments, const std::string &version)
{
    CommandLine line;
    int commands = 0;
    std::string problem;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &argument = arguments[i];
        if (argument == "--help" || argument == "-h")
            return Answered(CommandLine::Action::Print, HelpText(), 0);
        if (argument == "--version")
            return Answered(CommandLine::Action::Print, "Hourwise " + version + "\n", 0);
        if (argument == "--shared-folder") {
            if (++i == arguments.size() || arguments[i].empty())
                return Rejected(argument + " needs a folder");
            line.sharedFolder = arguments[i];
            continue;
        }
        if (TakeCommand(arguments, i, line, commands, &problem)) {
            if (!problem.empty())
                return Rejected(problem);
            continue;
        }
        const std::string name = QtOptionName(argument);
        if (QtFlags.count(name)) {
            line.qtArguments.push_back(argument);
            continue;
        }
        if (QtOptionsWithValue.count(name)) {
            if (++i == arguments.size())
                return Rejected(argument + " needs a value");
            line.qtArguments.insert(line.qtArguments.end(), {argument, arguments[i]});
            continue;
        }
        const size_t equals = name.find('=');
        if (equals != std::string::npos && QtOptionsWithEquals.count(name.substr(0, equals))) {
            line.qtArguments.push_back(argument);
            continue;
        }
        if (!argument.empty() && argument[0] == '-')
            return Rejected("unknown option '" + argument + "'");
        return Rejected("unexpected argument '" + argument + "'");
    }
    if (line.json && (commands == 0 || line.command != CommandLine::Command::Status))
        return Rejected("--json goes with --status");
    if (commands > 0)
        line.action = CommandLine::Action::Command;
    return line;
}

bool EnterDataFolder(std::string *problem)
{
    const QByteArray folder = qgetenv("HOURWISE_DATA_FOLDER");
    if (folder.isEmpty())
        return true;
    unsetenv("HOURWISE_DATA_FOLDER");
    const QString path = QString::fromLocal8Bit(folder);
    if (QDir().mkpath(path) && QDir::setCurrent(path))
        return true;
    *problem = "hourwise: cannot use the data folder " + folder.toStdString() + ": " + std::strerror(errno) + "\n";
    return false;
}
