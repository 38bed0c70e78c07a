#pragma once
// The one exception type of the database access layer: the error message and code of the object
// that failed, copied at the moment of the failure. Thrown by value, caught by reference.
#include <wx/string.h>

class DatabaseLayerException {
public:
    DatabaseLayerException(const wxString& message, int code) : message(message), code(code) {}

    const wxString& GetErrorMessage() const { return message; }
    int GetErrorCode() const { return code; }

private:
    wxString message;
    int code;
};
