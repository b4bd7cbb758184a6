// Hourwise: estimates how the working day is spent. The data files live in
// the working directory; one copy of the program runs per folder.

#include "desktop.h"
#include "ending_signals.h"
#include "ledger.h"
#include "main_window.h"
#include "qt_prompts.h"

#include <QApplication>
#include <QDir>
#include <QLockFile>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    ApplyDesktopFonts();
    QtPrompts prompts;

    const QString folder = QDir::currentPath();
    QString lockProblem;
    const std::unique_ptr<QLockFile> lock = LockDataFolder(folder, &lockProblem);
    if (!lock) {
        prompts.StandardError(lockProblem);
        return 1;
    }

    Ledger ledger(folder, [] { return QDateTime::currentDateTime(); }, LocaleValues::fromSystem());
    EndingSignals endings(ledger);
    TForm1 form1(ledger, prompts);
    prompts.setParent(&form1);
    form1.CreateDialogs();
    form1.adjustSize();
    CenterOnScreen(form1);
    form1.show();
    const int result = app.exec();
    return form1.startupFailed() ? 1 : result;
}
