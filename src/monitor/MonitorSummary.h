#pragma once
// What a monitor page shows at this moment, in a few words and numbers: the overview of every
// watched host reads it from each page and never asks the host itself. Windowless.
#include <vector>
#include <wx/string.h>

struct MonitorSummary {
    enum class State { Connecting, Live, NoData, Stopped, Failed };

    wxString host;
    State state = State::Connecting;
    wxString stateText;             // "connecting", "live", "no data since 10:42:07", "stopped", "failed: ..."
    wxString cpu;                   // CPU use of the last sample ("12%"); empty before the first
    wxString freeMemory;            // free memory of the last sample ("815.2 MB")
    wxString lastSample;            // local time of the last sample ("10:42:07")
    std::vector<double> cpuHistory; // CPU use of the samples the page's chart holds, oldest first
};
