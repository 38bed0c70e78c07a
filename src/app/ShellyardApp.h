#pragma once
// The application object: registers the image handlers, routes crashes to a debug report and
// creates the main window.
#include <wx/app.h>

class ShellyardApp : public wxApp {
public:
    bool OnInit() override;
    int OnRun() override;
    void OnFatalException() override;

private:
    int laterStartStatus = -1;  // set when another Shellyard runs on the data folder: the exit status
};

// Makes this process the Shellyard of its data folder ($XDG_DATA_HOME/shellyard), whose main window
// comes to the front each time Shellyard is started again on the same folder. False when another
// Shellyard holds the folder: it has been asked to come to the front, and status is the exit status
// for this start (0 when it answered; 1, with a line on standard error, when it did not).
bool ClaimDataFolder(int& status);

// Shows the toolkit's debug report of the current crash context (also used by the tests).
void ShowCrashReport();
// Runs before the toolkit starts: makes GDK use X11 even inside a Wayland session, because the
// terminal embedding and the keystrokes need an X server (XWayland there).
void PrepareDisplayBackend();
