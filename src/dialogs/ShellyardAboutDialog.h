#pragma once
// The About box with the program's pictures and version text.
#include "dialogs/AboutDialog.h"

#include <wx/bitmap.h>

class ShellyardAboutDialog : public AboutDialog {
public:
    explicit ShellyardAboutDialog(wxWindow* parent);

    // The text shown under the product name: version, build and build time, author and contact.
    static wxString VersionText();

private:
    friend struct FrameProbe;
};

// Decodes PNG (or any supported image) data held in memory into a bitmap of the screen's depth.
wxBitmap BitmapFromPngData(const unsigned char* bytes, size_t length);
