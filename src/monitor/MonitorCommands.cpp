#include "monitor/MonitorCommands.h"

wxString MonitorCommands::SystemDetails(const wxString& systemType)
{
    if (systemType == "AIX")
        return "prtconf|egrep -e 'Processor|Memory'|egrep -ve 'Mode|Version|Good|\\+'";
    if (systemType == "Linux")
        return "cat /proc/cpuinfo|egrep name|cut -f2 -d:;cat /proc/meminfo|grep MemTotal";
    return wxString();
}

wxString MonitorCommands::ProcessList(const wxString& systemType)
{
    if (systemType == "AIX")
        return "ps -alefo 'pid, command, vsz,pcpu,user'|sort -rn +2|egrep -v PID";
    if (systemType == "Linux")
        return "ps -e -o 'pid,comm,sz,c,user'|sort -k3nr|egrep -v PID";
    return wxString();
}
