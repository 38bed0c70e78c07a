#include "dialogs/ShellyardNewSiteDialog.h"

ShellyardNewSiteDialog::ShellyardNewSiteDialog(wxWindow* parent) : NewSiteDialog(parent) {}
