#include "monitor/chart/LineLayer.h"

#include <algorithm>
#include <cmath>
#include <wx/brush.h>
#include <wx/pen.h>

namespace chart {

void LineLayer::setLineWidth(int width) { lineWidth = std::max(0, width); }

DataSet* LineLayer::addDataSet(const double* data, int count, Color color, const wxString& name)
{
    DataSet set{std::vector<double>(), color, name};
    if (data && count > 0)
        set.values.assign(data, data + count);
    dataSets.push_back(std::move(set));
    return &dataSets.back();
}

bool LineLayer::ValueRange(double& min, double& max) const
{
    bool any = false;
    for (const DataSet& set : dataSets) {
        for (double v : set.values) {
            if (!std::isfinite(v))
                continue;
            min = any ? std::min(min, v) : v;
            max = any ? std::max(max, v) : v;
            any = true;
        }
    }
    return any;
}

int LineLayer::PointCount() const
{
    size_t count = 0;
    for (const DataSet& set : dataSets)
        count = std::max(count, set.values.size());
    return int(count);
}

void LineLayer::Draw(wxGraphicsContext& gc, const PlotArea& area, const Axis& xAxis, const Axis& yAxis) const
{
    if (area.IsEmpty() || lineWidth <= 0)
        return;
    // A line along the plot area's edge keeps its full width: clip only what lies further out.
    gc.Clip(area.getLeftX() - lineWidth, area.getTopY() - lineWidth, area.getWidth() + 2 * lineWidth,
            area.getHeight() + 2 * lineWidth);
    for (const DataSet& set : dataSets) {
        if (IsInvisible(set.color))
            continue;
        const wxColour colour = ToColour(set.color);
        wxGraphicsPath line = gc.CreatePath(), dots = gc.CreatePath();
        const size_t n = set.values.size();
        for (size_t i = 0; i < n; ++i) {
            if (!std::isfinite(set.values[i]))
                continue;
            const double x = xAxis.Pixel(double(i), area), y = yAxis.Pixel(set.values[i], area);
            const bool joinsPrevious = i > 0 && std::isfinite(set.values[i - 1]);
            const bool joinsNext = i + 1 < n && std::isfinite(set.values[i + 1]);
            if (joinsPrevious)
                line.AddLineToPoint(x, y);
            else if (joinsNext)
                line.MoveToPoint(x, y);
            else
                dots.AddCircle(x, y, lineWidth + 0.5);  // a lone sample stands out as a dot
        }
        gc.SetPen(gc.CreatePen(wxGraphicsPenInfo(colour, lineWidth).Join(wxJOIN_ROUND).Cap(wxCAP_ROUND)));
        gc.StrokePath(line);
        gc.SetBrush(wxBrush(colour));
        gc.FillPath(dots);
    }
    gc.ResetClip();
}

}  // namespace chart
