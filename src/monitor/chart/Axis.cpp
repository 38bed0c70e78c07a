#include "monitor/chart/Axis.h"

#include <algorithm>
#include <cmath>
#include <wx/brush.h>
#include <wx/pen.h>

namespace chart {

namespace {
const Color AxisColor = 0x000000;

// "15k" for 15000 when every tick is a whole number of thousands; nothing otherwise.
std::vector<wxString> ThousandsLabels(const AxisScale& scale)
{
    std::vector<wxString> labels;
    for (const AxisScale::Tick& tick : scale.Ticks()) {
        if (std::fmod(tick.value, 1000.0) != 0 || std::fabs(tick.value) > 1e15)
            return {};
        labels.push_back(tick.value == 0 ? wxString("0") : wxString::Format("%.0fk", tick.value / 1000));
    }
    return labels;
}
}  // namespace

Axis::Axis(bool vertical)
    : vertical(vertical), titleStyle(wxString(), 8, TextColor, vertical ? 90 : 0),
      labelStyle(wxString(), 8, TextColor, 0)
{
}

void Axis::setTitle(const wxString& text, const wxString& font, double fontSize, Color fontColor)
{
    title = text;
    titleStyle = TextStyle(font, fontSize, fontColor, vertical ? 90 : 0);
}

void Axis::setLabels(const wxArrayString& l) { labels = l; }

void Axis::setLabelStep(int majorStep, int majorOffset)
{
    labelStep = std::max(1, majorStep);
    labelOffset = std::max(0, majorOffset);
}

void Axis::setLabelStyle(const wxString& font, double fontSize, Color fontColor, double angle)
{
    labelStyle = TextStyle(font, fontSize, fontColor, angle);
}

double Axis::Pixel(double value, const PlotArea& area) const
{
    const double f = scale.Fraction(value);
    if (vertical)
        return area.getTopY() + area.getHeight() - 0.5 - f * (area.getHeight() - 1);
    return area.getLeftX() + 0.5 + f * (area.getWidth() - 1);
}

std::vector<double> Axis::TickPixels(const PlotArea& area) const
{
    std::vector<double> pixels;
    for (const AxisScale::Tick& t : scale.Ticks())
        pixels.push_back(Pixel(t.value, area));
    return pixels;
}

void Axis::ScaleToPoints(int count) { scale = AxisScale::ForPoints(count, labels, labelStep, labelOffset); }

void Axis::ScaleToValues(double min, double max, int lengthPixels)
{
    scale = AxisScale::ForValues(min, max, lengthPixels);
}

void Axis::Draw(wxGraphicsContext& gc, const PlotArea& area, const wxSize& chartSize) const
{
    if (area.IsEmpty())
        return;
    const int left = area.getLeftX(), top = area.getTopY();
    const int right = left + area.getWidth(), bottom = top + area.getHeight();
    const std::vector<double> ticks = TickPixels(area);

    // The axis line runs along the plot area's outermost pixels; ticks point away from the plot.
    wxGraphicsPath path = gc.CreatePath();
    if (vertical) {
        path.MoveToPoint(left + 0.5, top);
        path.AddLineToPoint(left + 0.5, bottom);
    } else {
        path.MoveToPoint(left, bottom - 0.5);
        path.AddLineToPoint(right, bottom - 0.5);
    }
    for (double p : ticks) {
        const double c = std::floor(p) + 0.5;
        if (vertical) {
            path.MoveToPoint(left, c);
            path.AddLineToPoint(left - TickLength, c);
        } else {
            path.MoveToPoint(c, bottom);
            path.AddLineToPoint(c, bottom + TickLength);
        }
    }
    gc.SetPen(wxPen(ToColour(AxisColor), 1));
    gc.StrokePath(path);

    // Labels centred on their ticks; the room the widest (tallest) one takes decides where the title goes.
    const int labelStart = TickLength + LabelGap;
    std::vector<wxString> texts;
    for (const AxisScale::Tick& tick : scale.Ticks())
        texts.push_back(tick.label);
    int labelExtent = Extent(gc, texts);
    const wxSize titleSize = titleStyle.Measure(gc, title);
    if (vertical && !title.empty() && left - labelStart - labelExtent - TitleGap - titleSize.x < 1) {
        // A narrow chart: thousands written as "k" leave the title its room beside the labels.
        const std::vector<wxString> shorter = ThousandsLabels(scale);
        if (!shorter.empty()) {
            texts = shorter;
            labelExtent = Extent(gc, texts);
        }
    }
    for (size_t i = 0; i < ticks.size(); ++i) {
        if (texts[i].empty())
            continue;
        const wxSize size = labelStyle.Measure(gc, texts[i]);
        const double c = std::floor(ticks[i]) + 0.5;
        if (vertical)
            labelStyle.Draw(gc, texts[i], left - labelStart - size.x, c - size.y / 2.0);
        else
            labelStyle.Draw(gc, texts[i], c - size.x / 2.0, bottom + labelStart);
    }

    if (title.empty())
        return;
    const int beyondLabels = labelStart + labelExtent + (labelExtent ? TitleGap : 0);
    if (vertical) {
        // Kept inside the picture even where the labels leave too little room.
        const double x = std::max(1, left - beyondLabels - titleSize.x);
        titleStyle.Draw(gc, title, x, top + (area.getHeight() - titleSize.y) / 2.0);
    } else {
        const double y = std::min(bottom + beyondLabels, chartSize.y - 1 - titleSize.y);
        titleStyle.Draw(gc, title, left + (area.getWidth() - titleSize.x) / 2.0, y);
    }
}

int Axis::Extent(wxGraphicsContext& gc, const std::vector<wxString>& texts) const
{
    int extent = 0;
    for (const wxString& text : texts) {
        const wxSize size = labelStyle.Measure(gc, text);
        extent = std::max(extent, vertical ? size.x : size.y);
    }
    return extent;
}

}  // namespace chart
