#pragma once

#include "single_instance.h"

#include <QObject>

class AwayWatch;
class BusService;
class Ledger;
class Prompts;
class TForm1;
class TrayIndicator;

// The main window's part in the desktop session: the tray indicator, the
// away watch that asks about time spent away from the computer, and the
// commands from outside (the socket's, the session bus's). All act through
// the window's own handlers, so a choice in the tray or a command's select
// is a click in the radio group. Made beside the window and ended before it.
class DesktopSession : public QObject {
    Q_OBJECT
public:
    DesktopSession(TForm1 &window, Ledger &ledger, Prompts &prompts);

    TrayIndicator *Tray = nullptr; // always there; its icon only where the desktop has a tray
    AwayWatch *Away = nullptr;     // null where the desktop reports no idle time
    BusService *Bus = nullptr;     // null where the desktop names no session bus

    // The commands from outside, for the socket and the session bus.
    ItemCommands itemCommands();

private:
    // Checks the item at index (-1: "Nothing Selected") as a click does.
    void click(int index);
    // Shows the tray icon, starts the away watch and offers the commands on
    // the session bus once the files are loaded.
    void watch();

    TForm1 &window_;
    Ledger &ledger_;
    Prompts &prompts_;
};
