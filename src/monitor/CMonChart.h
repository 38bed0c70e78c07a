#pragma once
// The chart builder of a monitor page: draws the CPU chart (all, system and user CPU usage) and the
// free-memory chart from its own snapshot of the page's chart series, rebuilt from scratch for every
// picture. The Draw* calls hand the picture to a picture control at the control's client size; the
// Make* calls give the same picture as BMP bytes and need no window (a wxInitializer is enough).
#include "monitor/ChartSeriesList.h"

#include <vector>
#include <wx/string.h>

class wxStaticBitmap;

namespace chart {
class LegendBox;
class PlotArea;
class TextBox;
class XYChart;
}  // namespace chart

class CMonChart {
public:
    CMonChart();
    virtual ~CMonChart();

    // Replaces the snapshot with a deep copy of list.
    void SetSeries(const ChartSeriesList& list);

    // Builds the chart at picture->GetClientSize() and sets it as the control's bitmap (an empty
    // bitmap when the control has no area). GUI thread only. The first call puts a faster BMP
    // reader of ours in the place of the toolkit's (see chart::BmpImageHandler).
    void DrawCpuChart(wxStaticBitmap* picture);
    void DrawMemoryChart(wxStaticBitmap* picture);

    // The charts as BMP files of width x height; empty when a side is not positive (or beyond
    // chart::XYChart::MaxSide).
    std::vector<unsigned char> MakeCpuChart(int width, int height) const;
    std::vector<unsigned char> MakeMemoryChart(int width, int height) const;

    // Places the plot area below the title and the legend, by the rule both charts follow, from
    // the chart's width and the boxes' heights at this moment, for a picture of width x height.
    static chart::PlotArea* PlacePlotArea(chart::XYChart& c, const chart::TextBox& title,
                                          const chart::LegendBox& legend, int width, int height);

private:
    struct Line {
        const char* key;
        unsigned color;
        const char* name;
    };
    std::vector<unsigned char> MakeChart(int width, int height, const wxString& title, const wxString& axisTitle,
                                         const std::vector<Line>& lines) const;
    static void ShowPicture(wxStaticBitmap* picture, const std::vector<unsigned char>& bmp);

    ChartSeriesList series;
};
