#include "session/X11ErrorTrap.h"

namespace {
// The innermost trap set; traps live on the stack of the one GUI thread.
X11ErrorTrap* innermost = nullptr;
}

X11ErrorTrap::X11ErrorTrap(Display* display)
    : display(display), firstSerial(NextRequest(display)), outer(innermost)
{
    innermost = this;
    previous = XSetErrorHandler(&X11ErrorTrap::Handle);
}

X11ErrorTrap::~X11ErrorTrap()
{
    XSync(display, False);
    XSetErrorHandler(previous);
    innermost = outer;
}

bool X11ErrorTrap::Succeeded()
{
    XSync(display, False);
    return errors == 0;
}

int X11ErrorTrap::Handle(Display* display, XErrorEvent* event)
{
    // The innermost trap on this connection that was set before the failed request was sent.
    for (X11ErrorTrap* trap = innermost; trap; trap = trap->outer)
        if (trap->display == display && event->serial >= trap->firstSerial) {
            ++trap->errors;
            return 0;
        }
    // Not ours: the handler that was in place before our outermost trap.
    X11ErrorTrap* outermost = innermost;
    while (outermost && outermost->outer)
        outermost = outermost->outer;
    return outermost && outermost->previous ? outermost->previous(display, event) : 0;
}
