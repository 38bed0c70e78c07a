#include "monitor/chart/TextStyle.h"

#include "monitor/chart/ChartFont.h"

#include <algorithm>
#include <cmath>

namespace chart {

TextStyle::TextStyle(const wxString& fontName, double pointSize, Color color, double angle)
    : font(ChartFont(fontName, pointSize)), color(color), angle(angle)
{
}

void TextStyle::Select(wxGraphicsContext& gc) const
{
    if (graphicsFont.IsNull())
        graphicsFont = gc.CreateFont(font, ToColour(color));
    gc.SetFont(graphicsFont);
}

void TextStyle::TurnedBounds(double w, double h, double& minX, double& minY, double& maxX, double& maxY) const
{
    // On screen (y down), turning (dx, dy) counter-clockwise by a gives
    // (dx cos a + dy sin a, -dx sin a + dy cos a).
    const double a = angle * M_PI / 180.0;
    const double c = std::cos(a), s = std::sin(a);
    const double xs[4] = {0, w * c, h * s, w * c + h * s};
    const double ys[4] = {0, -w * s, h * c, -w * s + h * c};
    minX = *std::min_element(xs, xs + 4);
    maxX = *std::max_element(xs, xs + 4);
    minY = *std::min_element(ys, ys + 4);
    maxY = *std::max_element(ys, ys + 4);
}

wxSize TextStyle::Measure(wxGraphicsContext& gc, const wxString& text) const
{
    if (text.empty())
        return wxSize(0, 0);
    Select(gc);
    double w = 0, h = 0;
    gc.GetTextExtent(text, &w, &h);
    double minX, minY, maxX, maxY;
    TurnedBounds(w, h, minX, minY, maxX, maxY);
    return wxSize(int(std::ceil(maxX - minX - 1e-6)), int(std::ceil(maxY - minY - 1e-6)));
}

void TextStyle::Draw(wxGraphicsContext& gc, const wxString& text, double left, double top) const
{
    if (text.empty() || IsInvisible(color))
        return;
    Select(gc);
    double w = 0, h = 0;
    gc.GetTextExtent(text, &w, &h);
    double minX, minY, maxX, maxY;
    TurnedBounds(w, h, minX, minY, maxX, maxY);
    // Whole-pixel start points keep the glyphs as sharp as the font's hinting made them.
    gc.DrawText(text, std::round(left - minX), std::round(top - minY), angle * M_PI / 180.0);
}

}  // namespace chart
