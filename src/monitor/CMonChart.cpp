#include "monitor/CMonChart.h"

#include "monitor/NumberText.h"
#include "monitor/chart/XYChart.h"

#include <wx/intl.h>

using namespace chart;

CMonChart::CMonChart() = default;
CMonChart::~CMonChart() = default;

void CMonChart::SetSeries(const ChartSeriesList& list) { series = list; }

std::vector<unsigned char> CMonChart::MakeCpuChart(int width, int height) const
{
    return MakeChart(width, height, _("CPU Usage Detail"), "CPU Usage(%)",
                     {{"ALLCPU", 0xff6600, "All CPU Usage"},
                      {"SYSCPU", 0x663300, "Sys CPU Usage"},
                      {"USRCPU", 0x008800, "User CPU Usage"}});
}

std::vector<unsigned char> CMonChart::MakeMemoryChart(int width, int height) const
{
    return MakeChart(width, height, _("Memory Free"), "Memory Free(Mb)", {{"MEM", 0x3333ff, "Memory"}});
}

PlotArea* CMonChart::PlacePlotArea(XYChart& c, const TextBox& title, const LegendBox& legend, int width, int height)
{
    // Products truncated towards zero: a 400 x 300 picture with a title 20 and a legend 15 high
    // gets its plot area at (48, 37), 336 x 188. Pictures under 65 high get none.
    return c.setPlotArea(int(c.getWidth() * 0.12), int(title.getHeight() * 1.1 + legend.getHeight()),
                         int(width * 0.84), int((height - 64) * 0.8), 0xffffff, NoColor, NoColor, 0xcccccc, 0xcccccc);
}

std::vector<unsigned char> CMonChart::MakeChart(int width, int height, const wxString& titleText,
                                                const wxString& axisTitle, const std::vector<Line>& lines) const
{
    if (width <= 0 || height <= 0)
        return {};
    XYChart c(width, height, 0xeeeeff, 0x000000, 1);
    c.setBackground(c.linearGradientColor(0, 0, 0, c.getHeight() / 2, 0x0ef8f8f8, 0xffffff), 0x88aaee, 0);
    c.setRoundedFrame(0xffffff, 10, -1, -1, -1);

    TextBox* title = c.addTitle(titleText, "timesbd.ttf", 9.0, TextColor, Transparent, Transparent);
    title->setMargin(0, 0, 10, 16);

    LegendBox* legend = c.addLegend(c.getWidth() / 2, int(title->getHeight() * 1.1), false, "arialbd.ttf", 7.0);
    legend->setBackground(Transparent, Transparent, 0);
    legend->setAlignment(BottomCenter);
    legend->setKeySize(8, 8, -1);

    PlacePlotArea(c, *title, *legend, width, height);

    c.yAxis()->setTitle(axisTitle, wxString(), 8.0, TextColor);
    c.xAxis()->setLabels(series.GetValues("CHART_X_TIME"));
    c.xAxis()->setLabelStep(3, 0);
    c.xAxis()->setLabelStyle("Arial", 8.0, TextColor, 90);

    LineLayer* layer = c.addLineLayer();
    layer->setLineWidth(2);
    // Each data set takes its own copy of the values, so one buffer serves every line. Values are
    // read as atof reads them in the "C" locale, the way the parser wrote them: a text that is not
    // a number counts as 0.
    std::vector<double> values;
    for (const Line& line : lines) {
        const wxArrayString texts = series.GetValues(line.key);
        values.clear();
        for (const wxString& text : texts)
            values.push_back(NumberText::Real(text));
        layer->addDataSet(values.data(), int(values.size()), line.color, line.name);
    }
    return c.makeChart(XYChart::BMP);
}
