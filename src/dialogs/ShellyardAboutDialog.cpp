#include "dialogs/ShellyardAboutDialog.h"

#include "app/ProjectAddress.h"

#include "resources/EmbeddedPictures.h"
#include "resources/Pictures.h"

#include <algorithm>
#include <wx/intl.h>
#include <wx/sizer.h>

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
                                             "Contact: %s"),
                            "Beta", SHELLYARD_VERSION_MAJOR, SHELLYARD_VERSION_MINOR, SHELLYARD_VERSION_BUILD, "2012",
                            "03", "29", "15:18:09", ProjectAddress::Shown());
}

ShellyardAboutDialog::ShellyardAboutDialog(wxWindow* parent) : AboutDialog(parent)
{
    wxString version = VersionText();
    pictureBitmap->SetBitmap(EmbeddedBitmap("about_picture"));
    bannerBitmap->SetBitmap(EmbeddedBitmap("about_banner"));
    versionLabel->SetLabel(version);
    // 356x289 is the box's size when everything fits; with the pictures, the version lines and
    // the links of this build it needs more, and a cut-off version text helps nobody.
    wxSize fitting = GetSizer()->ComputeFittingWindowSize(this);
    SetSize(wxSize(std::max(GetSize().x, fitting.x), std::max(GetSize().y, fitting.y)));
    Layout();
    Centre(wxBOTH);
}
