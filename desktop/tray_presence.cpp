#include "tray_presence.h"

#include "session_bus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>

#include <X11/Xlib.h>
#include <xcb/xproto.h>

namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// Asked only when the watcher comes, goes or reports a host: a short wait at most.
constexpr int kDBusTimeoutMs = 500;

// Adds to the events this program receives from a window, keeping those Qt chose.
bool addEvents(Display *display, Window window, long mask)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes))
        return false;
    XSelectInput(display, window, attributes.your_event_mask | mask);
    return true;
}

} // namespace

struct TrayPresence::X11Atoms {
    Display *display;
    Atom selection; // _NET_SYSTEM_TRAY_S<screen>, owned by the tray
    Atom manager;   // the message type a new owner announces itself with
};

TrayPresence::TrayPresence(QObject *parent) : QObject(parent)
{
    watchStatusNotifierHost();
    watchX11Tray();
}

TrayPresence::~TrayPresence()
{
    if (x11_ && qGuiApp)
        qGuiApp->removeNativeEventFilter(this);
}

// Qt's tray icon uses the StatusNotifier protocol only when the watcher says
// a host is registered, so the same is asked here.
void TrayPresence::watchStatusNotifierHost()
{
    if (!SessionBusKnown())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    auto *watcher = new QDBusServiceWatcher(kWatcherService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, &TrayPresence::checkStatusNotifierHost);
    for (const QString &signal : {QStringLiteral("StatusNotifierHostRegistered"),
                                  QStringLiteral("StatusNotifierHostUnregistered")})
        bus.connect(kWatcherService, kWatcherPath, kWatcherService, signal, this, SLOT(checkStatusNotifierHost()));
    checkStatusNotifierHost();
}

void TrayPresence::checkStatusNotifierHost()
{
    QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                      QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
    get.setAutoStartService(false);
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, kDBusTimeoutMs);
    const bool host = reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()
        && reply.arguments().constFirst().value<QDBusVariant>().variant().toBool();
    if (host == statusNotifierHost_)
        return;
    statusNotifierHost_ = host;
    emit changed();
}

void TrayPresence::watchX11Tray()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display *display = x11 ? x11->display() : nullptr;
    if (!display)
        return;
    const QByteArray selection = "_NET_SYSTEM_TRAY_S" + QByteArray::number(DefaultScreen(display));
    x11_.reset(new X11Atoms{display, XInternAtom(display, selection.constData(), False),
                            XInternAtom(display, "MANAGER", False)});
    // A new tray announces itself to the root window's structure watchers.
    addEvents(display, DefaultRootWindow(display), StructureNotifyMask);
    qGuiApp->installNativeEventFilter(this);
    checkX11Tray();
}

void TrayPresence::checkX11Tray()
{
    Window owner = XGetSelectionOwner(x11_->display, x11_->selection);
    // Its end is seen as the destruction of its window.
    if (owner != 0 && !addEvents(x11_->display, owner, StructureNotifyMask))
        owner = 0; // gone between the two requests
    if (owner == x11TrayWindow_)
        return;
    x11TrayWindow_ = owner;
    emit changed();
}

bool TrayPresence::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    bool trayChanged = false;
    switch (event->response_type & 0x7f) {
    case XCB_CLIENT_MESSAGE: {
        const auto *client = reinterpret_cast<const xcb_client_message_event_t *>(event);
        trayChanged = client->type == x11_->manager && client->data.data32[1] == x11_->selection;
        break;
    }
    case XCB_DESTROY_NOTIFY:
        trayChanged = x11TrayWindow_ != 0
            && reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window == x11TrayWindow_;
        break;
    default:
        break;
    }
    // Asked once Qt has handled the event: a request from within its event handling could wait on it.
    if (trayChanged)
        QMetaObject::invokeMethod(this, &TrayPresence::checkX11Tray, Qt::QueuedConnection);
    return false;
}
