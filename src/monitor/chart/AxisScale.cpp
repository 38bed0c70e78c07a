#include "monitor/chart/AxisScale.h"

#include <algorithm>
#include <cmath>

namespace chart {

namespace {
// The smallest of 1, 2, 5 times a power of ten that is at least raw (raw > 0).
double RoundStep(double raw)
{
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double f = raw / power;
    return (f <= 1.0 + 1e-9 ? 1 : f <= 2.0 + 1e-9 ? 2 : f <= 5.0 + 1e-9 ? 5 : 10) * power;
}
}  // namespace

AxisScale AxisScale::ForValues(double min, double max, int lengthPixels)
{
    AxisScale s;
    if (!std::isfinite(min) || !std::isfinite(max) || min > max)
        min = max = 0;
    // Zero is always on the axis: a chart of amounts reads wrong when its bars or lines float.
    min = std::min(min, 0.0);
    max = std::max(max, 0.0);
    // Once zero is in, only all-zero data is flat. Ranges too small or too large to label sensibly
    // are kept within limits where the arithmetic below stays finite.
    if (max - min < 1e-9)
        max = min + 10;
    min = std::max(min, -1e300);
    max = std::min(max, 1e300);
    const int intervals = std::max(1, lengthPixels / MinTickSpacing);
    const double step = RoundStep((max - min) / intervals);
    const double first = std::floor(min / step + 1e-9);
    const double last = std::ceil(max / step - 1e-9);
    s.low = first * step;
    s.high = last * step;
    if (!(s.high > s.low))
        s.high = s.low + step;

    const int decimals = step >= 1 ? 0 : int(std::ceil(-std::log10(step) - 1e-9));
    const double count = std::min(last - first, 1000.0);
    for (int k = 0; k <= count; ++k) {
        const double v = (first + k) * step;
        // + 0.0 turns -0 into 0, which prints without a sign; beyond 15 digits, powers of ten.
        s.ticks.push_back({v, std::fabs(v) < 1e15 ? wxString::Format("%.*f", decimals, v + 0.0)
                                                  : wxString::Format("%.3g", v)});
    }
    return s;
}

AxisScale AxisScale::ForPoints(int count, const wxArrayString& labels, int step, int offset)
{
    AxisScale s;
    if (count <= 1) {
        // One point stands in the middle.
        s.low = -1;
        s.high = 1;
    } else {
        s.low = 0;
        s.high = count - 1;
    }
    step = std::max(1, step);
    offset = std::max(0, offset);
    for (int i = offset; i < count; i += step)
        s.ticks.push_back({double(i), size_t(i) < labels.GetCount() ? labels[i] : wxString()});
    return s;
}

}  // namespace chart
