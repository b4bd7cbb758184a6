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
           "  --version  show the version and exit\n"
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
        const std::string name = QtOptionName(argument);
        if (QtFlags.count(name))
            continue;
        if (QtOptionsWithValue.count(name)) {
            if (++i == arguments.size())
                return Rejected(argument + " needs a value");
            continue;
        }
        const size_t equals = name.find('=');
        if (equals != std::string::npos && QtOptionsWithEquals.count(name.substr(0, equals)))
            continue;
        if (!argument.empty() && argument[0] == '-')
            return Rejected("unknown option '" + argument + "'");
        return Rejected("unexpected argument '" + argument + "'");
    }
    return {};
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
