#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Ledger;
class QAction;
class QActionGroup;
class QMenu;
class QSystemTrayIcon;
class TrayPresence;

// What the tray's menu asks of the main window.
struct TrayCommands {
    std::function<void(int)> select; // check this item (-1: "Nothing Selected") as a click in the window does
    std::function<void()> showWindow; // show and raise the main window
    std::function<void()> exit;       // the Exit command
};

// The program in the desktop's tray: its tooltip names the checked item and
// its minutes today; its menu lists the items and "Nothing Selected" as one
// radio choice, then "Show Hourwise" and "Exit"; a left click shows the main
// window. Menu and tooltip follow the ledger's signals. The icon is shown
// while the desktop has a tray, from showIcon on; it never keeps the
// program alive.
class TrayIndicator : public QObject {
    Q_OBJECT
public:
    // makeIcon: the icon, in the sizes a tray may ask for, made only when the
    // icon is shown (reading its pictures loads Qt's image format plugins,
    // which the window need not wait for).
    TrayIndicator(Ledger &ledger, TrayCommands commands, std::function<QIcon()> makeIcon, QObject *parent = nullptr);
    ~TrayIndicator() override;

    // Shows the icon in the desktop's tray, now or whenever a tray comes up,
    // and takes it away when the tray goes. Asks the session bus and the X
    // server: called once the main window is up.
    void showIcon();

    QMenu *menu() const { return menu_.get(); }
    QString toolTip() const { return toolTip_; }
    // Null while the desktop has no tray.
    QSystemTrayIcon *trayIcon() const { return trayIcon_; }

private:
    void followTray();
    void fillItems();
    void showSelection();
    void choose(int index);

    Ledger &ledger_;
    TrayCommands commands_;
    std::unique_ptr<QMenu> menu_;
    QActionGroup *choices_; // the items and "Nothing Selected": one checked
    QList<QAction *> itemActions_;
    QAction *itemsEnd_;
    QAction *nothingSelected_;
    QString toolTip_;
    std::function<QIcon()> makeIcon_;
    std::unique_ptr<TrayPresence> tray_;
    QSystemTrayIcon *trayIcon_ = nullptr;
};
