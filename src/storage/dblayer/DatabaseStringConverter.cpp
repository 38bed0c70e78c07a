#include "storage/dblayer/DatabaseStringConverter.h"

#include <cstring>
#include <string>

wxCharBuffer DatabaseStringConverter::ToDatabaseText(const wxString& text) const
{
    const wxScopedCharBuffer utf8 = text.utf8_str();
    wxCharBuffer bytes(utf8.length());  // holds length + 1 bytes, nul-terminated
    std::memcpy(bytes.data(), utf8.data(), utf8.length());
    return bytes;
}

std::size_t DatabaseStringConverter::EncodedLength(const wxString& text) const
{
    std::size_t length = text.utf8_str().length();
    if (length == 0)
        length = std::strlen(ToDatabaseText(text).data());
    return length;
}

wxString DatabaseStringConverter::FromDatabaseText(const char* bytes) const
{
    if (!bytes || !*bytes)
        return wxString();
    // Most stored text is plain ASCII: one pass to measure and check it, and a direct copy.
    std::size_t length = 0;
    bool ascii = true;
    for (; bytes[length]; ++length)
        ascii = ascii && static_cast<unsigned char>(bytes[length]) < 0x80;
    if (ascii) {
        // Widened in a local buffer, so that the string allocates once.
        wchar_t local[256];
        std::wstring large;
        wchar_t* wide = local;
        if (length > sizeof(local) / sizeof(local[0])) {
            large.resize(length);
            wide = &large[0];
        }
        for (std::size_t i = 0; i < length; ++i)
            wide[i] = static_cast<wchar_t>(bytes[i]);
        return wxString(wide, length);
    }
    wxString text = wxString::FromUTF8(bytes, length);
    if (text.empty())
        text = wxString(bytes, *wxConvCurrent);
    if (text.empty())
        text = wxString(bytes, wxConvISO8859_1);
    return text;
}
