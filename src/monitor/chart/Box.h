#pragma once
// A rectangle of the chart (a title, a legend) with a background, an edge and a raised look. It is
// placed by a reference point and an alignment that says which of its nine points sits on that
// point, numbered as on a keypad: 7 8 9 along the top, 4 5 6 across the middle, 1 2 3 along the
// bottom. Its size comes from its content, so it can be asked for as soon as the content is set.
#include "monitor/chart/ChartColor.h"
#include "monitor/chart/Paint.h"

#include <wx/gdicmn.h>
#include <wx/graphics.h>

namespace chart {

enum Alignment {
    BottomLeft = 1, BottomCenter = 2, BottomRight = 3,
    Left = 4, Center = 5, Right = 6,
    TopLeft = 7, TopCenter = 8, TopRight = 9,
};

class Box {
public:
    Box(int x, int y, int alignment);
    virtual ~Box();
    Box(const Box&) = delete;
    Box& operator=(const Box&) = delete;

    void setPos(int x, int y);
    void setAlignment(int alignment);
    void setBackground(Color color, Color edgeColor = Transparent, int raisedEffect = 0);

    int getLeftX() const;
    int getTopY() const;
    int getWidth() const { return Size().x; }
    int getHeight() const { return Size().y; }

    virtual void draw(wxGraphicsContext& gc) const;

    // Fills rect with paint, then a raised (positive) or sunken (negative) bevel of that many pixels
    // and a one-pixel edge; shared with the chart's own background.
    static void DrawFrame(wxGraphicsContext& gc, const wxRect& rect, const Paint& paint, Color edgeColor,
                          int raisedEffect);

protected:
    virtual wxSize Size() const = 0;

private:
    int refX, refY;
    int alignment;
    Color background = Transparent;
    Color edge = Transparent;
    int raised = 0;
};

}  // namespace chart
