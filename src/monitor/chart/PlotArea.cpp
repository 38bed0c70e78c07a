#include "monitor/chart/PlotArea.h"

#include <algorithm>
#include <cmath>
#include <wx/brush.h>
#include <wx/pen.h>

namespace chart {

PlotArea::PlotArea(int x, int y, int width, int height, Color bgColor, Color altBgColor, Color edgeColor,
                   Color hGridColor, Color vGridColor)
    : x(x), y(y), width(width), height(height), background(bgColor), alternate(altBgColor),
      edge(edgeColor), hGrid(hGridColor), vGrid(vGridColor)
{
}

namespace {
// The centre of the pixel row or column a position falls in: one-pixel lines there stay sharp.
double PixelCentre(double position) { return std::floor(position) + 0.5; }
}  // namespace

void PlotArea::DrawBackground(wxGraphicsContext& gc, const std::vector<double>& gridYs,
                              const std::vector<double>& gridXs) const
{
    if (IsEmpty())
        return;
    gc.SetPen(*wxTRANSPARENT_PEN);
    if (!IsInvisible(background)) {
        gc.SetBrush(wxBrush(ToColour(background)));
        gc.DrawRectangle(x, y, width, height);
    }
    if (!IsInvisible(alternate) && gridYs.size() > 1) {
        // Every second band between neighbouring grid lines, counted from the bottom.
        std::vector<double> ys(gridYs);
        std::sort(ys.rbegin(), ys.rend());
        gc.SetBrush(wxBrush(ToColour(alternate)));
        for (size_t i = 1; i < ys.size(); i += 2)
            gc.DrawRectangle(x, std::round(ys[i]), width, std::round(ys[i - 1]) - std::round(ys[i]));
    }
    const auto lines = [&gc](Color color, const std::vector<double>& positions, bool horizontal, double from,
                             double to) {
        if (IsInvisible(color) || positions.empty())
            return;
        wxGraphicsPath path = gc.CreatePath();
        for (double p : positions) {
            const double c = PixelCentre(p);
            if (horizontal) {
                path.MoveToPoint(from, c);
                path.AddLineToPoint(to, c);
            } else {
                path.MoveToPoint(c, from);
                path.AddLineToPoint(c, to);
            }
        }
        gc.SetPen(wxPen(ToColour(color), 1));
        gc.StrokePath(path);
    };
    lines(hGrid, gridYs, true, x, x + width);
    lines(vGrid, gridXs, false, y, y + height);
}

void PlotArea::DrawEdge(wxGraphicsContext& gc) const
{
    if (IsEmpty() || IsInvisible(edge))
        return;
    gc.SetPen(wxPen(ToColour(edge), 1));
    gc.SetBrush(*wxTRANSPARENT_BRUSH);
    gc.DrawRectangle(x + 0.5, y + 0.5, width - 1, height - 1);
}

}  // namespace chart
