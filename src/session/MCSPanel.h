#pragma once
// Layout of the Multi Command Sender strip: command field, send button, and All / None for the
// tabs that receive.
#include <wx/bmpbuttn.h>
#include <wx/button.h>
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
    wxButton* allButton;   // every terminal tab receives
    wxButton* noneButton;  // no terminal tab receives

    virtual void OnCommandEnter(wxCommandEvent& event) { event.Skip(); }
    virtual void OnSend(wxCommandEvent& event) { event.Skip(); }
    virtual void OnAll(wxCommandEvent& event) { event.Skip(); }
    virtual void OnNone(wxCommandEvent& event) { event.Skip(); }
};
