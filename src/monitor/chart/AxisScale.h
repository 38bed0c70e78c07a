#pragma once
// The scale of one axis: which values its two ends stand for and where its ticks are. A value scale
// runs from round number to round number in steps of 1, 2 or 5 times a power of ten, always takes
// in zero, and never goes below zero for data that does not; a point scale puts one tick on every
// n-th of a row of points spread from end to end.
#include <vector>
#include <wx/arrstr.h>
#include <wx/string.h>

namespace chart {

class AxisScale {
public:
    struct Tick {
        double value;
        wxString label;
    };

    // Scale for data between min and max (non-finite limits count as no data) on an axis of
    // lengthPixels, with ticks at least MinTickSpacing pixels apart where the length allows it.
    static AxisScale ForValues(double min, double max, int lengthPixels);
    // Scale for count points 0 .. count-1, a tick at every step-th point from offset, labelled with
    // labels[i] (points beyond the labels have no text).
    static AxisScale ForPoints(int count, const wxArrayString& labels, int step, int offset);

    double Low() const { return low; }
    double High() const { return high; }
    const std::vector<Tick>& Ticks() const { return ticks; }
    // Where value lies between the ends: 0 at Low(), 1 at High().
    double Fraction(double value) const { return (value - low) / (high - low); }

    static constexpr int MinTickSpacing = 30;

private:
    double low = 0, high = 1;
    std::vector<Tick> ticks;
};

}  // namespace chart
