// The monitor charts from random series at random sizes (up to 400 x 300, as the fuzzer must stay
// fast): time labels of any text, values that are numbers of any size, not numbers, or missing,
// series of different lengths. Besides the sanitizers' findings it checks that each chart is a BMP
// picture of exactly the size asked for (none for a side that is not positive) and that it reads
// back through the program's BMP reader at that size.
#include "fuzz/FuzzCheck.h"
#include "fuzz/ToolkitAsserts.h"
#include "monitor/CMonChart.h"
#include "monitor/chart/BmpImageHandler.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/mstream.h>

// Pango keeps the font patterns it asked fontconfig for in a per-thread font map that is never
// released; the leak checker reports them. They are not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {
wxString Text(FuzzedDataProvider& input, size_t maxLength)
{
    const std::string bytes = input.ConsumeRandomLengthString(maxLength);
    wxString text = wxString::FromUTF8(bytes.data(), bytes.size());
    return text.empty() ? wxString::From8BitData(bytes.data(), bytes.size()) : text;
}

wxString Value(FuzzedDataProvider& input)
{
    char number[64];
    switch (input.ConsumeIntegralInRange(0, 3)) {
    case 0:
        return wxString::Format("%d", input.ConsumeIntegralInRange(-5, 105));
    case 1:
        std::snprintf(number, sizeof number, "%.17g", input.ConsumeFloatingPoint<double>());
        return number;
    case 2:
        std::snprintf(number, sizeof number, "%.1f", input.ConsumeFloatingPointInRange(-1e6, 1e7));
        return number;
    default:
        return Text(input, 24);
    }
}

void CheckPicture(const std::vector<unsigned char>& bmp, int width, int height)
{
    if (width <= 0 || height <= 0) {
        FUZZ_CHECK(bmp.empty());
        return;
    }
    const size_t rowBytes = (size_t(width) * 3 + 3) & ~size_t(3);
    FUZZ_CHECK(bmp.size() == 54 + rowBytes * size_t(height));
    FUZZ_CHECK(bmp[0] == 'B' && bmp[1] == 'M');
    wxMemoryInputStream stream(bmp.data(), bmp.size());
    wxImage image(stream, wxBITMAP_TYPE_BMP);
    FUZZ_CHECK(image.IsOk() && image.GetWidth() == width && image.GetHeight() == height);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    ToolkitAssertsAbort();
    // Lives as long as the process: the toolkit's fonts and image handlers serve every input.
    static wxInitializer toolkit;
    FUZZ_CHECK(toolkit.IsOk());
    chart::BmpImageHandler::Register();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const int width = input.ConsumeIntegralInRange(-1, 400);
    const int height = input.ConsumeIntegralInRange(-1, 300);
    ChartSeriesList series;
    static const char* const keys[] = {"CHART_X_TIME", "ALLCPU", "SYSCPU", "USRCPU", "MEM"};
    int counts[5];
    for (int& count : counts)
        count = input.ConsumeIntegralInRange(0, int(ChartSeriesList::MaxValues) + 4);
    for (int k = 0; k < 5; ++k)
        for (int i = 0; i < counts[k]; ++i)
            series.AddValue(keys[k], k == 0 ? Text(input, 16) : Value(input));

    CMonChart chart;
    chart.SetSeries(series);
    CheckPicture(chart.MakeCpuChart(width, height), width, height);
    CheckPicture(chart.MakeMemoryChart(width, height), width, height);
    return 0;
}
