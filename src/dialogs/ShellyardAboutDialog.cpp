#include "dialogs/ShellyardAboutDialog.h"

#include "resources/EmbeddedPictures.h"
#include "resources/Pictures.h"

#include <wx/intl.h>

wxBitmap BitmapFromPngData(const unsigned char* bytes, size_t length)
{
    return BitmapFromImageData(bytes, length);
}

namespace {
wxBitmap EmbeddedBitmap(const char* name)
{
    const EmbeddedPicture* picture = FindEmbeddedPicture(name);
    return picture ? BitmapFromPngData(picture->data, picture->size) : wxBitmap();
}
}  // namespace

wxString ShellyardAboutDialog::VersionText()
{
    return wxString::Format(wxGetTranslation("Version: %s %d.%d Build %d\nOn [%s-%s-%s %s]\n\n"
                                             "Author: the Shellyard developers\n"
                                             "Contact: https://shellyard.org/"),
                            "Beta", 1, 0, 351, "2012", "03", "29", "15:18:09");
}

ShellyardAboutDialog::ShellyardAboutDialog(wxWindow* parent) : AboutDialog(parent)
{
    wxString version = VersionText();
    pictureBitmap->SetBitmap(EmbeddedBitmap("about_picture"));
    bannerBitmap->SetBitmap(EmbeddedBitmap("about_banner"));
    versionLabel->SetLabel(version);
    Layout();
    Centre(wxBOTH);
}
