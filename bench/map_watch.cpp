// For bench/startup_bench.sh: waits until a window with the given title is
// mapped on the display and prints the wall-clock time of that moment in
// milliseconds. It blocks on the X connection while it waits, so unlike a
// polling loop it takes no CPU from the program being measured. It prints
// "ready" once it listens, so the program is started only after that.
//
// usage: map_watch TITLE

#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

bool hasTitle(Display *display, Window window, const char *title)
{
    char *name = nullptr;
    const bool same = XFetchName(display, window, &name) && name && std::strcmp(name, title) == 0;
    XFree(name);
    return same;
}

long long nowMs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fputs("usage: map_watch TITLE\n", stderr);
        return 2;
    }
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fputs("map_watch: cannot open the display\n", stderr);
        return 1;
    }
    // Without a window manager the program's windows are children of the root.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    std::puts("ready");
    std::fflush(stdout);
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && hasTitle(display, event.xmap.window, argv[1])) {
            std::printf("%lld\n", nowMs());
            return 0;
        }
    }
}
