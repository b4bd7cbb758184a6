#include "desktop_session.h"

#include "away_question.h"
#include "appearance.h"
#include "away_watch.h"
#include "bus_service.h"
#include "idle_source.h"
#include "ledger.h"
#include "main_window.h"
#include "radio_group.h"
#include "session_bus.h"
#include "tray_indicator.h"

#include <QRadioButton>
#include <QTimer>

DesktopSession::DesktopSession(TForm1 &window, Ledger &ledger, Prompts &prompts)
    : QObject(&window), window_(window), ledger_(ledger), prompts_(prompts)
{
    TrayCommands commands;
    commands.select = [this](int index) { click(index); };
    commands.showWindow = [this] {
        window_.setWindowState(window_.windowState() & ~Qt::WindowMinimized);
        window_.show();
        window_.raise();
        window_.activateWindow();
    };
    commands.exit = [this] { window_.Button1Click(); };
    Tray = new TrayIndicator(ledger_, commands, HourwiseIcon, this);
    connect(&window_, &TForm1::started, this, &DesktopSession::watch);
}

void DesktopSession::click(int index)
{
    if (index < window_.RG1->count())
        (index < 0 ? window_.RadioButton1 : window_.RG1->button(index))->click();
}

ItemCommands DesktopSession::itemCommands()
{
    ItemCommands commands;
    commands.select = [this](const QString &name) {
        const int index = FindItem(ledger_.state().ItemTable.Names, name);
        if (index >= 0)
            click(index);
        return index >= 0;
    };
    commands.stop = [this] { click(-1); };
    commands.status = [this] { return ItemStatus::of(ledger_.state()); };
    return commands;
}

void DesktopSession::watch()
{
    Tray->showIcon();
    if (SessionBusKnown())
        Bus = BusService::Offer(ledger_, itemCommands(), this);
    if (std::unique_ptr<IdleSource> idle = CreateDesktopIdleSource()) {
        Away = new AwayWatch(ledger_, std::move(idle), this);
        connect(window_.Timer1, &QTimer::timeout, Away, &AwayWatch::MinuteTicked); // after Timer1Timer's tick
        connect(Away, &AwayWatch::awayEnded, this,
                [this](const AwaySpan &span) { AwayQuestion::Ask(span, *Away, prompts_, &window_); });
    }
}
