#pragma once
// The rectangle the data is drawn in: its background (alternating between two colours from one
// horizontal grid line to the next when an alternate colour is given), its grid lines and its edge.
// A plot area with no width or no height draws nothing, and neither do its axes and layers.
#include "monitor/chart/ChartColor.h"

#include <vector>
#include <wx/graphics.h>

namespace chart {

class PlotArea {
public:
    PlotArea(int x, int y, int width, int height, Color bgColor, Color altBgColor, Color edgeColor,
             Color hGridColor, Color vGridColor);

    int getLeftX() const { return x; }
    int getTopY() const { return y; }
    int getWidth() const { return width; }
    int getHeight() const { return height; }
    bool IsEmpty() const { return width <= 0 || height <= 0; }

    // Background and grid; gridYs and gridXs are the pixel positions of the horizontal and the
    // vertical grid lines (the axes' ticks).
    void DrawBackground(wxGraphicsContext& gc, const std::vector<double>& gridYs,
                        const std::vector<double>& gridXs) const;
    void DrawEdge(wxGraphicsContext& gc) const;

private:
    int x, y, width, height;
    Color background, alternate, edge, hGrid, vGrid;
};

}  // namespace chart
