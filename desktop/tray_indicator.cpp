#include "tray_indicator.h"

#include "ledger.h"
#include "line_file.h"
#include "tray_presence.h"

#include <QActionGroup>
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

TrayIndicator::TrayIndicator(Ledger &ledger, TrayCommands commands, std::function<QIcon()> makeIcon,
                             QObject *parent)
    : QObject(parent), ledger_(ledger), commands_(std::move(commands)), menu_(std::make_unique<QMenu>()),
      choices_(new QActionGroup(this)), makeIcon_(std::move(makeIcon))
{
    itemsEnd_ = menu_->addSeparator();
    nothingSelected_ = menu_->addAction(QStringLiteral("Nothing Selected"));
    nothingSelected_->setCheckable(true);
    choices_->addAction(nothingSelected_);
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
    if (tray_)
        return;
    tray_ = std::make_unique<TrayPresence>();
    connect(tray_.get(), &TrayPresence::changed, this, &TrayIndicator::followTray);
    followTray();
}

// A new icon for every change: Qt's icon attaches to the tray that is there
// when it is made. It is made only while a tray is there, since Qt decides
// once, at its first icon, whether its icons use the StatusNotifier protocol.
void TrayIndicator::followTray()
{
    delete trayIcon_;
    trayIcon_ = nullptr;
    if (!tray_->available())
        return;
    trayIcon_ = new QSystemTrayIcon(makeIcon_(), this);
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
        choices_->addAction(action);
        connect(action, &QAction::triggered, this, [this, i] { choose(i); });
        menu_->insertAction(itemsEnd_, action);
        itemActions_.append(action);
    }
    showSelection();
}

void TrayIndicator::choose(int index)
{
    commands_.select(index);
    // The ledger says what is checked: a choice the window refuses leaves the old one.
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
