// The site database as the main window meets it at start-up: a missing file, a damaged one and
// one that cannot be opened, each with the messages a user sees. Real frame under Xvfb.
#include "support/FrameFixture.h"

#include "storage/SiteStore.h"

#include <cstdlib>
#include <filesystem>
#include <random>
#include <sqlite3.h>
#include <wx/treectrl.h>

namespace fs = std::filesystem;

namespace {
const char* const kIncorrect = "The Database file is incorrect! Please reinstall the software or recreate database.";

class StoreStartupTest : public FrameFixture {
protected:
    std::size_t SiteCount()
    {
        wxTreeCtrl* tree = FrameProbe::Tree(frame);
        return tree->GetChildrenCount(tree->GetRootItem(), false);
    }
};

TEST_F(StoreStartupTest, MissingDatabaseIsAnnouncedAndMadeReadyForSites)
{
    ModalScript::Get().ExpectMessage("Can't find database [" + DatabasePath() + "]! will create a new one!",
                                     "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    CreateFrame();
    EXPECT_EQ(SiteCount(), 0u);

    SiteRecord site;
    site.hostip = "127.0.0.1";
    site.hostname = "first";
    site.hosttype = "ssh";
    site.hostport = "22";
    EXPECT_EQ(FrameProbe::Store(frame)->AddSite(site), 1) << "the new file holds the site table";
    DestroyFrame();

    // The folder and every file the program made are its owner's alone: the database keeps the
    // passwords in clear text.
    auto mode = [](const std::string& path) { return fs::status(path).permissions() & fs::perms::all; };
    const std::string settings = programDir + "/shellyard.ini";
    EXPECT_EQ(mode(programDir), fs::perms::owner_all);
    const auto ownerReadWrite = fs::perms::owner_read | fs::perms::owner_write;
    for (const std::string& file : {DatabasePath(), settings, workDir + "/Shellyard.txt"})
        EXPECT_EQ(mode(file), ownerReadWrite) << file;

    // Files others may read (copied from a backup, say) are made private at the next start, their
    // content untouched; the next start finds the file and its site without any message.
    fs::permissions(DatabasePath(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                        fs::perms::others_read);
    fs::permissions(settings, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_write);
    const std::string database = ReadFile(DatabasePath()), settingsText = ReadFile(settings);
    CreateFrame();
    EXPECT_EQ(SiteCount(), 1u);
    EXPECT_EQ(mode(DatabasePath()), ownerReadWrite);
    EXPECT_EQ(mode(settings), ownerReadWrite);
    EXPECT_EQ(ReadFile(DatabasePath()), database);
    EXPECT_EQ(ReadFile(settings), settingsText);
    std::string log = ReadFile(workDir + "/Shellyard.txt");
    EXPECT_NE(log.find(DatabasePath() + " was readable by other users; it is now readable by its owner only"),
              std::string::npos) << log;
    EXPECT_NE(log.find(settings + " was readable by other users"), std::string::npos) << log;
}

TEST_F(StoreStartupTest, DamagedDatabaseIsReportedAndLeftUntouched)
{
    fs::create_directories(programDir);
    std::mt19937 random(99);
    std::string bytes(8192, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    WriteFile(DatabasePath(), bytes);

    ModalScript::Get().ExpectMessage(kIncorrect, "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    CreateFrame();
    EXPECT_EQ(SiteCount(), 0u);
    DestroyFrame();
    EXPECT_TRUE(ReadFile(DatabasePath()) == bytes) << "the damaged file was changed";
}

TEST_F(StoreStartupTest, DatabaseThatCannotBeOpenedIsReportedTwiceThenTheTreeStaysEmpty)
{
    // SQLite refuses paths longer than 512 bytes; the program directory is made that long.
    std::string home = root + "/data";
    while (home.size() < 600)
        home += "/" + std::string(100, 'h');
    setenv("XDG_DATA_HOME", home.c_str(), 1);
    const std::string path = home + "/shellyard/Shellyard.db";
    fs::create_directories(home + "/shellyard");
    WriteFile(path, "kept");

    ModalScript::Get().ExpectMessage("Open database [" + path +
                                         "] failed! Reason: [ErrNo=14,ErrMsg=unable to open database file]",
                                     "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    ModalScript::Get().ExpectMessage("The database file is damaged or not existed. Re-Initialize the database now!",
                                     "Shellyard", wxOK | wxICON_INFORMATION, wxID_OK);
    ModalScript::Get().ExpectMessage(kIncorrect, "Shellyard", wxOK | wxICON_ERROR, wxID_OK);
    CreateFrame();
    EXPECT_EQ(SiteCount(), 0u);
    DestroyFrame();
    EXPECT_EQ(ReadFile(path), "kept");
}
}  // namespace
