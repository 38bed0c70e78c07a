// Text across the database boundary. Bytes read from a database file of unknown origin become text
// and go back as UTF-8 when the site is written again; text the program holds, whatever code points
// it has, goes in as UTF-8. Besides the sanitizers' findings it checks that nothing read is dropped,
// that valid UTF-8 comes back byte for byte, and that the encoded length is the length of the
// encoded bytes.
#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitAsserts.h"
#include "storage/dblayer/DatabaseStringConverter.h"

#include <clocale>
#include <cstring>
#include <string>

namespace {
// Well-formed UTF-8 as the standard has it: no overlong forms, no surrogate halves, nothing beyond
// U+10FFFF, nothing cut off.
bool IsUtf8(const unsigned char* s, size_t n)
{
    for (size_t i = 0; i < n;) {
        const unsigned char c = s[i];
        size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > n)
            return false;
        uint32_t cp = length == 1 ? c : c & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        static const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[length] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ToolkitAssertsAbort();
    // As on a desktop, where the toolkit takes the locale from the environment.
    std::setlocale(LC_ALL, "C.UTF-8");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const DatabaseStringConverter converter;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const char* stored = bytes.c_str();  // a column's text ends at its first NUL
    const size_t storedLength = std::strlen(stored);

    const wxString text = converter.FromDatabaseText(stored);
    FUZZ_CHECK(text.empty() == (storedLength == 0));
    const wxCharBuffer back = converter.ToDatabaseText(text);
    FUZZ_CHECK(back.data() != nullptr);
    FUZZ_CHECK(converter.EncodedLength(text) == std::strlen(back.data()));
    if (IsUtf8(reinterpret_cast<const unsigned char*>(stored), storedLength))
        FUZZ_CHECK(std::strcmp(back.data(), stored) == 0);
    // What was written reads back as the same text.
    FUZZ_CHECK(converter.FromDatabaseText(back.data()) == text);

    // The same bytes as the code units of a wide string: unpaired surrogates, values beyond U+10FFFF.
    wxString wide;
    for (size_t i = 0; i + 4 <= size; i += 4) {
        uint32_t unit;
        std::memcpy(&unit, data + i, 4);
        wide += wxUniChar(unit ? unit : 1);
    }
    const wxCharBuffer encoded = converter.ToDatabaseText(wide);
    FUZZ_CHECK(encoded.data() != nullptr);
    FUZZ_CHECK(converter.EncodedLength(wide) == std::strlen(encoded.data()));
    return 0;
}
