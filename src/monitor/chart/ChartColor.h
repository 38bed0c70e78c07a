#pragma once
// Colours of the chart layer: 32-bit 0xAARRGGBB values where AA is the transparency (00 opaque,
// FF fully transparent), the convention of the charting library this layer replaces, so callers
// keep their colour constants. Two values with full transparency carry a meaning of their own.
#include <cstdint>
#include <wx/colour.h>

namespace chart {

using Color = uint32_t;

constexpr Color Transparent = 0xff000000;  // draws nothing
constexpr Color TextColor = 0xffff0002;    // the default text colour: black
constexpr Color NoColor = 0xffffffff;      // -1 where a call takes "no colour"

// Black for TextColor, fully transparent for every other colour whose transparency is FF.
wxColour ToColour(Color color);
// Whether the colour draws nothing at all.
bool IsInvisible(Color color);

}  // namespace chart
