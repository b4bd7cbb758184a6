#include "app_icon.h"

#include <QDir>

QIcon HourwiseIcon()
{
    QIcon icon;
    const QDir icons(QStringLiteral(":/icons"));
    for (const QString &name : icons.entryList({QStringLiteral("hourwise-*.png")}))
        icon.addFile(icons.filePath(name));
    return icon;
}
