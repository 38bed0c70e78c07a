#include "app/AppLog.h"

#include "app/AppConfig.h"

#include <wx/log.h>

void AppLog::LogMessage(const wxString& text)
{
    AppConfig::Instance();  // the first message opens the log
    wxLogMessage("%s", text);
}
