#include "resources/Pictures.h"

#include "resources/EmbeddedPictures.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

wxBitmap BitmapFromImageData(const unsigned char* bytes, size_t length)
{
    if (!bytes || length == 0)
        return wxBitmap();
    wxMemoryInputStream stream(bytes, length);
    wxImage image(stream, wxBITMAP_TYPE_ANY);
    if (!image.IsOk())
        return wxBitmap();
    return wxBitmap(image, -1);
}

wxBitmap PictureBitmap(const wxString& name)
{
    const EmbeddedPicture* picture = FindEmbeddedPicture(name.ToStdString());
    if (!picture) {
        wxLogDebug("No embedded picture named %s", name);
        return wxBitmap();
    }
    return BitmapFromImageData(picture->data, picture->size);
}

wxIcon PictureIcon(const wxString& name)
{
    wxIcon icon;
    wxBitmap bitmap = PictureBitmap(name);
    if (bitmap.IsOk())
        icon.CopyFromBitmap(bitmap);
    return icon;
}
