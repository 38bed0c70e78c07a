#pragma once
// The process-wide settings-and-log object. Instance() creates it on first use, which opens the
// text log "Shellyard.txt" in the current working directory and makes it the toolkit's active log
// target. Every settings operation opens "shellyard.ini" in the program directory afresh and lets
// go of it before returning, so another writer (the options dialog) is always seen.
#include <wx/ffile.h>
#include <wx/intl.h>
#include <wx/string.h>

class wxFileConfig;
class wxLogStderr;
class wxLog;

class AppConfig {
public:
    static AppConfig& Instance();
    // Closes the log and destroys the shared object; a later Instance() makes a new one.
    static void Shutdown();

    // Where "shellyard.ini" and "Shellyard.db" live: $XDG_DATA_HOME/shellyard (by default
    // ~/.local/share/shellyard) on Linux, the executable's directory on Windows. Created on demand.
    static wxString ProgramDirectory();
    // ProgramDirectory() joined with a file name.
    static wxString ProgramFile(const wxString& name);

    // 1 when the key was read (an absent key leaves value unchanged); -1 when the file was missing
    // or empty, in which case the default file has been written and value is unchanged.
    int ReadPuttyPath(wxString& value);
    int ReadPlinkPath(wxString& value);
    void WritePuttyPath(const wxString& value);
    void WritePlinkPath(const wxString& value);
    void WriteDefaults();

private:
    AppConfig();
    ~AppConfig();
    AppConfig(const AppConfig&) = delete;
    AppConfig& operator=(const AppConfig&) = delete;

    int ReadKey(const wxString& key, wxString& value);
    void WriteKey(const wxString& key, const wxString& value);
    wxFileConfig* OpenSettings();
    void ReleaseSettings();

    wxFFile logFile;
    wxLogStderr* logTarget = nullptr;
    wxFileConfig* settings = nullptr;
    wxLocale locale;
    wxString language;
    wxLog* previousTarget = nullptr;

    static AppConfig* instance;
};
