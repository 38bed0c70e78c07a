#include "dialogs/ShellyardOptionDialog.h"

#include "app/AppConfig.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/process.h>
#include <wx/textctrl.h>
#include <wx/time.h>
#include <wx/utils.h>

namespace {
#ifdef __WXMSW__
const char* const kPuttyFilter = "PuTTY files (PuTTY.exe)|putty.exe";
const char* const kPlinkFilter = "PuTTY files (PLink.exe)|plink.exe";
#else
const char* const kPuttyFilter = "PuTTY files (putty)|putty";
const char* const kPlinkFilter = "PuTTY files (plink)|plink";
#endif

// A program that ends with a failure status this soon after its start never really started: on
// Linux the toolkit forks before it execs, so a program that cannot be executed is only noticed
// when the child exits.
const wxLongLong kEarlyExitMs = 3000;

void ReportStartFailure()
{
    wxMessageBox(_("Failed to start Putty.exe. Please check and re-configure your Putty first please."),
                 "Shellyard", wxOK | wxICON_INFORMATION, nullptr);
}

// PuTTY started for its configuration window is not watched by anyone; this object only reaps it
// when it ends (so it never lingers as a zombie) and reports a start that failed at once.
class ConfigurationProcess : public wxProcess {
public:
    ConfigurationProcess() : startedAt(wxGetLocalTimeMillis()) {}

    void OnTerminate(int /*pid*/, int status) override
    {
        // A positive status is an ordinary failing exit (255 when exec failed); a negative one is
        // a signal, which means somebody ended a PuTTY that did start.
        if (status > 0 && wxGetLocalTimeMillis() - startedAt < kEarlyExitMs && wxTheApp)
            wxTheApp->CallAfter(&ReportStartFailure);
        delete this;
    }

private:
    wxLongLong startedAt;
};

// True when location names an executable file, directly or through PATH as execvp would find it.
bool IsExecutableFile(const wxString& location)
{
    if (location.empty())
        return false;
    wxString path = location;
    if (!wxFileName(location).HasVolume() && location.find(wxFILE_SEP_PATH) == wxString::npos) {
        wxPathList searchPath;
        searchPath.AddEnvList("PATH");
        path = searchPath.FindAbsoluteValidPath(location);
        if (path.empty())
            return false;
    }
    return wxFileName::FileExists(path) && wxFileName::IsFileExecutable(path);
}

// Starts the program at location without arguments and without waiting. The argument vector
// keeps a location with blanks or shell characters intact; PuTTY gets the full environment with
// the X11 backend forced, because Shellyard can only embed and type into X11 windows.
bool StartAlone(const wxString& location)
{
    if (!IsExecutableFile(location))
        return false;
    wxCharBuffer program = location.fn_str();
    const char* argv[] = {program.data(), nullptr};
    wxExecuteEnv env;
    wxGetEnvMap(&env.env);
    env.env["GDK_BACKEND"] = "x11";
    auto* process = new ConfigurationProcess();
    long pid = wxExecute(argv, wxEXEC_ASYNC, process, &env);
    if (pid <= 0) {
        delete process;
        return false;
    }
    return true;
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
    if (!StartAlone(puttyLocation))
        ReportStartFailure();
}

void ShellyardOptionDialog::OnApply(wxCommandEvent& event)
{
    AppConfig& config = AppConfig::Instance();
    config.WritePuttyPath(puttyLocation);
    config.WritePlinkPath(plinkLocation);
}
