// Where the Upgrade and Donation tools and the About links send the user: the home page the build
// was given, or without one the README that goes with the program, which says how to update. Built
// twice: with the build's own setting, and with a home page of its own (SHELLYARD_HOMEPAGE).
#include "support/FrameFixture.h"

#include "dialogs/ShellyardAboutDialog.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <wx/hyperlink.h>

class WebPageTest : public FrameFixture {};

TEST_F(WebPageTest, UpgradeDonationAndAboutSendUsersOnlyWhereTheProjectIs)
{
    const std::string homePage = SHELLYARD_HOMEPAGE;
    std::string target = homePage, shown = homePage;
    if (homePage.empty()) {
        // The README beside this program, as beside the program in a build tree; it tells how to update.
        shown = std::filesystem::canonical("/proc/self/exe").parent_path().string() + "/README.md";
        target = "file://" + shown;
        EXPECT_NE(ReadFile(shown).find("apt-get install ./"), std::string::npos) << shown;
    }

    // The toolkit hands the address to xdg-open, found on PATH: this one records it.
    const std::string bin = root + "/bin", urls = root + "/urls.txt";
    std::filesystem::create_directories(bin);
    WriteFile(bin + "/xdg-open", "#!/bin/sh\necho \"$1\" >> '" + urls + "'\n");
    chmod((bin + "/xdg-open").c_str(), 0755);
    const std::string path = std::getenv("PATH");
    setenv("PATH", (bin + ":" + path).c_str(), 1);
    CreateDatabase();
    CreateFrame();
    FrameProbe::Command(frame, ID_TOOL_UPGRADE);
    FrameProbe::Command(frame, ID_TOOL_DONATION);
    EXPECT_TRUE(WaitFor([&] {
        std::string text = ReadFile(urls);
        return std::count(text.begin(), text.end(), '\n') == 2;
    }));
    setenv("PATH", path.c_str(), 1);
    // The toolkit gives xdg-open a local file as its path.
    EXPECT_EQ(ReadFile(urls), shown + "\n" + shown + "\n");

    ModalScript::Get().ExpectDialog<ShellyardAboutDialog>("About box", [&](ShellyardAboutDialog* about) {
        for (wxHyperlinkCtrl* link : FrameProbe::AboutLinks(about))
            EXPECT_EQ(link->GetURL().ToStdString(), target) << link->GetLabel();
        EXPECT_EQ(FrameProbe::AboutLinks(about).back()->GetLabel().ToStdString(), shown);
        EXPECT_TRUE(FrameProbe::AboutVersion(about).EndsWith("\nContact: " + shown));
        return wxID_CANCEL;
    });
    FrameProbe::Command(frame, 1002);
}
