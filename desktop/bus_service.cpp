#include "bus_service.h"

#include "ledger.h"
#include "line_file.h"

#include <QDBusConnection>

BusService *BusService::Offer(Ledger &ledger, ItemCommands commands, QObject *parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return nullptr;
    auto *service = new BusService(ledger, std::move(commands), parent);
    bus.registerObject(ObjectPath, service, QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
    bus.registerService(ServiceName);
    return service;
}

BusService::BusService(Ledger &ledger, ItemCommands commands, QObject *parent)
    : QObject(parent), commands_(std::move(commands)), reported_(busStatus())
{
    // A tick credits a minute and saves; a selection or a reload changes the checked item.
    connect(&ledger, &Ledger::saved, this, &BusService::reportChange);
    connect(&ledger, &Ledger::itemsReloaded, this, &BusService::reportChange);
    connect(&ledger, &Ledger::selectionChanged, this, &BusService::reportChange);
}

ItemStatus BusService::busStatus() const
{
    ItemStatus status = commands_.status();
    for (QString &name : status.names)
        name = ReadableText(name);
    return status;
}

void BusService::Select(const QString &name)
{
    const ItemStatus shown = busStatus();
    const int index = FindItem(shown.names, name);
    if (index < 0 || !commands_.select(commands_.status().names.at(index)))
        sendErrorReply(QStringLiteral("org.example.Hourwise.Error.UnknownItem"),
                       QStringLiteral("No item is named \"%1\".").arg(name));
}

void BusService::Stop()
{
    commands_.stop();
}

int BusService::Status(QStringList &names, QList<int> &todayMinutes)
{
    const ItemStatus status = busStatus();
    names = status.names;
    todayMinutes = status.todayMinutes;
    return status.checked;
}

void BusService::reportChange()
{
    const ItemStatus status = busStatus();
    if (status == reported_)
        return;
    reported_ = status;
    emit StatusChanged(status.checked, status.names, status.todayMinutes);
}
