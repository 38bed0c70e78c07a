// The hand-over of CMonChart's pictures to picture controls: needs the toolkit's windows, so it is
// part of the program's GUI library, not of the windowless chart library.
#include "monitor/CMonChart.h"

#include "monitor/chart/BmpImageHandler.h"

#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/mstream.h>
#include <wx/statbmp.h>

void CMonChart::DrawCpuChart(wxStaticBitmap* picture)
{
    const wxSize size = picture->GetClientSize();
    ShowPicture(picture, MakeCpuChart(size.x, size.y));
}

void CMonChart::DrawMemoryChart(wxStaticBitmap* picture)
{
    const wxSize size = picture->GetClientSize();
    ShowPicture(picture, MakeMemoryChart(size.x, size.y));
}

void CMonChart::ShowPicture(wxStaticBitmap* picture, const std::vector<unsigned char>& bmp)
{
    // A control without area gets no picture; an empty block is not handed to the BMP reader,
    // which would complain about it in the log.
    if (bmp.empty()) {
        picture->SetBitmap(wxNullBitmap);
        return;
    }
    chart::BmpImageHandler::Register();
    wxMemoryInputStream stream(bmp.data(), bmp.size());
    wxImage image(stream, wxBITMAP_TYPE_BMP);
    if (image.IsOk())
        picture->SetBitmap(wxBitmap(image));
}
