#include "monitor/chart/ChartColor.h"

namespace chart {

wxColour ToColour(Color color)
{
    if (color == TextColor)
        return wxColour(0, 0, 0);
    const unsigned char alpha = 255 - (color >> 24);
    return wxColour((color >> 16) & 0xff, (color >> 8) & 0xff, color & 0xff, alpha);
}

bool IsInvisible(Color color) { return color != TextColor && (color >> 24) == 0xff; }

}  // namespace chart
