#pragma once
// One axis of an XY chart: the x axis along the bottom of the plot area, the y axis along its left.
// It holds what callers set (title, text labels, label step and style); the chart gives it a scale
// before drawing: one position per point on the x axis, round values taking in the data on the y axis.
#include "monitor/chart/AxisScale.h"
#include "monitor/chart/ChartColor.h"
#include "monitor/chart/PlotArea.h"
#include "monitor/chart/TextStyle.h"

#include <wx/arrstr.h>
#include <wx/graphics.h>

namespace chart {

class Axis {
public:
    explicit Axis(bool vertical);

    void setTitle(const wxString& text, const wxString& font = wxString(), double fontSize = 8,
                  Color fontColor = TextColor);
    // One text per point; the x axis then has as many points as labels (or as its longest data set).
    void setLabels(const wxArrayString& labels);
    // A label (and a tick and a grid line) at every majorStep-th point, starting at majorOffset.
    void setLabelStep(int majorStep, int majorOffset = 0);
    void setLabelStyle(const wxString& font = wxString(), double fontSize = 8, Color fontColor = TextColor,
                       double angle = 0);

    // The chart sets the scale before drawing: count points (x axis) or values between min and max
    // over lengthPixels (y axis).
    void ScaleToPoints(int count);
    void ScaleToValues(double min, double max, int lengthPixels);
    const AxisScale& Scale() const { return scale; }
    int LabelCount() const { return int(labels.GetCount()); }
    // Pixel position of a value (x axis: a point index) in the plot area: the centres of its first
    // and last pixel columns (rows) are the two ends of the scale.
    double Pixel(double value, const PlotArea& area) const;
    std::vector<double> TickPixels(const PlotArea& area) const;

    // Axis line, ticks, labels and title, outside the plot area. Where the labels of a y axis leave
    // its title no room, thousands are labelled "k".
    void Draw(wxGraphicsContext& gc, const PlotArea& area, const wxSize& chartSize) const;

    static constexpr int TickLength = 3;
    static constexpr int LabelGap = 1;  // between a tick's end and its label: small charts need every pixel
    static constexpr int TitleGap = 4;  // between the labels and the title

private:
    // The widest (vertical axis) or tallest (horizontal axis) of these labels.
    int Extent(wxGraphicsContext& gc, const std::vector<wxString>& texts) const;

    bool vertical;
    wxString title;
    TextStyle titleStyle;
    wxArrayString labels;
    int labelStep = 1, labelOffset = 0;
    TextStyle labelStyle;
    AxisScale scale;
};

}  // namespace chart
