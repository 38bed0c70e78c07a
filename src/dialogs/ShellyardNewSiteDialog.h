#pragma once
// The site editor (placeholder until the dialog lands).
#include "dialogs/NewSiteDialog.h"

class ShellyardNewSiteDialog : public NewSiteDialog {
public:
    explicit ShellyardNewSiteDialog(wxWindow* parent);
};
