#include "app/ShellyardApp.h"

#include "app/ShellyardFrame.h"
#include "resources/Pictures.h"

#include <cstdlib>
#include <wx/debugrpt.h>
#include <wx/image.h>

void PrepareDisplayBackend()
{
    setenv("GDK_BACKEND", "x11", 1);
}

bool ShellyardApp::OnInit()
{
    wxInitAllImageHandlers();
    wxHandleFatalExceptions(true);

    ShellyardFrame* frame = new ShellyardFrame(nullptr);
    frame->SetIcon(PictureIcon("aaaa"));
    frame->Show();
    return true;
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
