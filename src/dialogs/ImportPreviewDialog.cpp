#include "dialogs/ImportPreviewDialog.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

class ImportPreviewDialog::RowList : public wxListCtrl {
public:
    RowList(ImportPreviewDialog* owner)
        : wxListCtrl(owner, wxID_ANY, wxDefaultPosition, wxSize(640, 320), wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES),
          owner(owner)
    {
    }

    wxString OnGetItemText(long item, long column) const override
    {
        const Row& row = owner->rows[static_cast<size_t>(item)];
        switch (column) {
        case 0: return row.name;
        case 1: return row.host;
        case 2: return row.port;
        case 3: return row.user;
        case 4: return row.keyFile;
        default: return row.note;
        }
    }
    bool OnGetItemIsChecked(long item) const override { return owner->rows[static_cast<size_t>(item)].checked; }

private:
    ImportPreviewDialog* owner;
};

ImportPreviewDialog::ImportPreviewDialog(wxWindow* parent, const wxString& title, std::vector<Row> found)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER),
      rows(std::move(found))
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, wxID_ANY, _("Checked sites are added; sites already stored are skipped.")), 0,
               wxALL, 5);
    list = new RowList(this);
    list->EnableCheckBoxes(true);
    const char* columns[] = {"Name", "Host", "Port", "User", "Private key", "Note"};
    const int widths[] = {130, 130, 50, 80, 120, 150};
    for (int i = 0; i < 6; ++i)
        list->AppendColumn(wxGetTranslation(columns[i]), wxLIST_FORMAT_LEFT, widths[i]);
    list->SetItemCount(static_cast<long>(rows.size()));
    sizer->Add(list, 1, wxEXPAND | wxALL, 5);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 5);
    SetSizerAndFit(sizer);
    list->Bind(wxEVT_LIST_ITEM_CHECKED, [this](wxListEvent& event) { OnChecked(event, true); });
    list->Bind(wxEVT_LIST_ITEM_UNCHECKED, [this](wxListEvent& event) { OnChecked(event, false); });
}

void ImportPreviewDialog::SetChecked(size_t row, bool checked)
{
    if (row >= rows.size())
        return;
    // A site stored already stays out: it would be there twice.
    rows[row].checked = checked && !rows[row].stored;
    list->RefreshItem(static_cast<long>(row));
}

void ImportPreviewDialog::OnChecked(wxListEvent& event, bool checked)
{
    SetChecked(static_cast<size_t>(event.GetIndex()), checked);
}
