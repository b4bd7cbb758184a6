#pragma once

#include <QByteArray>

#include <thread>

struct wl_display;

// A Wayland display on a thread of its own that offers a seat and the idle
// notifier of ext-idle-notify-v1, as a compositor does: each notification
// reports the seat idle once its timeout has passed without input, and
// resumed at input. Input is a key held down (pressKey) and let go
// (releaseKey), so that a test decides when the seat is busy.
class StandInCompositor {
public:
    // Listens on socketName in XDG_RUNTIME_DIR.
    explicit StandInCompositor(const QByteArray &socketName);
    ~StandInCompositor();
    StandInCompositor(const StandInCompositor &) = delete;
    StandInCompositor &operator=(const StandInCompositor &) = delete;

    bool listening() const { return listening_; }
    void pressKey() { send('p'); }
    void releaseKey() { send('r'); }

private:
    void send(char command);

    wl_display *display_;
    int commands_[2] = {-1, -1}; // a pipe to the compositor's thread
    bool listening_ = false;
    std::thread thread_;
};
