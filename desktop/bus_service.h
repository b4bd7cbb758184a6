#pragma once

#include "single_instance.h"

#include <QDBusContext>
#include <QList>
#include <QObject>
#include <QStringList>

class Ledger;

// The commands on the session bus, as desktop programs offer theirs: the
// name org.example.Hourwise, the object /org/example/Hourwise, its
// interface org.example.Hourwise:
//   Select(s name)      checks the item of that name as a click does; the
//                       error org.example.Hourwise.Error.UnknownItem when none has it
//   Stop()              checks "Nothing Selected"
//   Status() -> (i checked, as names, ai todayMinutes)
//                       the checked item's position (-1 for none), the item
//                       names and their minutes today, in item order
//   signal StatusChanged(i checked, as names, ai todayMinutes)
//                       the same, whenever the checked item or today's minutes change
// Names on the bus are text: a byte of a stored name that is not UTF-8
// appears as its Latin-1 character, and Select takes a name as Status gives
// it. The session bus admits only its user's programs.
class BusService : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.example.Hourwise")
public:
    static inline const QString ServiceName = QStringLiteral("org.example.Hourwise");
    static inline const QString ObjectPath = QStringLiteral("/org/example/Hourwise");

    // Puts the object on the session bus and asks for the name, which stays
    // with a copy that took it first (on another data folder). Null when
    // there is no session bus.
    static BusService *Offer(Ledger &ledger, ItemCommands commands, QObject *parent);

public slots:
    void Select(const QString &name);
    void Stop();
    int Status(QStringList &names, QList<int> &todayMinutes);

signals:
    void StatusChanged(int checked, const QStringList &names, const QList<int> &todayMinutes);

private:
    BusService(Ledger &ledger, ItemCommands commands, QObject *parent);
    // The status with the names as the bus shows them.
    ItemStatus busStatus() const;
    void reportChange();

    ItemCommands commands_;
    ItemStatus reported_;
};
