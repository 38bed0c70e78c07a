// Terminal sessions of the main window: locating PuTTY and PLink, connecting the current site in a
// terminal tab, typing into every tab, PuTTY's own configuration window and closing tabs.
#include "app/ShellyardFrame.h"

#include "app/AppConfig.h"

#include <wx/filename.h>
#include <wx/msgdlg.h>
#include <wx/utils.h>

namespace {
// The default location of a terminal program: found on PATH, else beside the settings file.
wxString DefaultProgramLocation(const wxString& name)
{
#ifdef __WXMSW__
    return AppConfig::ProgramFile(name + ".exe");
#else
    wxPathList path;
    path.AddEnvList("PATH");
    wxString found = path.FindAbsoluteValidPath(name);
    return found.empty() ? AppConfig::ProgramFile(name) : found;
#endif
}
}  // namespace

bool ShellyardFrame::LocateTerminalPrograms()
{
    AppConfig& config = AppConfig::Instance();
    int puttyRead = config.ReadPuttyPath(puttyPath);
    int plinkRead = config.ReadPlinkPath(plinkPath);
    if (puttyRead > 0 && plinkRead > 0 && !puttyPath.empty() && !plinkPath.empty())
        return true;

    puttyPath = DefaultProgramLocation("putty");
    plinkPath = DefaultProgramLocation("plink");
    config.WritePuttyPath(puttyPath);
    config.WritePlinkPath(plinkPath);
    return true;
}

void ShellyardFrame::ConnectSite()
{
}

void ShellyardFrame::QuickConnect(wxString host, wxString protocol)
{
    siteHost = host;
    siteProtocol = protocol;
    siteName = host;
    ConnectSite();
}

void ShellyardFrame::SendToAllSessions(wxString text)
{
}

void ShellyardFrame::OnPuttyConfiguration(wxCommandEvent& event)
{
}

void ShellyardFrame::OnPageClose(wxAuiNotebookEvent& event)
{
    if (wxMessageBox(_("Are you sure you want to stop loggin and close this site?"), "Shellyard", wxYES_NO,
                     this) != wxYES)
        event.Veto();
}
