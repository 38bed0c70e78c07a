#pragma once
// One remote command run through PLink to its end, synchronously: the user's input waits until it
// is over, and every other event keeps flowing, so other pages keep drawing. Standard output comes
// back as lines; standard error is read as it comes (a full pipe would stall PLink) and logged.
// A run that takes longer than the time-out is ended and counts as failed, so one run never holds
// the windows longer than that.
#include "session/TerminalArguments.h"

#include <chrono>
#include <wx/arrstr.h>
#include <wx/string.h>

struct PlinkRunResult {
    bool failed = false;
    wxArrayString output;  // standard output, one line each, without line ends
    wxString reason;       // why it failed, as PLink said it (its "FATAL ERROR: ..." line) or ours
};

class PlinkRun {
public:
    // remoteCommand is the part of the arguments that may be logged.
    static PlinkRunResult Run(const TerminalArguments& arguments, const wxString& remoteCommand);

    // 20 seconds unless changed (tests use less).
    static void SetTimeout(std::chrono::milliseconds timeout);
    static std::chrono::milliseconds Timeout();
    // True while a run is waiting: a run must not be started from an event handled meanwhile.
    static bool Busy();
};
