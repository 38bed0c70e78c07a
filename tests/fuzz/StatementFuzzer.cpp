// Query texts cut into statements. Besides the sanitizers' findings it checks that every statement
// ends with a semicolon, holds more than semicolons and blanks, and is a piece of the text (the last
// one perhaps with its semicolon added), the pieces in the order of the text and not overlapping.
#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitAsserts.h"
#include "storage/dblayer/StatementSplitter.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ToolkitAssertsAbort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    wxString text = wxString::FromUTF8(bytes, size);
    if (text.empty())
        text = wxString::From8BitData(bytes, size);

    size_t from = 0;
    for (const wxString& statement : StatementSplitter::Split(text)) {
        FUZZ_CHECK(!statement.empty() && statement.Last() == ';');
        wxString content = statement;
        content.Replace(";", "");
        FUZZ_CHECK(!content.Trim(true).Trim(false).empty());
        size_t at = text.find(statement, from);
        size_t length = statement.length();
        if (at == wxString::npos) {
            // Only a remainder at the end of the text gets a semicolon that the text does not have.
            length -= 1;
            FUZZ_CHECK(text.length() >= from + length && text.Right(length) == statement.Left(length));
            at = text.length() - length;
        }
        from = at + length;
    }
    return 0;
}
