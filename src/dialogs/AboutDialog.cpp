#include "dialogs/AboutDialog.h"

#include "app/ProjectAddress.h"

#include <wx/sizer.h>

AboutDialog::AboutDialog(wxWindow* parent, wxWindowID id, const wxString& title, const wxPoint& pos,
                         const wxSize& size, long style)
    : wxDialog(parent, id, title, pos, size, style)
{
    SetSizeHints(wxDefaultSize, wxDefaultSize);
    SetBackgroundColour(wxColour(255, 255, 255));

    wxBoxSizer* columns = new wxBoxSizer(wxHORIZONTAL);

    wxBoxSizer* left = new wxBoxSizer(wxVERTICAL);
    pictureBitmap = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize, wxNO_BORDER);
    left->Add(pictureBitmap, 1, wxEXPAND | wxALL, 5);
    columns->Add(left, 1, wxEXPAND, 0);

    wxBoxSizer* right = new wxBoxSizer(wxVERTICAL);
    wxBoxSizer* banner = new wxBoxSizer(wxVERTICAL);
    bannerBitmap = new wxStaticBitmap(this, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxDefaultSize, 0);
    banner->Add(bannerBitmap, 1, wxEXPAND | wxALL, 5);
    right->Add(banner, 0, wxEXPAND, 5);

    wxBoxSizer* texts = new wxBoxSizer(wxVERTICAL);
    productLabel = new wxStaticText(this, wxID_ANY, "Shellyard", wxDefaultPosition, wxDefaultSize, 0);
    productLabel->Wrap(-1);
    productLabel->SetFont(productLabel->GetFont().Bold().Larger());
    texts->Add(productLabel, 0, wxALL, 5);
    versionLabel = new wxStaticText(this, wxID_ANY, wxEmptyString, wxDefaultPosition, wxDefaultSize, 0);
    versionLabel->Wrap(-1);
    texts->Add(versionLabel, 0, wxALL, 5);
    weiboLink = new wxHyperlinkCtrl(this, wxID_ANY, _("follow us on Sina Weibo"), ProjectAddress::Target(),
                                    wxDefaultPosition, wxDefaultSize, wxHL_DEFAULT_STYLE);
    texts->Add(weiboLink, 0, wxALL, 5);
    twitterLink = new wxHyperlinkCtrl(this, wxID_ANY, _("follow us on Twitter"), ProjectAddress::Target(),
                                      wxDefaultPosition, wxDefaultSize, wxHL_DEFAULT_STYLE);
    texts->Add(twitterLink, 0, wxALL, 5);
    homeLink = new wxHyperlinkCtrl(this, wxID_ANY, ProjectAddress::Shown(), ProjectAddress::Target(),
                                   wxDefaultPosition, wxDefaultSize, wxHL_DEFAULT_STYLE);
    texts->Add(homeLink, 0, wxALL, 5);
    right->Add(texts, 0, wxEXPAND, 5);
    columns->Add(right, 1, wxEXPAND, 5);

    SetSizer(columns);
    Layout();
    Centre(wxBOTH);
}
