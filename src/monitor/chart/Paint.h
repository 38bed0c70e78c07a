#pragma once
// How an area is filled: one colour, or a linear gradient between two points of the chart (the
// end colours continue beyond the end points). Made from a Color, or by
// XYChart::linearGradientColor.
#include "monitor/chart/ChartColor.h"

#include <wx/graphics.h>

namespace chart {

class Paint {
public:
    Paint(Color color = Transparent);  // implicit: wherever a paint is wanted, a colour will do
    static Paint LinearGradient(int startX, int startY, int endX, int endY, Color startColor, Color endColor);

    bool IsInvisible() const;
    wxGraphicsBrush MakeBrush(wxGraphicsContext& gc) const;

private:
    bool gradient = false;
    Color startColor, endColor;
    int startX = 0, startY = 0, endX = 0, endY = 0;
};

}  // namespace chart
