#pragma once
// An XY line chart drawn off-screen into a BMP picture in memory: background (a colour or a linear
// gradient, an edge, a raised look, rounded corners), a title, a legend, a plot area with an x axis
// of text labels and an automatically scaled y axis, and one layer of lines. The operations carry
// the names and parameters of the charting library this layer replaces, so chart builders read the
// same. Boxes, axes and layers handed out belong to the chart and live as long as it does.
// Needs the toolkit initialised (a wxInitializer is enough: no display is used).
#include "monitor/chart/Axis.h"
#include "monitor/chart/LegendBox.h"
#include "monitor/chart/LineLayer.h"
#include "monitor/chart/Paint.h"
#include "monitor/chart/PlotArea.h"
#include "monitor/chart/TextBox.h"

#include <memory>
#include <vector>
#include <wx/image.h>

class wxGraphicsContext;

namespace chart {

class XYChart {
public:
    enum Format { BMP = 4 };
    // Sides beyond this make no picture (the drawing surfaces cannot hold them).
    static constexpr int MaxSide = 32767;

    XYChart(int width, int height, Color bgColor = 0xffffff, Color edgeColor = Transparent, int raisedEffect = 0);
    ~XYChart();
    XYChart(const XYChart&) = delete;
    XYChart& operator=(const XYChart&) = delete;

    int getWidth() const { return width; }
    int getHeight() const { return height; }

    // A fill running from startColor at (startX, startY) to endColor at (endX, endY), chart pixels.
    Paint linearGradientColor(int startX, int startY, int endX, int endY, Color startColor, Color endColor) const;
    void setBackground(const Paint& background, Color edgeColor = Transparent, int raisedEffect = 0);
    // Rounds the chart's corners with these radii (top left, top right, bottom right, bottom left;
    // a negative radius repeats the first); outside them the picture shows extColor.
    void setRoundedFrame(Color extColor = 0xffffff, int r1 = 10, int r2 = -1, int r3 = -1, int r4 = -1);

    // A title whose top centre sits at the chart's top centre.
    TextBox* addTitle(const wxString& text, const wxString& font = wxString(), double fontSize = 12,
                      Color fontColor = TextColor, Color bgColor = Transparent, Color edgeColor = Transparent);
    // A legend whose top left corner (until setAlignment says otherwise) sits at (x, y).
    LegendBox* addLegend(int x, int y, bool vertical = true, const wxString& font = wxString(), double fontSize = 10);
    // Negative or zero sizes leave the chart without a plot area (and so without axes and lines).
    PlotArea* setPlotArea(int x, int y, int width, int height, Color bgColor = Transparent,
                          Color altBgColor = NoColor, Color edgeColor = NoColor, Color hGridColor = 0xc0c0c0,
                          Color vGridColor = Transparent);
    Axis* xAxis() { return &horizontal; }
    Axis* yAxis() { return &vertical; }
    LineLayer* addLineLayer();

    // The whole chart as a picture of getWidth() x getHeight(): a BMP file's bytes (24 bits per
    // pixel). Empty when a side is zero, negative or beyond MaxSide, or the format is not BMP.
    std::vector<unsigned char> makeChart(int format = BMP);


private:
    bool HasPicture() const { return width > 0 && height > 0 && width <= MaxSide && height <= MaxSide; }
    void DrawBackground(wxGraphicsContext& gc) const;
    void DrawPlot(wxGraphicsContext& gc);

    int width, height;
    // Texts are measured as soon as they are set, on a context of their own that lives as long as
    // the chart; the picture gets its own context while makeChart draws it.
    wxImage measureImage;
    std::unique_ptr<wxGraphicsContext> measure;

    Paint background;
    Color edge = Transparent;
    int raised = 0;
    bool rounded = false;
    Color exterior = 0xffffff;
    int radii[4] = {0, 0, 0, 0};

    std::unique_ptr<TextBox> title;
    std::unique_ptr<LegendBox> legend;
    std::unique_ptr<PlotArea> plotArea;
    Axis horizontal{false}, vertical{true};
    std::vector<std::unique_ptr<LineLayer>> layers;
};

}  // namespace chart
