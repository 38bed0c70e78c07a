#pragma once
// Text across the SQLite boundary: the program's strings go in as UTF-8 and come back from UTF-8.
// The encoding object is handed on to every statement and result set an object creates; the
// conversions themselves always use UTF-8.
#include <wx/buffer.h>
#include <wx/strconv.h>
#include <wx/string.h>

#include <cstddef>

class DatabaseStringConverter {
public:
    DatabaseStringConverter() : encoding("UTF-8") {}
    virtual ~DatabaseStringConverter() = default;

    // The UTF-8 bytes of text in a nul-terminated buffer that the caller owns.
    virtual wxCharBuffer ToDatabaseText(const wxString& text) const;
    // The byte length of the UTF-8 form of text (without the terminating nul).
    virtual std::size_t EncodedLength(const wxString& text) const;
    // Text from nul-terminated UTF-8 bytes. Bytes that are not UTF-8 are taken in the locale's
    // character set, and failing that byte for byte (Latin-1), so that nothing read is dropped.
    // A null pointer gives empty text.
    virtual wxString FromDatabaseText(const char* bytes) const;

    void SetEncoding(const wxCSConv& conv) { encoding = conv; }
    const wxCSConv& GetEncoding() const { return encoding; }

private:
    wxCSConv encoding;
};
