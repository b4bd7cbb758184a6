#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <memory>

// Whether the desktop has a tray, followed as trays come and go: a
// StatusNotifier host announced by the org.kde.StatusNotifierWatcher service
// on the session bus, or an X11 system tray (the owner of the
// _NET_SYSTEM_TRAY_S<screen> selection, announced by a MANAGER message on the
// root window). Both are learnt from the events that announce them, so the
// watch costs nothing while nothing changes. Needs the QGuiApplication.
class TrayPresence : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit TrayPresence(QObject *parent = nullptr);
    ~TrayPresence() override;

    bool available() const { return statusNotifierHost_ || x11TrayWindow_ != 0; }

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

signals:
    // A tray came, went, or was replaced by another.
    void changed();

private slots:
    void checkStatusNotifierHost();

private:
    void watchStatusNotifierHost();
    void watchX11Tray();
    void checkX11Tray();

    struct X11Atoms;
    std::unique_ptr<X11Atoms> x11_;
    bool statusNotifierHost_ = false;
    unsigned long x11TrayWindow_ = 0;
};
