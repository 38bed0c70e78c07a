#include "dialogs/OptionDialog.h"

#include "resources/Pictures.h"
#include "resources/ReadableColour.h"

#include <wx/aui/auibook.h>
#include <wx/bmpbuttn.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/hyperlink.h>
#include <wx/intl.h>
#include <wx/listbox.h>
#include <wx/panel.h>
#include <wx/settings.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>


namespace {
const char* const kPuttyDownloadPage = "https://www.chiark.greenend.org.uk/~sgtatham/putty/latest.html";

// One "label, field, browse button" row of the location panel.
wxBoxSizer* LocationRow(wxStaticText* label, wxTextCtrl* field, wxBitmapButton* button)
{
    wxBoxSizer* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(label, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    row->Add(field, 1, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    row->Add(button, 0, wxALL, 5);
    return row;
}
}  // namespace

OptionDialog::OptionDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                           const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);

    wxBoxSizer* dialogSizer = new wxBoxSizer(wxHORIZONTAL);
    optionsNotebook = new wxAuiNotebook(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER);

    generalPage = new wxPanel(optionsNotebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    optionsNotebook->AddPage(generalPage, _("General"), true, wxNullBitmap);
    wxBoxSizer* generalSizer = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* reopenRow = new wxBoxSizer(wxHORIZONTAL);
    reopenLabel = new wxStaticText(generalPage, wxID_ANY, _("Reopen last sessions at start:"));
    reopenRow->Add(reopenLabel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    wxString reopenItems[] = {_("Ask"), _("Always"), _("Never")};
    reopenChoice = new wxChoice(generalPage, wxID_ANY, wxDefaultPosition, wxDefaultSize, 3, reopenItems);
    reopenChoice->SetSelection(0);
    reopenRow->Add(reopenChoice, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    generalSizer->Add(reopenRow, 0, wxALL, 5);
    generalPage->SetSizer(generalSizer);

    pluginsPage = new wxPanel(optionsNotebook, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL);
    wxBoxSizer* pluginsSizer = new wxBoxSizer(wxVERTICAL);

    // Upper block: which plugins exist, what PuTTY is and where to get it.
    wxStaticBoxSizer* supportedSizer =
        new wxStaticBoxSizer(new wxStaticBox(pluginsPage, wxID_ANY, _("Supported Plugins")), wxHORIZONTAL);
    wxWindow* box = supportedSizer->GetStaticBox();
    wxString plugins[] = {_("PuTTY"), _("PLink")};
    pluginList = new wxListBox(box, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, plugins, wxLB_SINGLE);
    supportedSizer->Add(pluginList, 1, wxEXPAND | wxALL, 5);

    wxBoxSizer* aboutPuttySizer = new wxBoxSizer(wxVERTICAL);
    pluginDescription = new wxTextCtrl(
        box, wxID_ANY,
        _("PuTTY is a free SSH and Telnet client written and maintained by Simon Tatham. Shellyard starts "
          "PuTTY for every terminal session and PLink, its command-line companion, for monitoring.\n\n"
          "This version of Shellyard was written for PuTTY 0.78. If PuTTY is not installed yet, or you "
          "want a newer release, download it from PuTTY's download page below."),
        wxDefaultPosition, wxDefaultSize, wxTE_MULTILINE | wxTE_READONLY | wxNO_BORDER);
    pluginDescription->SetForegroundColour(ReadableOn(pluginDescription->GetBackgroundColour(),
                                                      wxSystemSettings::GetColour(wxSYS_COLOUR_ACTIVECAPTION)));
    aboutPuttySizer->Add(pluginDescription, 2, wxEXPAND | wxALL, 5);
    downloadLink = new wxHyperlinkCtrl(box, wxID_ANY, kPuttyDownloadPage, kPuttyDownloadPage, wxDefaultPosition,
                                       wxDefaultSize, wxHL_DEFAULT_STYLE);
    aboutPuttySizer->Add(downloadLink, 0, wxALL, 5);
    supportedSizer->Add(aboutPuttySizer, 2, wxEXPAND, 5);
    pluginsSizer->Add(supportedSizer, 3, wxEXPAND, 5);

    // Lower block: the two locations, the configuration button and Apply.
    wxBoxSizer* lowerSizer = new wxBoxSizer(wxVERTICAL);
    locationPanel = new wxPanel(pluginsPage, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxNO_BORDER);
    locationPanel->SetToolTip(_("Download newly PuTTY Here."));
    wxBoxSizer* locationSizer = new wxBoxSizer(wxVERTICAL);

    puttyLocationLabel = new wxStaticText(locationPanel, wxID_ANY, _("PuTTY Location:"));
    puttyLocationLabel->Wrap(-1);
    puttyLocationText = new wxTextCtrl(locationPanel, wxID_ANY, wxEmptyString);
    puttyBrowseButton = new wxBitmapButton(locationPanel, wxID_ANY, PictureBitmap("openfo"), wxDefaultPosition,
                                           wxDefaultSize, wxBU_AUTODRAW);
    locationSizer->Add(LocationRow(puttyLocationLabel, puttyLocationText, puttyBrowseButton), 0, wxEXPAND, 5);

    plinkLocationLabel = new wxStaticText(locationPanel, wxID_ANY, _("PLink   Location:"));
    plinkLocationLabel->Wrap(-1);
    plinkLocationText = new wxTextCtrl(locationPanel, wxID_ANY, wxEmptyString);
    plinkBrowseButton = new wxBitmapButton(locationPanel, wxID_ANY, PictureBitmap("openfo"), wxDefaultPosition,
                                           wxDefaultSize, wxBU_AUTODRAW);
    locationSizer->Add(LocationRow(plinkLocationLabel, plinkLocationText, plinkBrowseButton), 0, wxEXPAND, 0);

    wxBoxSizer* configRow = new wxBoxSizer(wxHORIZONTAL);
    puttyConfigLabel = new wxStaticText(locationPanel, wxID_ANY, _("PuTTY Configuration:"));
    puttyConfigLabel->Wrap(-1);
    configRow->Add(puttyConfigLabel, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
    puttyConfigButton = new wxBitmapButton(locationPanel, wxID_ANY, PictureBitmap("putic"), wxDefaultPosition,
                                           wxDefaultSize, wxBU_AUTODRAW);
    configRow->Add(puttyConfigButton, 0, wxALL, 5);
    locationSizer->Add(configRow, 0, wxEXPAND, 0);

    wxBoxSizer* lineRow = new wxBoxSizer(wxVERTICAL);
    separatorLine = new wxStaticLine(locationPanel, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxLI_HORIZONTAL);
    lineRow->Add(separatorLine, 0, wxEXPAND | wxALL, 5);
    locationSizer->Add(lineRow, 0, wxEXPAND, 0);

    buttonSizer = new wxStdDialogButtonSizer();
    applyButton = new wxButton(locationPanel, wxID_APPLY);
    buttonSizer->AddButton(applyButton);
    buttonSizer->Realize();
    // Vertical centring means nothing in a vertical sizer (and the toolkit asserts on it), so only
    // the expansion and the border are given.
    locationSizer->Add(buttonSizer, 1, wxEXPAND | wxALL, 5);

    locationPanel->SetSizer(locationSizer);
    locationPanel->Layout();
    locationSizer->Fit(locationPanel);
    lowerSizer->Add(locationPanel, 1, wxEXPAND | wxALL, 5);
    pluginsSizer->Add(lowerSizer, 2, wxEXPAND, 0);

    pluginsPage->SetSizer(pluginsSizer);
    pluginsPage->Layout();
    pluginsSizer->Fit(pluginsPage);
    optionsNotebook->AddPage(pluginsPage, _("Plugins"), false, wxNullBitmap);

    dialogSizer->Add(optionsNotebook, 1, wxEXPAND | wxALL, 0);
    SetSizer(dialogSizer);
    Layout();
    Centre(wxBOTH);

    puttyBrowseButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(OptionDialog::OnBrowsePutty),
                               nullptr, this);
    plinkBrowseButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(OptionDialog::OnBrowsePlink),
                               nullptr, this);
    puttyConfigButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED,
                               wxCommandEventHandler(OptionDialog::OnStartPuttyConfig), nullptr, this);
    applyButton->Connect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(OptionDialog::OnApply), nullptr, this);
    reopenChoice->Connect(wxEVT_COMMAND_CHOICE_SELECTED, wxCommandEventHandler(OptionDialog::OnReopenChoice), nullptr,
                          this);
}

OptionDialog::~OptionDialog()
{
    puttyBrowseButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(OptionDialog::OnBrowsePutty),
                                  nullptr, this);
    plinkBrowseButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(OptionDialog::OnBrowsePlink),
                                  nullptr, this);
    puttyConfigButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED,
                                  wxCommandEventHandler(OptionDialog::OnStartPuttyConfig), nullptr, this);
    reopenChoice->Disconnect(wxEVT_COMMAND_CHOICE_SELECTED, wxCommandEventHandler(OptionDialog::OnReopenChoice),
                             nullptr, this);
    applyButton->Disconnect(wxEVT_COMMAND_BUTTON_CLICKED, wxCommandEventHandler(OptionDialog::OnApply), nullptr,
                            this);
}
