// The monitor charts as a user sees them: the decoded BMP pictures are read pixel by pixel (line
// colours along the data, the top line where lines meet, time labels at every third point, turned),
// the layout rule is checked through the chart layer's own queries, and pictures of every size,
// down to none at all, are made without a crash. Needs the toolkit but no display.
#include "monitor/CMonChart.h"
#include "monitor/chart/AxisScale.h"
#include "monitor/chart/BmpImageHandler.h"
#include "monitor/chart/XYChart.h"

#include <gtest/gtest.h>

#include <functional>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/mstream.h>

// Pango keeps the font patterns it asked fontconfig for in a per-thread font map that is never
// released; the leak checker of the sanitizer build reports them at exit. They are not ours.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

namespace {
class Toolkit : public testing::Environment {
    void SetUp() override { init = std::make_unique<wxInitializer>(); ASSERT_TRUE(init->IsOk()); }
    void TearDown() override { init.reset(); }
    std::unique_ptr<wxInitializer> init;
};
testing::Environment* const toolkit = testing::AddGlobalTestEnvironment(new Toolkit);

wxImage Decode(const std::vector<unsigned char>& bmp)
{
    wxMemoryInputStream stream(bmp.data(), bmp.size());
    return wxImage(stream, wxBITMAP_TYPE_BMP);
}

bool Is(const wxImage& image, int x, int y, unsigned rgb)
{
    return image.GetRed(x, y) == (rgb >> 16) && image.GetGreen(x, y) == ((rgb >> 8) & 0xff) &&
           image.GetBlue(x, y) == (rgb & 0xff);
}
bool IsInk(const wxImage& image, int x, int y)
{
    return image.GetRed(x, y) < 120 && image.GetGreen(x, y) < 120 && image.GetBlue(x, y) < 120;
}
// Rows from..to (inclusive) of column x where test holds.
int CountRows(const wxImage& image, int x, int from, int to, const std::function<bool(int, int)>& test)
{
    int n = 0;
    for (int y = from; y <= to; ++y)
        n += test(x, y);
    return n;
}

const unsigned AllColour = 0xff6600, SysColour = 0x663300, UserColour = 0x008800, MemoryColour = 0x3333ff;
const int Width = 700, Height = 300, Points = 71;
// The plot area of a 700-wide chart and the column of point i when the x axis holds 71 points.
const int PlotLeft = int(Width * 0.12), PlotWidth = int(Width * 0.84);
int Column(int i) { return int(PlotLeft + 0.5 + i * (PlotWidth - 1) / double(Points - 1)); }
}  // namespace

TEST(MonChart, LinesLabelsAndOverlapAreDrawnAsTheDataSays)
{
    ChartSeriesList series;
    for (int i = 0; i < Points; ++i) {
        series.AddValue("CHART_X_TIME", wxString::Format("%02d:%02d", 10 + i / 12, i % 60));
        // Apart until point 50; from point 56 on, all three lines lie on top of each other.
        series.AddValue("ALLCPU", i < 50 ? "90" : i < 56 ? "60" : "30");
        series.AddValue("SYSCPU", i < 50 ? "10" : "30");
        series.AddValue("USRCPU", i < 50 ? "50" : "30");
        // Free memory for the first 40 samples only; one of them is not a number and counts as 0.
        if (i < 40)
            series.AddValue("MEM", i == 20 ? "n/a" : "1500.5");
    }
    CMonChart chart;
    chart.SetSeries(series);
    const wxImage cpu = Decode(chart.MakeCpuChart(Width, Height));
    const wxImage memory = Decode(chart.MakeMemoryChart(Width, Height));
    ASSERT_TRUE(cpu.IsOk());
    ASSERT_TRUE(memory.IsOk());
    EXPECT_EQ(cpu.GetSize(), wxSize(Width, Height));
    EXPECT_EQ(memory.GetSize(), wxSize(Width, Height));

    // The x axis line: the first black row from the bottom in a column without a label.
    int axisRow = Height - 1;
    while (axisRow > 0 && !Is(cpu, Column(1), axisRow, 0x000000))
        --axisRow;
    ASSERT_GT(axisRow, Height / 2);
    const int plotTop = 30;  // below title and legend, whatever their exact height
    const auto columnHas = [&](const wxImage& image, int i, unsigned colour) {
        return CountRows(image, Column(i), plotTop, axisRow, [&](int x, int y) { return Is(image, x, y, colour); }) > 0;
    };

    for (int i = 2; i <= 46; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(columnHas(cpu, i, AllColour));
        EXPECT_TRUE(columnHas(cpu, i, SysColour));
        EXPECT_TRUE(columnHas(cpu, i, UserColour));
    }
    for (int i = 58; i < Points; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(columnHas(cpu, i, UserColour));  // the last data set is drawn over the others
        EXPECT_FALSE(columnHas(cpu, i, AllColour));
        EXPECT_FALSE(columnHas(cpu, i, SysColour));
    }
    // A shorter series is drawn from the left and stops where its data stops.
    for (int i = 1; i < Points; ++i) {
        SCOPED_TRACE(i);
        if (i <= 38) {
            EXPECT_TRUE(columnHas(memory, i, MemoryColour));
        } else if (i >= 41) {
            EXPECT_FALSE(columnHas(memory, i, MemoryColour));
        }
    }
    // The value that is not a number lies on the zero line, the others far above it.
    const auto nearZero = [&](int i) {
        return CountRows(memory, Column(i), axisRow - 3, axisRow, [&](int x, int y) { return Is(memory, x, y, MemoryColour); });
    };
    EXPECT_GT(nearZero(20), 0);
    EXPECT_EQ(nearZero(10), 0);

    // Time labels stand below the 1st, 4th, 7th ... point only, turned upright: much taller than wide.
    const auto inkBox = [&](int fromX, int toX) {
        wxRect box;
        for (int x = fromX; x <= toX; ++x)
            for (int y = axisRow + 4; y < Height - 1; ++y)
                if (IsInk(cpu, x, y))
                    box = box.IsEmpty() ? wxRect(x, y, 1, 1) : box.Union(wxRect(x, y, 1, 1));
        return box;
    };
    for (int i = 0; i < Points; ++i) {
        SCOPED_TRACE(i);
        if (i % 3 == 0) {
            const wxRect label = inkBox(Column(i) - 10, Column(i) + 10);
            EXPECT_GE(label.height, 20);
            EXPECT_LE(label.width, 10);
            EXPECT_LE(std::abs(label.x + label.width / 2 - Column(i)), 2);
        } else {
            EXPECT_TRUE(inkBox(Column(i) - 2, Column(i) + 2).IsEmpty());
        }
    }
}

TEST(MonChart, PlotAreaIsPlacedBelowTitleAndLegend)
{
    chart::XYChart c(400, 300);
    chart::TextBox* title = c.addTitle("CPU Usage Detail", "timesbd.ttf", 9.0);
    title->setMargin(0, 0, 3, 3);
    ASSERT_EQ(title->getHeight(), 20);
    chart::LegendBox* legend = c.addLegend(c.getWidth() / 2, int(title->getHeight() * 1.1), false, "arialbd.ttf", 7.0);
    legend->setAlignment(chart::BottomCenter);
    legend->setKeySize(8, 8, -1);
    ASSERT_EQ(legend->getHeight(), 15);
    EXPECT_EQ(legend->getTopY(), 22 - 15);

    const chart::PlotArea* area = CMonChart::PlacePlotArea(c, *title, *legend, 400, 300);
    EXPECT_EQ(area->getLeftX(), 48);
    EXPECT_EQ(area->getTopY(), 37);
    EXPECT_EQ(area->getWidth(), 336);
    EXPECT_EQ(area->getHeight(), 188);
}

TEST(MonChart, EverySizeDownToNothingMakesAPictureOfThatSizeOrNone)
{
    ChartSeriesList series;
    for (int i = 0; i < Points; ++i) {
        series.AddValue("CHART_X_TIME", "12:00");
        series.AddValue("ALLCPU", "50");
        const char* absurd[] = {"nan", "1e308", "-inf", "-1e308", "x", ""};
        series.AddValue("SYSCPU", absurd[i % 6]);
        series.AddValue("MEM", "-3.5");
    }
    CMonChart chart;
    chart.SetSeries(series);
    const wxSize pictures[] = {{10, 10}, {1, 1}, {120, 64}, {100, 66}, {350, 200}, {2, 900}};
    for (const wxSize& size : pictures) {
        SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
        EXPECT_EQ(Decode(chart.MakeCpuChart(size.x, size.y)).GetSize(), size);
        EXPECT_EQ(Decode(chart.MakeMemoryChart(size.x, size.y)).GetSize(), size);
    }
    const wxSize none[] = {{0, 0}, {0, 300}, {400, 0}, {-5, 200}, {400, -1}, {40000, 10}};
    for (const wxSize& size : none) {
        SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
        EXPECT_TRUE(chart.MakeCpuChart(size.x, size.y).empty());
        EXPECT_TRUE(chart.MakeMemoryChart(size.x, size.y).empty());
    }
    // Nothing to draw at all: an empty snapshot still makes a picture.
    EXPECT_EQ(Decode(CMonChart().MakeCpuChart(300, 200)).GetSize(), wxSize(300, 200));
}

// The y axis: round ticks, zero always in, never below zero for data that is not, a usable range
// for flat data, and labels with as many decimals as the step needs.
TEST(AxisScale, ValueAxesRunBetweenRoundNumbersThatTakeInZero)
{
    struct Case {
        double min, max;
        int pixels;
        const char* labels;
    };
    const Case cases[] = {
        {3, 97, 188, "0 20 40 60 80 100"},       // a CPU axis
        {0, 100, 188, "0 20 40 60 80 100"},      // the top value is a tick: no empty band above it
        {12, 14, 108, "0 5 10 15"},              // zero in, round steps for few pixels
        {0, 0, 188, "0 2 4 6 8 10"},             // flat at zero: still a usable range
        {1500.5, 1500.5, 188, "0 500 1000 1500 2000"},  // flat elsewhere: from zero up
        {-3.5, 2, 188, "-4 -3 -2 -1 0 1 2"},      // data below zero
        {0.1, 0.7, 188, "0.0 0.2 0.4 0.6 0.8"},  // decimals as the step needs
        {NAN, NAN, 188, "0 2 4 6 8 10"},         // no data
        {0, 5, 10, "0 5"},                       // too short for more than one step
    };
    for (const Case& c : cases) {
        const chart::AxisScale scale = chart::AxisScale::ForValues(c.min, c.max, c.pixels);
        wxString labels;
        for (const chart::AxisScale::Tick& tick : scale.Ticks())
            labels << (labels.empty() ? "" : " ") << tick.label;
        EXPECT_EQ(labels, c.labels) << c.min << ".." << c.max << " on " << c.pixels << " pixels";
        EXPECT_EQ(scale.Low(), scale.Ticks().front().value);
        EXPECT_EQ(scale.High(), scale.Ticks().back().value);
    }
    // Absurd values still give a finite axis.
    const chart::AxisScale huge = chart::AxisScale::ForValues(-1e308, 1e308, 188);
    EXPECT_TRUE(std::isfinite(huge.Low()) && std::isfinite(huge.High()) && huge.Low() < huge.High());
}

// The fast BMP reader gives exactly the pixels the toolkit's reader gives, for the charts' pictures
// (rows padded or not, stored bottom up or top down) and, through the toolkit's reader, for any
// other BMP; a picture cut short fails cleanly.
TEST(BmpImageHandler, ReadsWhatTheToolkitReads)
{
    chart::BmpImageHandler::Register();
    chart::BmpImageHandler::Register();
    ASSERT_EQ(wxImage::FindHandler(wxBITMAP_TYPE_BMP)->GetName(), "BMP rows");

    const auto load = [](wxImageHandler& handler, const std::vector<unsigned char>& bytes) {
        wxMemoryInputStream stream(bytes.data(), bytes.size());
        wxImage image;
        return handler.LoadFile(&image, stream, false) ? image : wxImage();
    };
    chart::BmpImageHandler ours;
    wxBMPHandler toolkit;
    const auto expectSame = [&](const std::vector<unsigned char>& bytes, const wxImage& expected) {
        const wxImage image = load(ours, bytes);
        ASSERT_TRUE(image.IsOk());
        ASSERT_EQ(image.GetSize(), expected.GetSize());
        EXPECT_EQ(0, memcmp(image.GetData(), expected.GetData(), size_t(image.GetWidth()) * image.GetHeight() * 3));
    };

    CMonChart chart;
    const wxSize sizes[] = {{349, 201}, {1, 1}, {2, 3}, {3, 2}, {400, 300}};
    for (const wxSize& size : sizes) {
        SCOPED_TRACE(testing::Message() << size.x << "x" << size.y);
        std::vector<unsigned char> bytes = chart.MakeCpuChart(size.x, size.y);
        const wxImage expected = load(toolkit, bytes);
        ASSERT_TRUE(expected.IsOk());
        expectSame(bytes, expected);

        // The same rows stored top down: a negative height.
        const size_t offset = bytes[10] | bytes[11] << 8, rowBytes = (size.x * 3 + 3) & ~3;
        std::vector<unsigned char> topDown(bytes.begin(), bytes.begin() + offset);
        for (int row = size.y - 1; row >= 0; --row)
            topDown.insert(topDown.end(), bytes.begin() + offset + row * rowBytes,
                           bytes.begin() + offset + (row + 1) * rowBytes);
        const int32_t negative = -size.y;
        memcpy(&topDown[22], &negative, 4);
        expectSame(topDown, expected);

        bytes.resize(bytes.size() - 1);
        EXPECT_FALSE(load(ours, bytes).IsOk());
    }

    // A kind of BMP the charts never make: 8-bit grey, read by the toolkit's reader.
    wxImage grey(5, 3);
    grey.SetRGB(wxRect(0, 0, 5, 3), 90, 90, 90);
    grey.SetOption(wxIMAGE_OPTION_BMP_FORMAT, wxBMP_8BPP_GREY);
    wxMemoryOutputStream out;
    ASSERT_TRUE(grey.SaveFile(out, wxBITMAP_TYPE_BMP));
    std::vector<unsigned char> greyBytes(out.GetLength());
    out.CopyTo(greyBytes.data(), greyBytes.size());
    expectSame(greyBytes, load(toolkit, greyBytes));
    EXPECT_EQ(load(ours, greyBytes).GetRed(4, 2), 90);
}
