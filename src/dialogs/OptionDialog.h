#pragma once
// Layout of the options dialog (placeholder until the dialog lands).
#include <wx/dialog.h>

class OptionDialog : public wxDialog {
public:
    OptionDialog(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = "Shellyard Options",
                 const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(552, 444),
                 long style = wxDEFAULT_DIALOG_STYLE);
};
