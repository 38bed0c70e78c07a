#pragma once
// The log part of AppConfig: one time-stamped line in "Shellyard.txt" per message.
#include <wx/string.h>

class AppLog {
public:
    // Logs text verbatim as an ordinary message (never interpreted as a format).
    static void LogMessage(const wxString& text);
};
