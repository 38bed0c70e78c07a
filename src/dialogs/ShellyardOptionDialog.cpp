#include "dialogs/ShellyardOptionDialog.h"

ShellyardOptionDialog::ShellyardOptionDialog(wxWindow* parent) : OptionDialog(parent) {}
