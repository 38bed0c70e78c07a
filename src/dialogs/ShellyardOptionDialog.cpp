#include "dialogs/ShellyardOptionDialog.h"

#include "app/AppConfig.h"
#include "session/TerminalArguments.h"
#include "session/TerminalProcess.h"

#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>

namespace {
#ifdef __WXMSW__
const char* const kPuttyFilter = "PuTTY files (PuTTY.exe)|putty.exe";
const char* const kPlinkFilter = "PuTTY files (PLink.exe)|plink.exe";
#else
const char* const kPuttyFilter = "PuTTY files (putty)|putty";
const char* const kPlinkFilter = "PuTTY files (plink)|plink";
#endif

void ReportStartFailure()
{
    wxMessageBox(_("Failed to start Putty.exe. Please check and re-configure your Putty first please."),
                 "Shellyard", wxOK | wxICON_INFORMATION, nullptr);
}
}  // namespace

ShellyardOptionDialog::ShellyardOptionDialog(wxWindow* parent) : OptionDialog(parent) {}

void ShellyardOptionDialog::SetPuttyLocation(const wxString& path)
{
    puttyLocation = path;
    puttyLocationText->ChangeValue(path);
}

void ShellyardOptionDialog::SetPlinkLocation(const wxString& path)
{
    plinkLocation = path;
    plinkLocationText->ChangeValue(path);
}

bool ShellyardOptionDialog::ChooseFile(const wxString& message, const wxString& filter, wxString& path)
{
    wxFileDialog chooser(this, message, AppConfig::ProgramDirectory(), wxEmptyString, filter, wxFD_OPEN);
    if (chooser.ShowModal() != wxID_OK)
        return false;
    path = chooser.GetPath();
    return true;
}

void ShellyardOptionDialog::OnBrowsePutty(wxCommandEvent& event)
{
    wxString path;
    if (ChooseFile(_("Choose a PuTTY file"), _(kPuttyFilter), path))
        SetPuttyLocation(path);
}

void ShellyardOptionDialog::OnBrowsePlink(wxCommandEvent& event)
{
    wxString path;
    if (ChooseFile(_("Choose a PLink file"), _(kPlinkFilter), path))
        SetPlinkLocation(path);
}

void ShellyardOptionDialog::OnStartPuttyConfig(wxCommandEvent& event)
{
    // Started exactly as Tool > Putty Configuration starts it: from an argument vector, with the
    // X11 backend, as the user's own that outlives Shellyard, reaped if it ends first; nobody waits
    // for its window.
    if (!TerminalProcess::StartUsersOwn(
            TerminalArguments::ForPuttyConfiguration(std::string(puttyLocation.utf8_str()))))
        ReportStartFailure();
}

void ShellyardOptionDialog::OnApply(wxCommandEvent& event)
{
    AppConfig& config = AppConfig::Instance();
    config.WritePuttyPath(puttyLocation);
    config.WritePlinkPath(plinkLocation);
}
