#include "support/FrameInspector.h"
#include "support/GuiTest.h"

#include "app/AppConfig.h"

#include <wx/menu.h>
#include <wx/weakref.h>

namespace {
class FrameTest : public TempDirsTest {
protected:
    void SetUp() override
    {
        TempDirsTest::SetUp();
    }
    ShellyardFrame* CreateFrame()
    {
        frame = new ShellyardFrame(nullptr);
        frame->Show();
        ModalScript::Get().Verify();
        return frame;
    }
    void TearDown() override
    {
        if (frame) {
            frame->Destroy();
            PumpEvents();
        }
        ModalScript::Get().Verify();
        TempDirsTest::TearDown();
    }
    wxWeakRef<ShellyardFrame> frame;
};
}  // namespace

TEST_F(FrameTest, StartsWithTitleSizeAndPanes)
{
    CreateFrame();
    EXPECT_EQ(frame->GetTitle(), "Shellyard");
    EXPECT_EQ(frame->GetSize(), wxSize(1156, 805));
    wxAuiManager& aui = FrameInspector::Aui(frame);
    for (const char* pane : {"tb", "loginpanel", "mcspanel", "SiteTree", "notebook_content"})
        EXPECT_TRUE(aui.GetPane(pane).IsOk() && aui.GetPane(pane).IsShown()) << pane;
}
