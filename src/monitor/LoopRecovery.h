#pragma once
// When a monitor page's loop command has gone quiet or ended, whether and when it is started again:
// after a growing pause (5, 10, 20, 40 seconds, then every minute) until data comes back, but never
// after PLink was refused for good (a wrong password, a host key not accepted, no way to log in),
// where trying again would only repeat the refusal into the host's log. Windowless.
#include <chrono>
#include <wx/string.h>

class LoopRecovery {
public:
    // Whether a loop that ended with this reason (PLink's last word) is worth starting again.
    static bool Retries(const wxString& reason);

    // The pause before the next start; each call gives the next one.
    std::chrono::seconds NextPause();
    // Data came back: the next outage starts with the shortest pause again.
    void Reset() { attempts = 0; }
    int Attempts() const { return attempts; }

private:
    int attempts = 0;
};
