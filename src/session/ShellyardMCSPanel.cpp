#include "session/ShellyardMCSPanel.h"

#include "app/ShellyardFrame.h"

#include <wx/msgdlg.h>

ShellyardMCSPanel::ShellyardMCSPanel(ShellyardFrame* frame)
    : MCSPanel(frame, wxID_ANY, wxDefaultPosition, wxSize(400, 23), wxTAB_TRAVERSAL | wxNO_BORDER), frame(frame)
{
}

void ShellyardMCSPanel::OnSend(wxCommandEvent& event)
{
    lastCommand = commandText->GetValue();
    if (lastCommand.empty()) {
        wxMessageBox(_("No command to be executed!"), wxMessageBoxCaptionStr, wxOK | wxCENTRE, nullptr);
        return;
    }
    frame->SendToAllSessions(lastCommand);
}

void ShellyardMCSPanel::OnCommandEnter(wxCommandEvent& event)
{
    OnSend(event);
}

void ShellyardMCSPanel::OnAll(wxCommandEvent& event)
{
    frame->SetAllReceiveBroadcast(true);
}

void ShellyardMCSPanel::OnNone(wxCommandEvent& event)
{
    frame->SetAllReceiveBroadcast(false);
}
