#pragma once

// Whether the desktop names a session bus (DBUS_SESSION_BUS_ADDRESS or
// $XDG_RUNTIME_DIR/bus). Where it names none, connecting would make libdbus
// start a bus of its own for the X display: a daemon that outlives the
// program, for questions that such a bus cannot answer.
bool SessionBusKnown();
