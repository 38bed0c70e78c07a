#pragma once
// Key presses and releases sent through XTest, with the keys this layer holds down, so that every
// run ends with all of them lifted: a stuck Shift or Alt after a broadcast would type into
// whatever the user does next.
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <set>
#include <vector>

class KeyEventsX11 {
public:
    explicit KeyEventsX11(Display* display) : display(display) {}

    void Fake(KeyCode keycode, bool press)
    {
        XTestFakeKeyEvent(display, keycode, press ? True : False, CurrentTime);
        if (press)
            down.insert(keycode);
        else
            down.erase(keycode);
    }
    bool IsDown(KeyCode keycode) const { return down.count(keycode) != 0; }
    // Lifts every key pressed and not released yet.
    void ReleaseAll()
    {
        std::vector<KeyCode> keys(down.begin(), down.end());
        for (KeyCode keycode : keys)
            Fake(keycode, false);
        XFlush(display);
    }

private:
    Display* display;
    std::set<KeyCode> down;
};
