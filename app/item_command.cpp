#include "item_command.h"

#include "single_instance.h"

#include <QDir>

#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

// How long a command waits for the copy it started to answer: the start-up
// loads the files and shows the window first.
constexpr int kStartWaitMs = 10000;

// Starts the program on the working folder, apart from this process: in a
// session of its own, so that closing the terminal does not end it, and
// with /dev/null for its standard files, so that a script that reads this
// command's output does not wait for the program to end. Returns its
// process id, or -1.
pid_t startProgram(const char *program, const std::vector<std::string> &qtArguments)
{
    std::vector<char *> argv{const_cast<char *>(program)};
    for (const std::string &argument : qtArguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t files;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&files, 1, 2);
    pid_t pid = -1;
    if (posix_spawn(&pid, "/proc/self/exe", &files, &attributes, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    return pid;
}

ItemRequest requestOf(const CommandLine &line)
{
    switch (line.command) {
    case CommandLine::Command::Select:
        return {ItemRequest::Kind::Select, QByteArray::fromStdString(line.itemName)};
    case CommandLine::Command::Stop:
        return {ItemRequest::Kind::Stop, {}};
    case CommandLine::Command::Status:
        break;
    }
    return {};
}

int fail(const QByteArray &message, int status)
{
    std::fputs(("hourwise: " + message + '\n').constData(), stderr);
    return status;
}

// A name as the one line of a message shows it: control characters, which
// no item name holds, as "?".
QByteArray shownName(QByteArray name)
{
    for (char &c : name)
        c = uchar(c) < 0x20 ? '?' : c;
    return name;
}

} // namespace

int RunItemCommand(const CommandLine &line, const char *program)
{
    const QString folder = QDir::currentPath();
    const QByteArray shownFolder = QFile::encodeName(QDir::toNativeSeparators(folder));
    const ItemRequest request = requestOf(line);
    ItemAnswer answer = SingleInstance(folder).AskItemCommand(request);
    if (answer.outcome == ItemAnswer::Outcome::NoneRuns && request.kind != ItemRequest::Kind::Status) {
        const pid_t started = startProgram(program, line.qtArguments);
        if (started < 0)
            return fail("Hourwise could not be started in " + shownFolder, 1);
        // Tries again while the copy it started is still coming up.
        answer = SingleInstance(folder, kStartWaitMs).AskItemCommand(request, [started] {
            return ::waitpid(started, nullptr, WNOHANG) == 0;
        });
        if (answer.outcome == ItemAnswer::Outcome::NoneRuns)
            return fail("Hourwise could not be started in " + shownFolder, 1);
    }
    switch (answer.outcome) {
    case ItemAnswer::Outcome::Done:
        break;
    case ItemAnswer::Outcome::UnknownItem:
        return fail("no item is named \"" + shownName(request.name) + '"', 3);
    case ItemAnswer::Outcome::NoneRuns:
        return fail("Hourwise is not running in " + shownFolder, 1);
    case ItemAnswer::Outcome::NoAnswer:
        return fail("Hourwise in " + shownFolder + " did not answer", 1);
    }
    const QByteArray out = request.kind != ItemRequest::Kind::Status ? CheckedLine(answer.status)
        : line.json                                                  ? StatusJson(answer.status)
                                                                     : StatusText(answer.status);
    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
    return 0;
}
