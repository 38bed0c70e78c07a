#pragma once
// Named pictures of the program as toolkit bitmaps and icons. The data is embedded at build time
// (EmbeddedPictures.h); the image type is detected from the bytes, so PNG and GIF both work.
#include <wx/bitmap.h>
#include <wx/icon.h>
#include <wx/string.h>

// Decodes image data held in memory into a bitmap of the screen's depth; invalid on bad data.
wxBitmap BitmapFromImageData(const unsigned char* bytes, size_t length);
// The picture of that name; an invalid bitmap when the program holds none.
wxBitmap PictureBitmap(const wxString& name);
// The picture as an icon (the program's own "icon resources": "aaaa", "newconic", ...).
wxIcon PictureIcon(const wxString& name);
