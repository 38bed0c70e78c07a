#include "monitor/chart/Box.h"

#include <algorithm>
#include <cstdlib>
#include <wx/brush.h>
#include <wx/pen.h>

namespace chart {

Box::Box(int x, int y, int alignment) : refX(x), refY(y), alignment(alignment) {}
Box::~Box() = default;

void Box::setPos(int x, int y)
{
    refX = x;
    refY = y;
}

void Box::setAlignment(int a) { alignment = (a >= BottomLeft && a <= TopRight) ? a : TopLeft; }

void Box::setBackground(Color color, Color edgeColor, int raisedEffect)
{
    background = color;
    edge = edgeColor;
    raised = raisedEffect;
}

int Box::getLeftX() const
{
    switch (alignment) {
    case BottomCenter: case Center: case TopCenter: return refX - getWidth() / 2;
    case BottomRight: case Right: case TopRight: return refX - getWidth();
    default: return refX;
    }
}

int Box::getTopY() const
{
    switch (alignment) {
    case BottomLeft: case BottomCenter: case BottomRight: return refY - getHeight();
    case Left: case Center: case Right: return refY - getHeight() / 2;
    default: return refY;
    }
}

void Box::draw(wxGraphicsContext& gc) const
{
    DrawFrame(gc, wxRect(getLeftX(), getTopY(), getWidth(), getHeight()), background, edge, raised);
}

void Box::DrawFrame(wxGraphicsContext& gc, const wxRect& rect, const Paint& paint, Color edgeColor,
                    int raisedEffect)
{
    if (rect.width <= 0 || rect.height <= 0)
        return;
    gc.SetPen(*wxTRANSPARENT_PEN);
    if (!paint.IsInvisible()) {
        gc.SetBrush(paint.MakeBrush(gc));
        gc.DrawRectangle(rect.x, rect.y, rect.width, rect.height);
    }
    const int bevel = std::min(std::abs(raisedEffect), std::min(rect.width, rect.height) / 2);
    if (bevel > 0) {
        // Light from the top left: a raised box has a light top and left and a dark bottom and right.
        const wxColour light(255, 255, 255, 140), dark(0, 0, 0, 70);
        const wxColour& topLeft = raisedEffect > 0 ? light : dark;
        const wxColour& bottomRight = raisedEffect > 0 ? dark : light;
        const double l = rect.x, t = rect.y, r = rect.x + rect.width, b = rect.y + rect.height;
        wxGraphicsPath upper = gc.CreatePath();
        upper.MoveToPoint(l, t);
        upper.AddLineToPoint(r, t);
        upper.AddLineToPoint(r - bevel, t + bevel);
        upper.AddLineToPoint(l + bevel, t + bevel);
        upper.AddLineToPoint(l + bevel, b - bevel);
        upper.AddLineToPoint(l, b);
        upper.CloseSubpath();
        gc.SetBrush(wxBrush(topLeft));
        gc.FillPath(upper);
        wxGraphicsPath lower = gc.CreatePath();
        lower.MoveToPoint(r, b);
        lower.AddLineToPoint(l, b);
        lower.AddLineToPoint(l + bevel, b - bevel);
        lower.AddLineToPoint(r - bevel, b - bevel);
        lower.AddLineToPoint(r - bevel, t + bevel);
        lower.AddLineToPoint(r, t);
        lower.CloseSubpath();
        gc.SetBrush(wxBrush(bottomRight));
        gc.FillPath(lower);
    }
    if (!IsInvisible(edgeColor)) {
        gc.SetPen(wxPen(ToColour(edgeColor), 1));
        gc.SetBrush(*wxTRANSPARENT_BRUSH);
        gc.DrawRectangle(rect.x + 0.5, rect.y + 0.5, rect.width - 1, rect.height - 1);
    }
}

}  // namespace chart
