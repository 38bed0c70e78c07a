#pragma once
// The application object: registers the image handlers, routes crashes to a debug report and
// creates the main window.
#include <wx/app.h>

class ShellyardApp : public wxApp {
public:
    bool OnInit() override;
    void OnFatalException() override;
};

// Shows the toolkit's debug report of the current crash context (also used by the tests).
void ShowCrashReport();
// Runs before the toolkit starts: makes GDK use X11 even inside a Wayland session, because the
// terminal embedding and the keystrokes need an X server (XWayland there).
void PrepareDisplayBackend();
