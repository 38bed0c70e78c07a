#include "storage/dblayer/DatabaseStringConverter.h"

#include <cstring>

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
    wxString text = wxString::FromUTF8(bytes);
    if (text.empty())
        text = wxString(bytes, *wxConvCurrent);
    if (text.empty())
        text = wxString(bytes, wxConvISO8859_1);
    return text;
}
