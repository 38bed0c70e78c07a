#include "resources/ReadableColour.h"

#include <algorithm>
#include <cmath>

namespace {
// Relative luminance and contrast ratio as the WCAG define them.
double Luminance(const wxColour& c)
{
    auto channel = [](unsigned char v) {
        double x = v / 255.0;
        return x <= 0.03928 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.Red()) + 0.7152 * channel(c.Green()) + 0.0722 * channel(c.Blue());
}

double Contrast(const wxColour& a, const wxColour& b)
{
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
}  // namespace

wxColour ReadableOn(const wxColour& background, wxColour colour)
{
    for (int step = 0; step < 20 && Contrast(colour, background) < 4.5; ++step)
        colour = colour.ChangeLightness(85);
    return colour;
}
