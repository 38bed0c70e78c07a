#include "monitor/chart/Paint.h"

#include <wx/brush.h>

namespace chart {

Paint::Paint(Color color) : startColor(color), endColor(color) {}

Paint Paint::LinearGradient(int startX, int startY, int endX, int endY, Color startColor, Color endColor)
{
    Paint p(startColor);
    p.gradient = true;
    p.endColor = endColor;
    p.startX = startX;
    p.startY = startY;
    p.endX = endX;
    p.endY = endY;
    return p;
}

bool Paint::IsInvisible() const { return chart::IsInvisible(startColor) && chart::IsInvisible(endColor); }

wxGraphicsBrush Paint::MakeBrush(wxGraphicsContext& gc) const
{
    // A gradient whose end points coincide has no direction: it is its start colour.
    if (!gradient || (startX == endX && startY == endY))
        return gc.CreateBrush(wxBrush(ToColour(startColor)));
    return gc.CreateLinearGradientBrush(startX, startY, endX, endY, ToColour(startColor), ToColour(endColor));
}

}  // namespace chart
