#include "tray_indicator.h"

#include "ledger.h"
#include "line_file.h"

#include <QIcon>
#include <QMenu>
#include <QSystemTrayIcon>

namespace {

// A name as a menu entry's text: an ampersand stays an ampersand, not an access key.
QString entryText(const QString &name)
{
    return ReadableText(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

TrayIndicator::TrayIndicator(Ledger &ledger, TrayCommands commands, const QString &iconFile, QObject *parent)
    : QObject(parent), ledger_(ledger), commands_(std::move(commands)), menu_(std::make_unique<QMenu>()),
      iconFile_(iconFile)
{
    itemsEnd_ = menu_->addSeparator();
    nothingSelected_ = menu_->addAction(QStringLiteral("Nothing Selected"));
    nothingSelected_->setCheckable(true);
    connect(nothingSelected_, &QAction::triggered, this, [this] { choose(-1); });
    menu_->addSeparator();
    connect(menu_->addAction(QStringLiteral("Show Hourwise")), &QAction::triggered, this,
            [this] { commands_.showWindow(); });
    connect(menu_->addAction(QStringLiteral("Exit")), &QAction::triggered, this, [this] { commands_.exit(); });

    connect(&ledger_, &Ledger::itemsReloaded, this, &TrayIndicator::fillItems);
    connect(&ledger_, &Ledger::selectionChanged, this, &TrayIndicator::showSelection);
    connect(&ledger_, &Ledger::saved, this, &TrayIndicator::showSelection);
    fillItems();
}

TrayIndicator::~TrayIndicator() = default;

void TrayIndicator::showIcon()
{
    if (trayIcon_ || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    trayIcon_ = new QSystemTrayIcon(QIcon(iconFile_), this);
    trayIcon_->setContextMenu(menu_.get());
    trayIcon_->setToolTip(toolTip_);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            commands_.showWindow();
    });
    trayIcon_->show();
}

void TrayIndicator::fillItems()
{
    qDeleteAll(itemActions_);
    itemActions_.clear();
    const QStringList &names = ledger_.state().ItemTable.Names;
    for (int i = 0; i < names.size(); ++i) {
        auto *action = new QAction(entryText(names.at(i)), menu_.get());
        action->setCheckable(true);
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
        menu_->insertAction(itemsEnd_, action);
        itemActions_.append(action);
    }
    showSelection();
}

void TrayIndicator::choose(int index)
{
    commands_.select(index);
    // A checkable entry toggles itself when chosen; the ledger says what is checked.
    showSelection();
}

void TrayIndicator::showSelection()
{
    const LedgerState &state = ledger_.state();
    const int checked = state.CheckedIndex;
    for (int i = 0; i < itemActions_.size(); ++i)
        itemActions_.at(i)->setChecked(i == checked);
    nothingSelected_->setChecked(checked < 0);
    toolTip_ = checked >= 0 && checked < state.ItemCount
        ? QStringLiteral("Hourwise: \"%1\" checked, %2 min today")
              .arg(ReadableText(state.ItemTable.Names.at(checked)))
              .arg(state.ItemTable.TodayMinutes.at(checked))
        : QStringLiteral("Hourwise: Nothing Selected");
    if (trayIcon_)
        trayIcon_->setToolTip(toolTip_);
}
