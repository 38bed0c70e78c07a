#include "app/AppConfig.h"

#include "app/PrivateFile.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <cstdio>

namespace {
const char* const kSettingsFile = "shellyard.ini";
const char* const kLogFile = "Shellyard.txt";
const char* const kTimestamp = "[%d/%m/%y %H:%M:%S] ";
const char* const kLanguageKey = "/SHELLYARD/LANGUAGE";
const char* const kPuttyKey = "/SHELLYARD/PLUGIN/PUTTY";
const char* const kPlinkKey = "/SHELLYARD/PLUGIN/PLINK";

// wxLogStderr writes through fputs; flushing after every line keeps the file complete even when
// the program is killed, which is when a log matters most.
class FlushingLogStderr : public wxLogStderr {
public:
    explicit FlushingLogStderr(FILE* fp) : wxLogStderr(fp), fp(fp) {}

protected:
    void DoLogText(const wxString& msg) override
    {
        wxLogStderr::DoLogText(msg);
        std::fflush(fp ? fp : stderr);
    }

private:
    FILE* fp;
};

// The toolkit's time stamp ends in ": "; the log's lines begin with the stamp and one blank only.
class StampFormatter : public wxLogFormatter {
protected:
    wxString FormatTimeMS(wxLongLong_t msec) const override
    {
        return wxDateTime(wxLongLong(msec)).Format(wxLog::GetTimestamp());
    }
};
}  // namespace

AppConfig* AppConfig::instance = nullptr;

AppConfig& AppConfig::Instance()
{
    if (!instance) {
        instance = new AppConfig();
        PrivateFile::Tighten(ProgramFile(kSettingsFile));  // logs, so the object must exist first
    }
    return *instance;
}

void AppConfig::Shutdown()
{
    delete instance;
    instance = nullptr;
}

AppConfig::AppConfig()
{
    {
        // A log that cannot be opened is not worth a message: the target then writes to stderr.
        wxLogNull quiet;
        PrivateFile::Create(kLogFile);
        logFile.Open(kLogFile, "a+");
    }
    logTarget = new FlushingLogStderr(logFile.IsOpened() ? logFile.fp() : nullptr);
    delete logTarget->SetFormatter(new StampFormatter);
    wxLog::SetTimestamp(kTimestamp);
    previousTarget = wxLog::SetActiveTarget(logTarget);
}

AppConfig::~AppConfig()
{
    ReleaseSettings();
    // Take our target out of service before its file goes, and hand logging back to whatever was
    // active before (or stderr), so that late messages of the toolkit never reach a closed file.
    if (wxLog::GetActiveTarget() == logTarget)
        wxLog::SetActiveTarget(previousTarget ? previousTarget : new wxLogStderr());
    delete logTarget;
    logTarget = nullptr;
    logFile.Close();
}

wxString AppConfig::ProgramDirectory()
{
#ifdef __WXMSW__
    wxString dir = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
#else
    // wxStandardPaths::GetDataDir() is the read-only install prefix and GetUserDataDir() is
    // ~/.shellyard even with the XDG layout, so the XDG data directory is built here.
    wxString base;
    if (!wxGetEnv("XDG_DATA_HOME", &base) || base.empty() || !wxIsAbsolutePath(base))
        base = wxFileName::GetHomeDir() + wxFILE_SEP_PATH + ".local" + wxFILE_SEP_PATH + "share";
    wxString dir = base + wxFILE_SEP_PATH + "shellyard";
    if (!wxFileName::DirExists(dir)) {
        wxLogNull quiet;
        wxFileName::Mkdir(dir, 0700, wxPATH_MKDIR_FULL);
    }
#endif
    return dir;
}

wxString AppConfig::ProgramFile(const wxString& name)
{
    return ProgramDirectory() + wxFILE_SEP_PATH + name;
}

wxFileConfig* AppConfig::OpenSettings()
{
    ReleaseSettings();
    settings = new wxFileConfig(wxEmptyString, wxEmptyString, ProgramFile(kSettingsFile), wxEmptyString,
                                wxCONFIG_USE_RELATIVE_PATH);
    settings->SetUmask(077);  // written anew each time: owner only
    return settings;
}

void AppConfig::ReleaseSettings()
{
    delete settings;
    settings = nullptr;
}

int AppConfig::ReadKey(const wxString& key, wxString& value)
{
    wxFileConfig* config = OpenSettings();
    if (config->GetNumberOfGroups(false) == 0 && config->GetNumberOfEntries(false) == 0) {
        ReleaseSettings();
        WriteDefaults();
        return -1;
    }
    config->Read(key, &value);
    ReleaseSettings();
    return 1;
}

void AppConfig::WriteKey(const wxString& key, const wxString& value)
{
    wxFileConfig* config = OpenSettings();
    config->Write(key, value);
    config->Flush();
    ReleaseSettings();
}

int AppConfig::ReadPuttyPath(wxString& value) { return ReadKey(kPuttyKey, value); }
int AppConfig::ReadPlinkPath(wxString& value) { return ReadKey(kPlinkKey, value); }
void AppConfig::WritePuttyPath(const wxString& value) { WriteKey(kPuttyKey, value); }
void AppConfig::WritePlinkPath(const wxString& value) { WriteKey(kPlinkKey, value); }

void AppConfig::WriteDefaults()
{
    language = "eng";
    wxFileConfig* config = OpenSettings();
    config->Write(kLanguageKey, language);
    config->Write(kPuttyKey, wxString());
    config->Write(kPlinkKey, wxString());
    config->Flush();
    ReleaseSettings();
}
