#include "monitor/ClockText.h"

#include <algorithm>

wxString ClockText::Duration(wxTimeSpan span)
{
    long seconds = std::max(0L, static_cast<long>(span.GetSeconds().GetValue()));
    wxString text;
    if (seconds >= 3600)
        text << seconds / 3600 << " h ";
    if (seconds >= 60)
        text << seconds / 60 % 60 << " min ";
    text << seconds % 60 << " s";
    return text;
}

wxString ClockText::Time(const wxDateTime& when)
{
    if (!when.IsValid())
        return wxString();
    return when.IsSameDate(wxDateTime::Now()) ? when.Format("%H:%M:%S") : when.Format("%Y-%m-%d %H:%M:%S");
}
