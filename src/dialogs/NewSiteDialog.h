#pragma once
// Layout of the "New Connection" site editor (placeholder until the dialog lands).
#include <wx/dialog.h>

class NewSiteDialog : public wxDialog {
public:
    NewSiteDialog(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = "New Connection",
                  const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(440, 345),
                  long style = wxDEFAULT_DIALOG_STYLE);
};
