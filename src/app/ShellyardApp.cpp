#include "app/ShellyardApp.h"

#include "app/AppConfig.h"
#include "app/ShellyardFrame.h"
#include "app/SingleInstance.h"
#include "resources/Pictures.h"

#include <cstdio>
#include <cstdlib>
#include <wx/debugrpt.h>
#include <wx/image.h>

void PrepareDisplayBackend()
{
    setenv("GDK_BACKEND", "x11", 1);
}

bool ClaimDataFolder(int& status)
{
    const wxString folder = AppConfig::ProgramDirectory();
    auto laterStart = [] {
        // Called where only queueing is safe; the window comes to the front from the event loop.
        wxTheApp->CallAfter([] {
            for (wxWindow* window : wxTopLevelWindows) {
                if (auto* frame = dynamic_cast<ShellyardFrame*>(window))
                    frame->BringToFront();
            }
        });
    };
    // A running Shellyard may be starting itself or busy with a large tree: it gets a while to answer.
    switch (SingleInstance::ClaimFolder(std::string(folder.utf8_str()), laterStart, std::chrono::seconds(10))) {
    case SingleInstance::Claim::Ours:
        return true;
    case SingleInstance::Claim::AnotherShown:
        status = 0;
        return false;
    case SingleInstance::Claim::AnotherSilent:
        break;
    }
    std::fprintf(stderr, "Shellyard already runs on %s but did not answer; no second window is opened.\n",
                 static_cast<const char*>(folder.utf8_str()));
    status = 1;
    return false;
}

bool ShellyardApp::OnInit()
{
    // A second start on the same data folder brings the running window to the front and ends:
    // two windows on one database would each keep a tree of their own.
    if (!ClaimDataFolder(laterStartStatus))
        return true;  // OnRun ends at once with the status

    wxInitAllImageHandlers();
    wxHandleFatalExceptions(true);

    ShellyardFrame* frame = new ShellyardFrame(nullptr);
    frame->SetIcon(PictureIcon("aaaa"));
    frame->Show();
    frame->OfferToTakeBackSessionsOnceShown();
    return true;
}

int ShellyardApp::OnRun()
{
    return laterStartStatus >= 0 ? laterStartStatus : wxApp::OnRun();
}

void ShellyardApp::OnFatalException()
{
    ShowCrashReport();
}

void ShowCrashReport()
{
    wxDebugReport* report = new wxDebugReport;
    report->AddAll(wxDebugReport::Context_Exception);
    report->Process();
    wxDebugReportPreviewStd preview;
    preview.Show(*report);
    delete report;
}
