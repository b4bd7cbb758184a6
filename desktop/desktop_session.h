#pragma once

#include <QObject>

class AwayWatch;
class Ledger;
class Prompts;
class TForm1;
class TrayIndicator;

// The main window's part in the desktop session: the tray indicator, and
// the away watch that asks about time spent away from the computer. Both
// act through the window's own handlers, so a choice in the tray is a click
// in the radio group. Made beside the window and ended before it.
class DesktopSession : public QObject {
    Q_OBJECT
public:
    DesktopSession(TForm1 &window, Ledger &ledger, Prompts &prompts);

    TrayIndicator *Tray = nullptr; // always there; its icon only where the desktop has a tray
    AwayWatch *Away = nullptr;     // null where the desktop reports no idle time

private:
    // Shows the tray icon and starts the away watch once the files are loaded.
    void watch();

    TForm1 &window_;
    Ledger &ledger_;
    Prompts &prompts_;
};
