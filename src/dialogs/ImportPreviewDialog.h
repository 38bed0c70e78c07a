#pragma once
// The preview of an import: one row per site found, with a check box, its name, host, port, user,
// key file and a note ("already stored", "needs its own PuTTY settings"). Sites already stored are
// unchecked and cannot be checked. A virtual list: thousands of rows show at once. The caller owns
// the rows and reads the check marks after ShowModal() returned wxID_OK.
#include <string>
#include <vector>
#include <wx/dialog.h>

class wxListCtrl;
class wxListEvent;

class ImportPreviewDialog : public wxDialog {
public:
    struct Row {
        wxString name, host, port, user, keyFile, note;
        bool stored = false;  // a site with the same name, host, port and user is stored already
        bool checked = true;
    };
    ImportPreviewDialog(wxWindow* parent, const wxString& title, std::vector<Row> rows);

    const std::vector<Row>& Rows() const { return rows; }
    void SetChecked(size_t row, bool checked);
    wxListCtrl* List() const { return list; }

private:
    class RowList;
    void OnChecked(wxListEvent& event, bool checked);

    std::vector<Row> rows;
    wxListCtrl* list = nullptr;
};
