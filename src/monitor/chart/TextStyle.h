#pragma once
// A font, a colour and an angle, and how a text in them is measured and drawn. Sizes and positions
// are those of the text's upright bounding rectangle after turning, so callers place turned text
// like any other box. Angles are in degrees, counter-clockwise: 90 reads from bottom to top.
#include "monitor/chart/ChartColor.h"

#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/graphics.h>
#include <wx/string.h>

namespace chart {

class TextStyle {
public:
    TextStyle(const wxString& fontName, double pointSize, Color color, double angle = 0);

    // Size of the text's bounding rectangle (after turning), in whole pixels.
    wxSize Measure(wxGraphicsContext& gc, const wxString& text) const;
    // Draws the text with its bounding rectangle's top left corner at (left, top).
    void Draw(wxGraphicsContext& gc, const wxString& text, double left, double top) const;

    double Angle() const { return angle; }

private:
    void Select(wxGraphicsContext& gc) const;
    // Corner offsets of the turned text relative to its start point.
    void TurnedBounds(double w, double h, double& minX, double& minY, double& maxX, double& maxY) const;

    wxFont font;
    Color color;
    double angle;
    mutable wxGraphicsFont graphicsFont;  // made once per style, on first use
};

}  // namespace chart
