#include "dialogs/ShellyardOptionDialog.h"

#include "app/AppConfig.h"
#include "app/LastSessions.h"
#include "session/TerminalArguments.h"
#include "session/TerminalProcess.h"
#include "session/TerminalProgramVersion.h"

#include <wx/aui/auibook.h>
#include <wx/choice.h>
#include <wx/filedlg.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

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

ShellyardOptionDialog::ShellyardOptionDialog(wxWindow* parent) : OptionDialog(parent)
{
    reopenChoice->SetSelection(static_cast<int>(LastSessions::Mode()));
}

void ShellyardOptionDialog::OnReopenChoice(wxCommandEvent& event)
{
    const int chosen = reopenChoice->GetSelection();
    if (chosen >= 0 && chosen <= 2)
        LastSessions::SetMode(static_cast<LastSessions::Reopen>(chosen));
}

void ShellyardOptionDialog::SetPuttyLocation(const wxString& path)
{
    puttyLocationText->ChangeValue(path);
}

void ShellyardOptionDialog::SetPlinkLocation(const wxString& path)
{
    plinkLocationText->ChangeValue(path);
}

void ShellyardOptionDialog::ShowPluginsPage()
{
    optionsNotebook->SetSelection(optionsNotebook->GetPageIndex(pluginsPage));
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
    // The field's location, started exactly as Tool > Putty Configuration starts it: from an
    // argument vector, with the X11 backend, as the user's own that outlives Shellyard, reaped if it
    // ends first; nobody waits for its window.
    if (!TerminalProcess::StartUsersOwn(
            TerminalArguments::ForPuttyConfiguration(std::string(puttyLocationText->GetValue().utf8_str()))))
        ReportStartFailure();
}

bool ShellyardOptionDialog::AcceptLocation(wxTextCtrl* field, const wxString& fieldName, const char* program,
                                           const wxString& programName)
{
    const wxString location = field->GetValue();
    const std::string path(location.utf8_str());
    wxString refusal;
    switch (TerminalProcess::CheckLocation(path)) {
    case TerminalProcess::Location::Startable:
        break;
    case TerminalProcess::Location::Empty:
        refusal = wxString::Format(_("%s is empty: it was not saved."), fieldName);
        break;
    case TerminalProcess::Location::NotFound:
        refusal = wxString::Format(_("%s \"%s\" was not saved: there is no such file."), fieldName, location);
        break;
    case TerminalProcess::Location::Folder:
        refusal = wxString::Format(_("%s \"%s\" was not saved: it is a folder, not a program."), fieldName, location);
        break;
    case TerminalProcess::Location::NotExecutable:
        refusal = wxString::Format(_("%s \"%s\" was not saved: the file is not executable."), fieldName, location);
        break;
    }
    if (!refusal.empty()) {
        wxMessageBox(refusal, "Shellyard", wxOK | wxICON_WARNING, this);
        field->SetFocus();
        field->SelectAll();
        return false;
    }
    {
        wxBusyCursor asking;  // the program is asked what it is, which takes a moment
        if (TerminalProgramVersion::Of(path).name == program)
            return true;
    }
    return wxMessageBox(wxString::Format(_("%s \"%s\" does not say that it is %s. Save it anyway?"), fieldName,
                                         location, programName),
                        "Shellyard", wxYES_NO | wxICON_QUESTION, this) == wxYES;
}

// Each location is saved, or refused with the settings file keeping its old value, on its own.
void ShellyardOptionDialog::OnApply(wxCommandEvent& event)
{
    AppConfig& config = AppConfig::Instance();
    if (AcceptLocation(puttyLocationText, _("PuTTY Location"), "putty", "PuTTY"))
        config.WritePuttyPath(puttyLocationText->GetValue());
    if (AcceptLocation(plinkLocationText, _("PLink Location"), "plink", "PLink"))
        config.WritePlinkPath(plinkLocationText->GetValue());
}
