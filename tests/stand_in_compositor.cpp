#include "stand_in_compositor.h"

#include "ext-idle-notify-v1-server-protocol.h"

#include <wayland-server.h>

#include <algorithm>
#include <unistd.h>
#include <vector>

namespace {

struct Notification {
    wl_resource *resource;
    wl_event_source *timer;
    uint32_t timeoutMs;
    bool idle = false;
};

// The compositor's state, touched only on its thread.
struct Seat {
    wl_event_loop *loop;
    bool keyHeld = false;
    bool quit = false;
    std::vector<Notification *> notifications;

    // A timeout of 0 asks for the soonest report; a timer of 0 would never fire.
    static void arm(Notification &notification)
    {
        wl_event_source_timer_update(notification.timer, int(std::max<uint32_t>(notification.timeoutMs, 1)));
    }
    void armTimers()
    {
        for (Notification *notification : notifications)
            arm(*notification);
    }
    void input()
    {
        for (Notification *notification : notifications) {
            wl_event_source_timer_update(notification->timer, 0);
            if (notification->idle)
                ext_idle_notification_v1_send_resumed(notification->resource);
            notification->idle = false;
        }
    }
};

int becameIdle(void *data)
{
    auto *notification = static_cast<Notification *>(data);
    notification->idle = true;
    ext_idle_notification_v1_send_idled(notification->resource);
    return 0;
}

void destroyResource(wl_client *, wl_resource *resource) { wl_resource_destroy(resource); }

void getIdleNotification(wl_client *client, wl_resource *notifier, uint32_t id, uint32_t timeoutMs, wl_resource *)
{
    static const struct ext_idle_notification_v1_interface implementation{&destroyResource};
    auto *seat = static_cast<Seat *>(wl_resource_get_user_data(notifier));
    wl_resource *resource = wl_resource_create(client, &ext_idle_notification_v1_interface, 1, id);
    auto *notification = new Notification{resource, nullptr, timeoutMs};
    notification->timer = wl_event_loop_add_timer(seat->loop, &becameIdle, notification);
    seat->notifications.push_back(notification);
    wl_resource_set_implementation(resource, &implementation, seat, [](wl_resource *resource) {
        auto *seat = static_cast<Seat *>(wl_resource_get_user_data(resource));
        auto found = std::find_if(seat->notifications.begin(), seat->notifications.end(),
                                  [&](Notification *n) { return n->resource == resource; });
        wl_event_source_remove((*found)->timer);
        delete *found;
        seat->notifications.erase(found);
    });
    if (!seat->keyHeld)
        seat->arm(*notification);
}

void bindNotifier(wl_client *client, void *data, uint32_t version, uint32_t id)
{
    static const struct ext_idle_notifier_v1_interface implementation{&destroyResource, &getIdleNotification};
    wl_resource *resource = wl_resource_create(client, &ext_idle_notifier_v1_interface, int(version), id);
    wl_resource_set_implementation(resource, &implementation, data, nullptr);
}

// The seat takes no requests the idle client makes; any that come are ignored.
int ignoreRequest(const void *, void *, uint32_t, const wl_message *, wl_argument *) { return 0; }

void bindSeat(wl_client *client, void *data, uint32_t version, uint32_t id)
{
    wl_resource *resource = wl_resource_create(client, &wl_seat_interface, int(version), id);
    wl_resource_set_dispatcher(resource, &ignoreRequest, nullptr, data, nullptr);
}

int command(int fd, uint32_t, void *data)
{
    auto *seat = static_cast<Seat *>(data);
    char command = 0;
    if (read(fd, &command, 1) != 1 || command == 'q') {
        seat->quit = true;
    } else if (command == 'p') {
        seat->keyHeld = true;
        seat->input();
    } else if (command == 'r') {
        seat->keyHeld = false;
        seat->armTimers();
    }
    return 0;
}

} // namespace

StandInCompositor::StandInCompositor(const QByteArray &socketName) : display_(wl_display_create())
{
    if (pipe(commands_) != 0 || wl_display_add_socket(display_, socketName.constData()) != 0)
        return;
    listening_ = true;
    thread_ = std::thread([display = display_, commandFd = commands_[0]] {
        Seat seat{wl_display_get_event_loop(display), false, false, {}};
        wl_global_create(display, &wl_seat_interface, 1, &seat, &bindSeat);
        wl_global_create(display, &ext_idle_notifier_v1_interface, 1, &seat, &bindNotifier);
        wl_event_source *commands = wl_event_loop_add_fd(seat.loop, commandFd, WL_EVENT_READABLE, &command, &seat);
        while (!seat.quit) {
            wl_display_flush_clients(display);
            wl_event_loop_dispatch(seat.loop, -1);
        }
        wl_event_source_remove(commands);
        wl_display_destroy_clients(display);
    });
}

StandInCompositor::~StandInCompositor()
{
    if (thread_.joinable()) {
        send('q');
        thread_.join();
    }
    wl_display_destroy(display_);
    for (int fd : commands_) {
        if (fd >= 0)
            close(fd);
    }
}

void StandInCompositor::send(char command)
{
    if (write(commands_[1], &command, 1) != 1)
        listening_ = false;
}
