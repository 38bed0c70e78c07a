#include "storage/dblayer/DatabaseStringConverter.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {
// Surrogate halves and values beyond U+10FFFF have no UTF-8 form. The toolkit's converter fails on
// a whole text that holds one (after an assertion), which would store the text as empty.
bool HasUtf8Form(wxUniChar c)
{
    const wxUniChar::value_type v = c.GetValue();
    return v < 0xD800 || (v > 0xDFFF && v <= 0x10FFFF);
}

bool WritableAsUtf8(const wxString& text) { return std::all_of(text.begin(), text.end(), HasUtf8Form); }

// Text decoded from nul-terminated bytes that can be written back as it was read: every character
// has a UTF-8 form and none is a NUL (which the C library decodes from an overlong form).
bool DecodedSoundly(const wxString& text)
{
    return std::all_of(text.begin(), text.end(), [](wxUniChar c) { return c.GetValue() != 0 && HasUtf8Form(c); });
}

// The UTF-8 bytes of text, each character without a UTF-8 form replaced by U+FFFD.
wxCharBuffer Utf8Of(const wxString& text)
{
    wxString replaced;
    const bool whole = WritableAsUtf8(text);
    if (!whole) {
        replaced.reserve(text.length());
        for (wxUniChar c : text)
            replaced += HasUtf8Form(c) ? c : wxUniChar(0xFFFD);
    }
    const wxScopedCharBuffer utf8 = (whole ? text : replaced).utf8_str();
    wxCharBuffer bytes(utf8.length());  // holds length + 1 bytes, nul-terminated
    std::memcpy(bytes.data(), utf8.data(), utf8.length());
    return bytes;
}
}  // namespace

wxCharBuffer DatabaseStringConverter::ToDatabaseText(const wxString& text) const
{
    return Utf8Of(text);
}

std::size_t DatabaseStringConverter::EncodedLength(const wxString& text) const
{
    std::size_t length = Utf8Of(text).length();
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
    // The toolkit's UTF-8 decoder and the C library's let surrogate halves and code points beyond
    // U+10FFFF through, and the C library decodes an overlong NUL; text holding one could not be
    // written back as it was read, so such bytes are not taken as UTF-8 (nor in the locale's
    // character set) either.
    wxString text = wxString::FromUTF8(bytes, length);
    if (!DecodedSoundly(text))
        text.clear();
    if (text.empty())
        text = wxString(bytes, *wxConvCurrent);
    if (!DecodedSoundly(text))
        text.clear();
    if (text.empty())
        text = wxString(bytes, wxConvISO8859_1);
    return text;
}
