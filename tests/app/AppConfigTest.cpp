// The settings file and the log, with real files in private directories.
#include "app/AppConfig.h"
#include "app/AppLog.h"
#include "support/TempDirs.h"

#include <algorithm>
#include <filesystem>
#include <regex>
#include <unistd.h>
#include <wx/fileconf.h>
#include <wx/init.h>
#include <wx/log.h>

namespace fs = std::filesystem;

namespace {
wxInitializer toolkit;

class AppConfigTest : public TempDirsTest {
protected:
    void TearDown() override
    {
        AppConfig::Shutdown();
        TempDirsTest::TearDown();
    }
    std::string SettingsPath() const { return programDir + "/shellyard.ini"; }
    std::string LogPath() const { return workDir + "/Shellyard.txt"; }
    // The value of key in the settings file as the toolkit reads it.
    wxString Stored(const wxString& key)
    {
        wxFileConfig config(wxEmptyString, wxEmptyString, SettingsPath(), wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
        return config.Read(key, "<absent>");
    }
};
}  // namespace

TEST_F(AppConfigTest, FirstReadOfAMissingFileWritesTheDefaults)
{
    AppConfig& config = AppConfig::Instance();
    wxString putty = "untouched";
    EXPECT_EQ(config.ReadPuttyPath(putty), -1);
    EXPECT_EQ(putty, "untouched");
    ASSERT_TRUE(FileExists(SettingsPath()));
    EXPECT_EQ(Stored("/SHELLYARD/LANGUAGE"), "eng");
    EXPECT_EQ(Stored("/SHELLYARD/PLUGIN/PUTTY"), "");
    EXPECT_EQ(Stored("/SHELLYARD/PLUGIN/PLINK"), "");

    // The second read finds the file and its empty value.
    wxString plink = "untouched";
    EXPECT_EQ(config.ReadPlinkPath(plink), 1);
    EXPECT_EQ(plink, "");

    std::string text = ReadFile(SettingsPath());
    EXPECT_NE(text.find("[SHELLYARD]"), std::string::npos) << text;
    EXPECT_NE(text.find("[SHELLYARD/PLUGIN]"), std::string::npos) << text;
}

TEST_F(AppConfigTest, EmptyFileBehavesLikeAMissingOne)
{
    fs::create_directories(programDir);
    WriteFile(SettingsPath(), "");
    wxString value = "untouched";
    EXPECT_EQ(AppConfig::Instance().ReadPlinkPath(value), -1);
    EXPECT_EQ(value, "untouched");
    EXPECT_EQ(Stored("/SHELLYARD/LANGUAGE"), "eng");
}

TEST_F(AppConfigTest, WritesAreOnDiskAtOnceAndEachReadSeesTheFileAfresh)
{
    AppConfig& config = AppConfig::Instance();
    config.WritePuttyPath("/opt/My Putty/putty");
    EXPECT_EQ(Stored("/SHELLYARD/PLUGIN/PUTTY"), "/opt/My Putty/putty");

    // Another writer changes the file; the next read must see it.
    {
        wxFileConfig other(wxEmptyString, wxEmptyString, SettingsPath(), wxEmptyString, wxCONFIG_USE_LOCAL_FILE);
        other.Write("/SHELLYARD/PLUGIN/PLINK", "/usr/local/bin/plink");
    }
    wxString plink;
    EXPECT_EQ(config.ReadPlinkPath(plink), 1);
    EXPECT_EQ(plink, "/usr/local/bin/plink");

    wxString putty;
    EXPECT_EQ(config.ReadPuttyPath(putty), 1);
    EXPECT_EQ(putty, "/opt/My Putty/putty");
}

TEST_F(AppConfigTest, AbsentKeyLeavesTheValueUnchanged)
{
    fs::create_directories(programDir);
    WriteFile(SettingsPath(), "[SHELLYARD]\nLANGUAGE=eng\n");
    wxString value = "kept";
    EXPECT_EQ(AppConfig::Instance().ReadPuttyPath(value), 1);
    EXPECT_EQ(value, "kept");
}

TEST_F(AppConfigTest, UnwritableProgramDirectoryNeitherCrashesNorComplains)
{
    // A plain file where the program directory should be: nothing can be created under it, even
    // for root (who ignores permission bits).
    WriteFile(programDir, "not a directory");
    AppConfig& config = AppConfig::Instance();
    wxString value = "untouched";
    EXPECT_EQ(config.ReadPuttyPath(value), -1);
    config.WritePuttyPath("/usr/bin/putty");
    EXPECT_EQ(config.ReadPuttyPath(value), -1);  // still nothing in the file
    EXPECT_EQ(value, "untouched");
}

// A program folder made by something else, open to others, is made the owner's alone at start-up,
// with one log line; its files are kept as they are.
TEST_F(AppConfigTest, ProgramFolderThatOthersMayEnterIsMadePrivateOnce)
{
    fs::create_directories(programDir);
    fs::permissions(programDir, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    WriteFile(SettingsPath(), "[SHELLYARD]\nLANGUAGE=eng\n");
    fs::permissions(SettingsPath(), fs::perms::owner_read | fs::perms::owner_write);
    AppConfig::Instance();
    AppConfig::Shutdown();
    AppConfig::Instance();  // the next start finds nothing to say
    AppConfig::Shutdown();
    EXPECT_EQ(fs::status(programDir).permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(ReadFile(SettingsPath()), "[SHELLYARD]\nLANGUAGE=eng\n");
    std::string log = ReadFile(LogPath());
    const std::string line = programDir + " was readable by other users; it is now readable by its owner only";
    EXPECT_NE(log.find(line), std::string::npos) << log;
    EXPECT_EQ(log.find(line), log.rfind(line)) << log;
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 1) << log;
}

TEST_F(AppConfigTest, EveryLogLineStartsWithItsTimeStamp)
{
    AppConfig::Instance();
    AppLog::LogMessage("insert failed: 100% of '%s' [ErrNo=1]");
    wxLogWarning("a toolkit warning");
    wxLogError("a toolkit error");
    AppConfig::Shutdown();

    std::string log = ReadFile(LogPath());
    std::regex line(R"(\[\d\d/\d\d/\d\d \d\d:\d\d:\d\d\] [^\n]*\n)");
    std::smatch match;
    std::string rest = log;
    int lines = 0;
    while (std::regex_search(rest, match, line, std::regex_constants::match_continuous)) {
        ++lines;
        rest = match.suffix();
    }
    EXPECT_EQ(lines, 3) << log;
    EXPECT_TRUE(rest.empty()) << log;
    EXPECT_NE(log.find("] insert failed: 100% of '%s' [ErrNo=1]\n"), std::string::npos) << log;
    EXPECT_NE(log.find("a toolkit warning"), std::string::npos) << log;
    EXPECT_NE(log.find("a toolkit error"), std::string::npos) << log;
}

TEST_F(AppConfigTest, TimeStampHasDayMonthTwoDigitYearAndTime)
{
    AppConfig::Instance();
    wxDateTime when(5, wxDateTime::Mar, 2012, 14, 7, 9);
    EXPECT_EQ(when.Format(wxLog::GetTimestamp()), "[05/03/12 14:07:09] ");
}

TEST_F(AppConfigTest, LogIsAppendedInTheWorkingDirectoryWhileSettingsStayInTheProgramDirectory)
{
    WriteFile(LogPath(), "earlier line\n");
    AppConfig& config = AppConfig::Instance();
    wxString value;
    config.ReadPuttyPath(value);
    AppLog::LogMessage("second line");
    AppConfig::Shutdown();

    std::string log = ReadFile(LogPath());
    EXPECT_EQ(log.rfind("earlier line\n", 0), 0u) << log;
    EXPECT_NE(log.find("second line"), std::string::npos);
    EXPECT_TRUE(FileExists(SettingsPath()));
    EXPECT_FALSE(FileExists(workDir + "/shellyard.ini"));
    EXPECT_FALSE(FileExists(programDir + "/Shellyard.txt"));
}

TEST_F(AppConfigTest, LineIsInTheFileBeforeTheNextOperation)
{
    AppConfig::Instance();
    AppLog::LogMessage("written at once");
    EXPECT_NE(ReadFile(LogPath()).find("written at once"), std::string::npos);
}

TEST_F(AppConfigTest, UnopenableLogFallsBackToStandardError)
{
    fs::create_directories(LogPath());  // a directory cannot be opened for appending
    testing::internal::CaptureStderr();
    AppConfig::Instance();
    AppLog::LogMessage("to stderr instead");
    AppConfig::Shutdown();
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("to stderr instead"), std::string::npos) << err;
}

TEST_F(AppConfigTest, NothingReachesTheFileAfterShutdown)
{
    AppConfig::Instance();
    AppLog::LogMessage("before");
    AppConfig::Shutdown();
    testing::internal::CaptureStderr();
    wxLogMessage("after");
    testing::internal::GetCapturedStderr();
    std::string log = ReadFile(LogPath());
    EXPECT_NE(log.find("before"), std::string::npos);
    EXPECT_EQ(log.find("after"), std::string::npos);
}
