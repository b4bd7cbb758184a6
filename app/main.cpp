// Hourwise: estimates how the working day is spent. The data files live in
// the working directory; one copy of the program runs per folder, and a
// second start on the same folder brings the running window to the front.
// A command (--select, --stop, --status) reaches that copy's items instead.

#include "command_line.h"
#include "desktop_session.h"
#include "appearance.h"
#include "folder_lock.h"
#include "ending_signals.h"
#include "item_command.h"
#include "ledger.h"
#include "main_window.h"
#include "qt_prompts.h"
#include "sharing_session.h"
#include "single_instance.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QTimer>

#include <cstdio>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// The start-up load and the creation of the windows free much of what they
// allocate; the C library would keep those pages for later allocations,
// which a program that only ticks once a minute never makes.
void ReturnFreedStartupMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    const CommandLine commandLine = ParseCommandLine({argv + 1, argv + argc}, HOURWISE_VERSION);
    if (commandLine.action == CommandLine::Action::Print || commandLine.action == CommandLine::Action::Reject) {
        std::fputs(commandLine.text.c_str(), commandLine.action == CommandLine::Action::Print ? stdout : stderr);
        return commandLine.exitCode;
    }
    if (std::string problem; !EnterDataFolder(&problem)) {
        std::fputs(problem.c_str(), stderr);
        return 1;
    }
    if (commandLine.action == CommandLine::Action::Command) {
        // The running copy works in this computer's subfolder when sharing.
        if (const QString subfolder = SharingSession::SharedSubfolder(); !subfolder.isEmpty())
            QDir::setCurrent(subfolder);
        return RunItemCommand(commandLine, argv[0]);
    }

    QApplication app(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Hourwise"));
    ApplyDesktopFonts();
    ApplyDesktopStyle();
    QtPrompts prompts;

    // With a shared folder, this computer's subfolder there.
    QString sharingProblem;
    const QString folder = SharingSession::StartFolder(
        QDir::currentPath(), QString::fromLocal8Bit(commandLine.sharedFolder.c_str()), &sharingProblem);
    if (folder.isEmpty() || !QDir::setCurrent(folder)) {
        QApplication::setWindowIcon(HourwiseIcon());
        prompts.StandardError(sharingProblem.isEmpty() ? QStringLiteral("Cannot open folder \"%1\".").arg(folder)
                                                       : sharingProblem);
        return 1;
    }
    SingleInstance instance(folder);
    QString lockProblem;
    bool heldByRunningCopy = false;
    std::unique_ptr<QLockFile> lock = LockDataFolder(folder, &lockProblem, &heldByRunningCopy);
    if (!lock) {
        if (heldByRunningCopy && instance.AskRunningCopyToShow())
            return 0;
        if (heldByRunningCopy)
            lockProblem += QStringLiteral(", but it did not answer the request to show its window");
        QApplication::setWindowIcon(HourwiseIcon());
        prompts.StandardError(lockProblem);
        return 1;
    }
    if (const QString refusal = SharingSession::ClaimFolder(folder); !refusal.isEmpty()) {
        QApplication::setWindowIcon(HourwiseIcon());
        prompts.StandardError(refusal);
        return 1;
    }

    Ledger ledger(folder, [] { return QDateTime::currentDateTime(); }, LocaleValues::fromSystem());
    EndingSignals endings(ledger);
    TForm1 form1(ledger, prompts);
    prompts.setParent(&form1);
    auto *session = new DesktopSession(form1, ledger, prompts); // the window's child, ended with it
    auto *sharing = new SharingSession(form1, ledger, prompts, std::move(lock)); // the same
    QObject::connect(sharing, &SharingSession::folderChanged, &instance, &SingleInstance::MoveTo);
    // Commands are answered once the files are loaded: until then, and after
    // a start-up that could not load them, the command waits and then says
    // that Hourwise did not answer, rather than that it has no such item.
    QObject::connect(&form1, &TForm1::started, &instance,
                     [&instance, session] { instance.setItemCommands(session->itemCommands()); });
    QObject::connect(&instance, &SingleInstance::showRequested, &form1, [&form1] { BringToFront(form1); });
    form1.adjustSize();
    CenterOnScreen(form1);
    // What the first frame does not need waits for the event loop, which
    // runs once the window is up (or under a box that the start-up opens):
    // the icon's pictures, and the socket for later starts, which retry meanwhile.
    QTimer::singleShot(0, &instance, [&instance] {
        QApplication::setWindowIcon(HourwiseIcon());
        instance.Listen();
    });
    form1.show();
    ReturnFreedStartupMemory();
    const int result = app.exec();
    return form1.startupFailed() ? 1 : result;
}
