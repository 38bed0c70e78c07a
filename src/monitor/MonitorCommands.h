#pragma once
// The remote shell commands a monitor page runs, chosen by what "uname" printed. Only AIX and Linux
// hosts get system details and a process list; every host gets the CPU and memory charts.
#include <wx/string.h>

struct MonitorCommands {
    static wxString SystemType() { return "uname"; }
    // Processor and memory facts; empty for a system without them.
    static wxString SystemDetails(const wxString& systemType);
    // The process list, largest virtual size first, without its header; empty for a system without.
    static wxString ProcessList(const wxString& systemType);
};
