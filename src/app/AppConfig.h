#pragma once
// The process-wide settings-and-log object. Instance() creates it on first use, which opens the
// text log "Shellyard.txt" in the current working directory and makes it the toolkit's active log
// target. Every settings operation opens "shellyard.ini" in the program directory afresh and lets
// go of it before returning, so another writer (the options dialog) is always seen.
#include <wx/ffile.h>
#include <wx/intl.h>
#include <wx/string.h>

#include <utility>
#include <vector>

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

    // Keys of the program's own below "/SHELLYARD/" (window, recent hosts). A value that is there
    // but cannot be right (bytes that are no UTF-8 text, longer than maxLength, a control
    // character, not a whole number from min to max) is refused with one log line naming the key,
    // and reads as absent: false, value unchanged. A missing file reads as all absent.
    bool ReadText(const wxString& key, wxString& value, size_t maxLength);
    bool ReadNumber(const wxString& key, long& value, long min, long max);
    // The entries HOST1...HOSTn of group that can be read as ReadText reads them, in that order.
    std::vector<wxString> ReadTextList(const wxString& group, size_t count, size_t maxLength);
    // Writes every key with its value, with one write of the file.
    void WriteSettings(const std::vector<std::pair<wxString, wxString>>& values);
    // Replaces the entries of group by HOST1...HOSTn holding items.
    void WriteTextList(const wxString& group, const std::vector<wxString>& items);

private:
    AppConfig();
    ~AppConfig();
    AppConfig(const AppConfig&) = delete;
    AppConfig& operator=(const AppConfig&) = delete;

    int ReadKey(const wxString& key, wxString& value);
    bool CheckedText(wxFileConfig* config, const wxString& key, wxString& value, size_t maxLength);
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
