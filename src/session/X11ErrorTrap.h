#pragma once
// Collects the X errors of the requests made on one connection while it exists, instead of letting
// them reach the process-wide handler (GDK's ends the program on any error it did not expect). The
// windows we touch belong to other clients and may go at any moment, so every call on them happens
// inside one. Traps nest; errors of other connections, and of requests sent before the trap, go on
// to the handler that was in place before.
#include <X11/Xlib.h>

class X11ErrorTrap {
public:
    explicit X11ErrorTrap(Display* display);
    // Waits for the server's answer to everything sent while the trap was set.
    ~X11ErrorTrap();
    X11ErrorTrap(const X11ErrorTrap&) = delete;
    X11ErrorTrap& operator=(const X11ErrorTrap&) = delete;

    // Waits for the server's answer to everything sent so far; true when none of it failed.
    bool Succeeded();

private:
    static int Handle(Display* display, XErrorEvent* event);

    Display* display;
    unsigned long firstSerial;
    X11ErrorTrap* outer;
    int (*previous)(Display*, XErrorEvent*) = nullptr;
    int errors = 0;
};
