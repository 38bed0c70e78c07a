#pragma once
// Times as a monitor page tells them: a span as "2 h 5 min 3 s", "4 min 10 s" or "12 s"; a moment
// of today as the clock shows it ("14:03:59"), another day's with its date. Windowless.
#include <wx/datetime.h>
#include <wx/string.h>

class ClockText {
public:
    static wxString Duration(wxTimeSpan span);
    // Empty for an invalid time.
    static wxString Time(const wxDateTime& when);
};
