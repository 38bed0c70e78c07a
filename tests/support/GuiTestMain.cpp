// gtest main for tests that need the toolkit's GUI: starts wxWidgets on the X display given by
// with-xvfb.sh, keeps an event loop active for the tests to pump, and turns toolkit assertions and
// unexpected modal dialogs into test failures.
#include "app/ShellyardApp.h"
#include "support/GuiTest.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/log.h>

namespace {
class TestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

void AssertToFailure(const wxString& file, int line, const wxString& func, const wxString& cond,
                     const wxString& msg)
{
    ADD_FAILURE_AT(file.c_str().AsChar(), line) << "wx assertion in " << func << ": " << cond << " " << msg;
}
}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    PrepareDisplayBackend();
    wxApp::SetInstance(new TestApp);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "cannot start the toolkit: is DISPLAY set (run through with-xvfb.sh)?\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    wxInitAllImageHandlers();
    wxSetAssertHandler(AssertToFailure);
    // Log messages go to standard error: the toolkit's default target would turn them into
    // message boxes that no test expects.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    ModalScript::Get();

    int result;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);
        result = RUN_ALL_TESTS();
    }
    wxEntryCleanup();
    return result;
}
