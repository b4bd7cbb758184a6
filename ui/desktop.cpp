#include "desktop.h"

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLockFile>
#include <QScreen>
#include <QWidget>

void ApplyDesktopFonts()
{
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Century"), QStringLiteral("Liberation Serif"));
    QApplication::setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
}

std::unique_ptr<QLockFile> LockDataFolder(const QString &folder)
{
    auto lock = std::make_unique<QLockFile>(QDir(folder).filePath(QStringLiteral(".hourwise.lock")));
    lock->setStaleLockTime(0); // stale only when its process is gone, however long it ran
    if (!lock->tryLock(0))
        return nullptr;
    return lock;
}

void CenterOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}
