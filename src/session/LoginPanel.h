#pragma once
// Layout of the Quick Login strip: host field (which offers the recent hosts), protocol choice and
// the login button.
#include <wx/bmpbuttn.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/stattext.h>

class LoginPanel : public wxPanel {
public:
    LoginPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
               const wxSize& size = wxSize(400, 23), long style = wxTAB_TRAVERSAL | wxNO_BORDER);
    ~LoginPanel() override;

protected:
    wxStaticText* quickLoginLabel;
    wxComboBox* hostText;
    wxStaticText* protocolLabel;
    wxChoice* protocolChoice;
    wxBitmapButton* loginButton;

    virtual void OnLogin(wxCommandEvent& event) { event.Skip(); }
    virtual void OnHostEnter(wxCommandEvent& event) { event.Skip(); }
    virtual void OnHostChosen(wxCommandEvent& event) { event.Skip(); }
    virtual void OnHostDropDown(wxCommandEvent& event) { event.Skip(); }
    virtual void OnProtocolChosen(wxCommandEvent& event) { event.Skip(); }
};
