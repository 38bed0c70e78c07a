// The crash report: the toolkit's debug report of the crash context, shown in its preview dialog.
#include "app/ShellyardApp.h"
#include "support/GuiTest.h"

TEST(CrashReportTest, ShowsTheDebugReportPreview)
{
    bool shown = false;
    ModalScript::Get().ExpectDialog<wxDialog>("debug report preview", [&](wxDialog* dialog) {
        shown = true;
        EXPECT_NE(dialog->GetTitle().Lower().find("debug report"), wxString::npos) << dialog->GetTitle();
        return wxID_CANCEL;
    });
    ShowCrashReport();
    ModalScript::Get().Verify();
    EXPECT_TRUE(shown);
}
