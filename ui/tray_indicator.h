#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Ledger;
class QAction;
class QMenu;
class QSystemTrayIcon;

// What the tray's menu asks of the main window.
struct TrayCommands {
    std::function<void(int)> select; // check this item (-1: "Nothing Selected") as a click in the window does
    std::function<void()> showWindow; // show and raise the main window
    std::function<void()> exit;       // the Exit command
};

// The program in the desktop's tray: its tooltip names the checked item and
// its minutes today; its menu lists the items as checkable entries, then
// "Nothing Selected", "Show Hourwise" and "Exit"; a left click shows the
// main window. Menu and tooltip follow the ledger's signals. The icon is
// shown by showIcon, only where the desktop has a tray; it never keeps the
// program alive.
class TrayIndicator : public QObject {
    Q_OBJECT
public:
    // iconFile: the icon's picture, read only when the icon is shown (reading
    // a picture loads Qt's image format plugins, which the window need not wait for).
    TrayIndicator(Ledger &ledger, TrayCommands commands, const QString &iconFile, QObject *parent = nullptr);
    ~TrayIndicator() override;

    // Looks for the desktop's tray, which may ask the session bus, and shows
    // the icon there. Called once the main window is up.
    void showIcon();

    QMenu *menu() const { return menu_.get(); }
    QString toolTip() const { return toolTip_; }
    // Null where the desktop has no tray.
    QSystemTrayIcon *trayIcon() const { return trayIcon_; }

private:
    void fillItems();
    void showSelection();
    void choose(int index);

    Ledger &ledger_;
    TrayCommands commands_;
    std::unique_ptr<QMenu> menu_;
    QList<QAction *> itemActions_;
    QAction *itemsEnd_;
    QAction *nothingSelected_;
    QString toolTip_;
    QString iconFile_;
    QSystemTrayIcon *trayIcon_ = nullptr;
};
