#pragma once
// Layout of the About box: the large picture on the left; banner, product name, version text and
// three links on the right. No buttons: the close box ends it.
#include <wx/dialog.h>
#include <wx/hyperlink.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

class AboutDialog : public wxDialog {
public:
    AboutDialog(wxWindow* parent, wxWindowID id = wxID_ANY, const wxString& title = "About Shellyard",
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxSize(356, 289),
                long style = wxDEFAULT_DIALOG_STYLE);

protected:
    wxStaticBitmap* pictureBitmap;
    wxStaticBitmap* bannerBitmap;
    wxStaticText* productLabel;
    wxStaticText* versionLabel;
    wxHyperlinkCtrl* weiboLink;
    wxHyperlinkCtrl* twitterLink;
    wxHyperlinkCtrl* homeLink;
};
