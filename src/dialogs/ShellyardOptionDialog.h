#pragma once
// The options dialog: where PuTTY and PLink live (placeholder until the dialog lands).
#include "dialogs/OptionDialog.h"

class ShellyardOptionDialog : public OptionDialog {
public:
    explicit ShellyardOptionDialog(wxWindow* parent);
    void SetPuttyLocation(const wxString& path) { puttyLocation = path; }
    void SetPlinkLocation(const wxString& path) { plinkLocation = path; }

private:
    wxString puttyLocation;
    wxString plinkLocation;
};
