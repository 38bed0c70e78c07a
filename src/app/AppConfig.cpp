#include "app/AppConfig.h"

#include "app/PrivateFile.h"

#include <wx/fileconf.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <cstdio>
#include <cstring>

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

// The settings file is UTF-8. The toolkit's default reading falls back to Latin-1 for the whole file
// when one byte anywhere is no UTF-8, which garbles every other value's letters outside ASCII (a
// PuTTY path with "é" no longer names the file). Here a stray byte becomes a character of its own
// (of the private-use plane) in its value only, and is written back as the very byte it was; a
// leading byte-order mark, which an editor may put in, is passed over.
class SettingsConv : public wxMBConvUTF8 {
public:
    SettingsConv() : wxMBConvUTF8(MAP_INVALID_UTF8_TO_PUA) {}
    size_t ToWChar(wchar_t* dst, size_t dstLen, const char* src, size_t srcLen = wxNO_LEN) const override
    {
        const size_t length = srcLen == wxNO_LEN ? std::strlen(src) + 1 : srcLen;
        if (length >= 3 && std::memcmp(src, "\xEF\xBB\xBF", 3) == 0) {
            src += 3;
            srcLen = length - 3;
        }
        return wxMBConvUTF8::ToWChar(dst, dstLen, src, srcLen);
    }
    wxMBConv* Clone() const override { return new SettingsConv; }
};

// The characters SettingsConv makes of bytes that are no UTF-8.
bool IsStrayByte(wxUniChar c)
{
    return c.GetValue() >= 0x100000 && c.GetValue() <= 0x1000FF;
}

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
        // Both log, so the object must exist first. A folder made by something else (0755, say)
        // would let others list and open what the program keeps there.
        PrivateFile::Tighten(ProgramDirectory());
        PrivateFile::Tighten(ProgramFile(kSettingsFile));
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
                                wxCONFIG_USE_RELATIVE_PATH, SettingsConv());
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

bool AppConfig::CheckedText(wxFileConfig* config, const wxString& key, wxString& value, size_t maxLength)
{
    // Our values are taken as they stand: a host or a layout is no place for "$HOME".
    config->SetExpandEnvVars(false);
    wxString text;
    if (!config->Read(key, &text))
        return false;
    wxString why;
    if (text.length() > maxLength)
        why = wxString::Format("it is %zu characters long, more than %zu", text.length(), maxLength);
    for (wxUniChar c : text) {
        if (!why.empty())
            break;
        if (IsStrayByte(c))
            why = "it holds bytes that are no UTF-8 text";
        else if (c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0))
            why = "it holds a control character";
    }
    if (!why.empty()) {
        wxLogMessage("Setting %s ignored: %s", key, why);
        return false;
    }
    value = text;
    return true;
}

bool AppConfig::ReadText(const wxString& key, wxString& value, size_t maxLength)
{
    bool read = CheckedText(OpenSettings(), key, value, maxLength);
    ReleaseSettings();
    return read;
}

bool AppConfig::ReadNumber(const wxString& key, long& value, long min, long max)
{
    wxString text;
    if (!ReadText(key, text, 24))
        return false;
    text.Trim(true).Trim(false);
    long number = 0;
    if (!text.ToLong(&number) || number < min || number > max) {
        wxLogMessage("Setting %s ignored: \"%s\" is not a whole number from %ld to %ld", key, text, min, max);
        return false;
    }
    value = number;
    return true;
}

std::vector<wxString> AppConfig::ReadTextList(const wxString& group, size_t count, size_t maxLength)
{
    std::vector<wxString> items;
    wxFileConfig* config = OpenSettings();
    for (size_t i = 1; i <= count; ++i) {
        wxString item;
        if (CheckedText(config, wxString::Format("%s/HOST%zu", group, i), item, maxLength))
            items.push_back(item);
    }
    ReleaseSettings();
    return items;
}

void AppConfig::WriteSettings(const std::vector<std::pair<wxString, wxString>>& values)
{
    wxFileConfig* config = OpenSettings();
    for (const auto& [key, value] : values)
        config->Write(key, value);
    config->Flush();
    ReleaseSettings();
}

void AppConfig::WriteTextList(const wxString& group, const std::vector<wxString>& items)
{
    wxFileConfig* config = OpenSettings();
    config->DeleteGroup(group);
    for (size_t i = 0; i < items.size(); ++i)
        config->Write(wxString::Format("%s/HOST%zu", group, i + 1), items[i]);
    config->Flush();
    ReleaseSettings();
}
