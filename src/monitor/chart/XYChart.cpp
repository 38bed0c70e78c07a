#include "monitor/chart/XYChart.h"

#include <algorithm>
#include <cmath>
#include <wx/brush.h>
#include <wx/graphics.h>
#include <wx/mstream.h>
#include <wx/pen.h>

namespace chart {

XYChart::XYChart(int width, int height, Color bgColor, Color edgeColor, int raisedEffect)
    : width(width), height(height), measureImage(1, 1), background(bgColor), edge(edgeColor), raised(raisedEffect)
{
    measure.reset(wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromImage(measureImage));
}

XYChart::~XYChart() = default;

Paint XYChart::linearGradientColor(int startX, int startY, int endX, int endY, Color startColor,
                                   Color endColor) const
{
    return Paint::LinearGradient(startX, startY, endX, endY, startColor, endColor);
}

void XYChart::setBackground(const Paint& paint, Color edgeColor, int raisedEffect)
{
    background = paint;
    edge = edgeColor;
    raised = raisedEffect;
}

void XYChart::setRoundedFrame(Color extColor, int r1, int r2, int r3, int r4)
{
    rounded = true;
    exterior = extColor;
    const int given[4] = {r1, r2, r3, r4};
    for (int i = 0; i < 4; ++i)
        radii[i] = std::max(0, given[i] < 0 ? r1 : given[i]);
}

TextBox* XYChart::addTitle(const wxString& text, const wxString& font, double fontSize, Color fontColor,
                           Color bgColor, Color edgeColor)
{
    title = std::make_unique<TextBox>(*measure, width / 2, 0, TopCenter, text, TextStyle(font, fontSize, fontColor));
    title->setBackground(bgColor, edgeColor);
    return title.get();
}

LegendBox* XYChart::addLegend(int x, int y, bool vertical, const wxString& font, double fontSize)
{
    legend = std::make_unique<LegendBox>(*measure, x, y, vertical, TextStyle(font, fontSize, TextColor));
    return legend.get();
}

PlotArea* XYChart::setPlotArea(int x, int y, int w, int h, Color bgColor, Color altBgColor, Color edgeColor,
                               Color hGridColor, Color vGridColor)
{
    plotArea = std::make_unique<PlotArea>(x, y, w, h, bgColor, altBgColor, edgeColor, hGridColor, vGridColor);
    return plotArea.get();
}

LineLayer* XYChart::addLineLayer()
{
    layers.push_back(std::make_unique<LineLayer>());
    return layers.back().get();
}

namespace {
// A rectangle with rounded corners (radii: top left, top right, bottom right, bottom left).
wxGraphicsPath RoundedRectangle(wxGraphicsContext& gc, double l, double t, double w, double h, const double radii[4])
{
    const double r = l + w, b = t + h;
    const double corners[4][2] = {{l, t}, {r, t}, {r, b}, {l, b}};
    wxGraphicsPath path = gc.CreatePath();
    path.MoveToPoint(l + radii[0], t);
    for (int i = 1; i <= 4; ++i) {
        const double* corner = corners[i % 4];
        const double* next = corners[(i + 1) % 4];
        if (radii[i % 4] > 0)
            path.AddArcToPoint(corner[0], corner[1], next[0], next[1], radii[i % 4]);
        else
            path.AddLineToPoint(corner[0], corner[1]);
    }
    path.CloseSubpath();
    return path;
}
}  // namespace

void XYChart::DrawBackground(wxGraphicsContext& gc) const
{
    // White first: the picture has no transparency, so a translucent background shows over white.
    gc.SetPen(*wxTRANSPARENT_PEN);
    gc.SetBrush(*wxWHITE_BRUSH);
    gc.DrawRectangle(0, 0, width, height);
    if (!rounded) {
        Box::DrawFrame(gc, wxRect(0, 0, width, height), background, edge, raised);
        return;
    }
    // Rounded corners have no raised look; radii are limited to half the shorter side.
    if (!IsInvisible(exterior)) {
        gc.SetBrush(wxBrush(ToColour(exterior)));
        gc.DrawRectangle(0, 0, width, height);
    }
    double outer[4], inner[4];
    for (int i = 0; i < 4; ++i) {
        outer[i] = std::min<double>(radii[i], std::min(width, height) / 2.0);
        inner[i] = std::max(0.0, outer[i] - 0.5);
    }
    if (!background.IsInvisible()) {
        gc.SetBrush(background.MakeBrush(gc));
        gc.FillPath(RoundedRectangle(gc, 0, 0, width, height, outer));
    }
    if (!IsInvisible(edge) && width > 1 && height > 1) {
        gc.SetPen(wxPen(ToColour(edge), 1));
        gc.StrokePath(RoundedRectangle(gc, 0.5, 0.5, width - 1, height - 1, inner));
    }
}

void XYChart::DrawPlot(wxGraphicsContext& gc)
{
    if (!plotArea || plotArea->IsEmpty())
        return;
    int points = horizontal.LabelCount();
    double min = NAN, max = NAN;
    for (const auto& layer : layers) {
        points = std::max(points, layer->PointCount());
        double lo, hi;
        if (layer->ValueRange(lo, hi)) {
            min = std::isnan(min) ? lo : std::min(min, lo);
            max = std::isnan(max) ? hi : std::max(max, hi);
        }
    }
    horizontal.ScaleToPoints(points);
    vertical.ScaleToValues(min, max, plotArea->getHeight());

    plotArea->DrawBackground(gc, vertical.TickPixels(*plotArea), horizontal.TickPixels(*plotArea));
    plotArea->DrawEdge(gc);
    const wxSize size(width, height);
    horizontal.Draw(gc, *plotArea, size);
    vertical.Draw(gc, *plotArea, size);
    for (const auto& layer : layers)
        layer->Draw(gc, *plotArea, horizontal, vertical);
}

std::vector<unsigned char> XYChart::makeChart(int format)
{
    if (format != BMP || !HasPicture())
        return {};
    wxImage image(width, height);
    std::unique_ptr<wxGraphicsContext> context(wxGraphicsRenderer::GetCairoRenderer()->CreateContextFromImage(image));
    wxGraphicsContext& gc = *context;
    gc.SetAntialiasMode(wxANTIALIAS_DEFAULT);
    DrawBackground(gc);
    DrawPlot(gc);
    if (title)
        title->draw(gc);
    if (legend) {
        std::vector<LegendBox::Key> keys;
        for (const auto& layer : layers)
            for (const DataSet& set : layer->DataSets())
                if (!set.name.empty())
                    keys.push_back({set.name, set.color});
        legend->setKeys(keys);
        legend->draw(gc);
    }
    context.reset();  // the drawing reaches the image when its context goes

    wxMemoryOutputStream out;
    if (!image.SaveFile(out, wxBITMAP_TYPE_BMP))
        return {};
    std::vector<unsigned char> bmp(out.GetLength());
    out.CopyTo(bmp.data(), bmp.size());
    return bmp;
}

}  // namespace chart
