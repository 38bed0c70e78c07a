// Monitor chart speed and memory, the way a monitor page redraws: for every new sample the page's
// series (71 points each) are copied into the chart builder, and the CPU and the free-memory chart
// are drawn at 700 x 300 into BMP pictures in memory and handed to two picture controls on a shown
// frame (BMP -> memory stream -> wxImage -> wxBitmap -> SetBitmap). Targets: both charts of one
// sample under 8 ms (median); resident memory after 10,000 redraws no higher than after the first
// 100 (within 1 MiB). Needs an X server:
//   tests/support/with-xvfb.sh build/bench/bench_charts [--picture docs/charts.png]
// With --picture it also writes both charts of the same 71 samples side by side into a PNG file.
#include "monitor/CMonChart.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/mstream.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>

namespace {
const int kWidth = 700, kHeight = 300;

// A realistic day at a server's console: light load with a build running for a minute and a half
// (user and system time up, free memory down), one vmstat sample every five seconds.
class Samples {
public:
    void AddNext(ChartSeriesList& list)
    {
        const int i = count++;
        const int minutes = 14 * 60 + 2 + i * 5 / 60;
        list.AddValue("CHART_X_TIME", wxString::Format("%02d:%02d", minutes / 60 % 24, minutes % 60));
        const bool busy = i % 120 > 30 && i % 120 < 48;
        const int user = int(12 + 6 * std::sin(i / 7.0) + (busy ? 55 : 0) + 6 * Noise());
        const int sys = int(3 + 4 * Noise() + (busy ? 9 : 0));
        const int all = std::min(100, user + sys + int(2 * Noise()));
        list.AddValue("ALLCPU", wxString::Format("%d", all));
        list.AddValue("SYSCPU", wxString::Format("%d", sys));
        list.AddValue("USRCPU", wxString::Format("%d", user));
        list.AddValue("MEM", wxString::Format("%2.1f", 2380 - i % 120 * 3 - (busy ? 600 : 0) + 40 * Noise()));
    }

private:
    double Noise()
    {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % 1000 / 1000.0;
    }
    int count = 0;
    unsigned seed = 7;
};

void PumpEvents()
{
    wxEventLoopBase* loop = wxEventLoopBase::GetActive();
    while (loop && loop->Pending())
        loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
}

double ResidentMiB()
{
    long pages = 0, resident = 0;
    FILE* f = std::fopen("/proc/self/statm", "r");
    if (f) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double Milliseconds(std::chrono::steady_clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void Report(const char* what, std::vector<double> times, double target)
{
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("%-44s median %6.2f ms  min %6.2f  90%% %6.2f  max %6.2f  (%zu runs, target < %g ms: %s)\n", what,
                median, times.front(), times[times.size() * 9 / 10], times.back(), times.size(), target,
                median < target ? "met" : "MISSED");
    std::fflush(stdout);
}

bool WritePicture(const ChartSeriesList& series, const char* path)
{
    CMonChart chart;
    chart.SetSeries(series);
    const std::vector<unsigned char> cpu = chart.MakeCpuChart(kWidth, kHeight);
    const std::vector<unsigned char> memory = chart.MakeMemoryChart(kWidth, kHeight);
    wxMemoryInputStream cpuStream(cpu.data(), cpu.size()), memoryStream(memory.data(), memory.size());
    const wxImage left(cpuStream, wxBITMAP_TYPE_BMP), right(memoryStream, wxBITMAP_TYPE_BMP);
    wxImage both(2 * kWidth + 10, kHeight);
    both.SetRGB(wxRect(both.GetSize()), 255, 255, 255);
    both.Paste(left, 0, 0);
    both.Paste(right, kWidth + 10, 0);
    return both.SaveFile(path, wxBITMAP_TYPE_PNG);
}
}  // namespace

int main(int argc, char** argv)
{
    const char* picture = argc == 3 && std::strcmp(argv[1], "--picture") == 0 ? argv[2] : nullptr;
    wxApp::SetInstance(new wxApp);
    if (!wxEntryStart(argc, argv)) {
        std::fprintf(stderr, "cannot start the toolkit: is DISPLAY set (run through with-xvfb.sh)?\n");
        return 1;
    }
    wxImage::AddHandler(new wxPNGHandler);
    int result = 0;
    {
        wxGUIEventLoop loop;
        wxEventLoopActivator activate(&loop);

        // Two picture controls of 700 x 300 side by side, as on a monitor page.
        wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "bench_charts");
        wxBoxSizer* sizer = new wxBoxSizer(wxHORIZONTAL);
        wxStaticBitmap* cpuPicture = new wxStaticBitmap(frame, wxID_ANY, wxNullBitmap);
        wxStaticBitmap* memoryPicture = new wxStaticBitmap(frame, wxID_ANY, wxNullBitmap);
        for (wxStaticBitmap* p : {cpuPicture, memoryPicture}) {
            p->SetMinSize(wxSize(kWidth, kHeight));
            sizer->Add(p, 0, wxALL, 0);
        }
        frame->SetSizerAndFit(sizer);
        frame->Show();
        PumpEvents();
        if (cpuPicture->GetClientSize() != wxSize(kWidth, kHeight)) {
            std::fprintf(stderr, "picture controls are %dx%d, not %dx%d\n", cpuPicture->GetClientSize().x,
                         cpuPicture->GetClientSize().y, kWidth, kHeight);
            result = 1;
        }

        ChartSeriesList page;
        Samples samples;
        for (int i = 0; i < 71; ++i)
            samples.AddNext(page);
        if (picture) {
            const bool written = WritePicture(page, picture);
            std::printf("picture of both charts: %s%s\n", picture, written ? "" : " NOT WRITTEN");
            result |= written ? 0 : 1;
        }

        CMonChart chart;
        const auto redraw = [&] {
            samples.AddNext(page);
            const auto start = std::chrono::steady_clock::now();
            ChartSeriesList snapshot(page);  // as the page does: a deep copy for the chart builder
            chart.SetSeries(snapshot);
            chart.DrawCpuChart(cpuPicture);
            chart.DrawMemoryChart(memoryPicture);
            const auto time = std::chrono::steady_clock::now() - start;
            PumpEvents();  // the controls repaint, as they would between samples
            return Milliseconds(time);
        };

        std::vector<double> times;
        for (int i = 0; i < 100; ++i)
            times.push_back(redraw());
        const double after100 = ResidentMiB();
        for (int i = 100; i < 10000; ++i)
            times.push_back(redraw());
        const double after10000 = ResidentMiB();
        times.erase(times.begin(), times.begin() + 10);  // the first draws load the fonts
        Report("both charts, 71 points, 700x300, to controls", times, 8);

        std::vector<double> bytesOnly;
        for (int i = 0; i < 500; ++i) {
            const auto start = std::chrono::steady_clock::now();
            chart.MakeCpuChart(kWidth, kHeight);
            chart.MakeMemoryChart(kWidth, kHeight);
            bytesOnly.push_back(Milliseconds(std::chrono::steady_clock::now() - start));
        }
        Report("both charts into BMP bytes only", bytesOnly, 8);

        std::printf("resident memory: %.1f MiB after 100 redraws, %.1f MiB after 10,000 (growth %.2f MiB, "
                    "target within 1 MiB: %s)\n",
                    after100, after10000, after10000 - after100, after10000 - after100 <= 1.0 ? "met" : "MISSED");
        frame->Destroy();
        PumpEvents();
    }
    wxEntryCleanup();
    return result;
}
