// The charts reach real picture controls under Xvfb: at the control's client size at the moment of
// drawing, with the very pixels the windowless pictures have (fonts and all), and a control without
// area gets no picture and no complaint.
#include "support/GuiTest.h"

#include "monitor/CMonChart.h"

#include <cstring>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/statbmp.h>

namespace {
wxImage Pixels(const wxBitmap& bitmap) { return bitmap.IsOk() ? bitmap.ConvertToImage() : wxImage(); }

wxImage Decode(const std::vector<unsigned char>& bmp)
{
    wxMemoryInputStream stream(bmp.data(), bmp.size());
    return wxImage(stream, wxBITMAP_TYPE_BMP);
}

bool SamePixels(const wxImage& a, const wxImage& b)
{
    return a.IsOk() && b.IsOk() && a.GetSize() == b.GetSize() &&
           memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
}
}  // namespace

TEST(MonChartPicture, ChartsTakeTheControlsSizeWhenDrawn)
{
    ChartSeriesList series;
    for (int i = 0; i < 71; ++i) {
        series.AddValue("CHART_X_TIME", wxString::Format("12:%02d", i / 12));
        series.AddValue("ALLCPU", wxString::Format("%d", 20 + i % 7));
        series.AddValue("SYSCPU", "4");
        series.AddValue("USRCPU", wxString::Format("%d", 14 + i % 5));
        series.AddValue("MEM", "812.5");
    }
    CMonChart chart;
    chart.SetSeries(series);

    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "charts");
    wxStaticBitmap* cpu = new wxStaticBitmap(frame, wxID_ANY, wxNullBitmap, wxPoint(0, 0), wxSize(400, 300));
    wxStaticBitmap* memory = new wxStaticBitmap(frame, wxID_ANY, wxNullBitmap, wxPoint(400, 0), wxSize(350, 200));
    frame->SetClientSize(800, 320);
    frame->Show();
    PumpEvents();
    ASSERT_EQ(cpu->GetClientSize(), wxSize(400, 300));

    int errors = 0;
    struct CountErrors : wxLog {
        int& n;
        explicit CountErrors(int& n) : n(n) {}
        void DoLogRecord(wxLogLevel level, const wxString&, const wxLogRecordInfo&) override { n += level <= wxLOG_Warning; }
    };
    wxLog* previous = wxLog::SetActiveTarget(new CountErrors(errors));

    chart.DrawCpuChart(cpu);
    chart.DrawMemoryChart(memory);
    EXPECT_TRUE(SamePixels(Pixels(cpu->GetBitmap()), Decode(chart.MakeCpuChart(400, 300))));
    EXPECT_TRUE(SamePixels(Pixels(memory->GetBitmap()), Decode(chart.MakeMemoryChart(350, 200))));

    // Resized: the next drawing takes the new size.
    memory->SetSize(300, 120);
    ASSERT_TRUE(WaitFor([&] { return memory->GetClientSize() == wxSize(300, 120); }));
    chart.DrawMemoryChart(memory);
    EXPECT_EQ(memory->GetBitmap().GetSize(), wxSize(300, 120));

    // No area, no picture.
    memory->SetSize(0, 0);
    ASSERT_TRUE(WaitFor([&] { return memory->GetClientSize() == wxSize(0, 0); }));
    chart.DrawMemoryChart(memory);
    EXPECT_FALSE(memory->GetBitmap().IsOk());
    delete wxLog::SetActiveTarget(previous);
    EXPECT_EQ(errors, 0);
    frame->Destroy();
    PumpEvents();
}
