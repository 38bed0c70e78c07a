#pragma once
// Layout of the Multi Command Sender strip: command field and send button.
#include <wx/bmpbuttn.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

class MCSPanel : public wxPanel {
public:
    MCSPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
             const wxSize& size = wxSize(400, 23), long style = wxTAB_TRAVERSAL | wxNO_BORDER);
    ~MCSPanel() override;

protected:
    wxStaticText* commandLabel;
    wxTextCtrl* commandText;
    wxBitmapButton* sendButton;

    virtual void OnCommandEnter(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSend(wxCommandEvent& event) { event.Skip(); }
};
