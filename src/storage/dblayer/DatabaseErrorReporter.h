#pragma once
// The last error of a layer object (connection, statement, result set): a code and a message.
// Every operation that can fail first calls ResetErrors(), so they always describe the latest
// operation on that object; a failure sets both and then calls ThrowError().
#include <wx/string.h>

class DatabaseErrorReporter {
public:
    virtual ~DatabaseErrorReporter() = default;

    const wxString& ErrorMessage() const { return errorMessage; }
    int ErrorCode() const { return errorCode; }
    void SetErrorMessage(const wxString& message) { errorMessage = message; }
    void SetErrorCode(int code) { errorCode = code; }
    void ResetErrors()
    {
        errorMessage.clear();
        errorCode = 0;
    }
    // Throws a DatabaseLayerException holding copies of the current message and code.
    [[noreturn]] void ThrowError() const;

private:
    wxString errorMessage;
    int errorCode = 0;
};
