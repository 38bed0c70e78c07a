#include "monitor/chart/TextBox.h"

#include <algorithm>

namespace chart {

TextBox::TextBox(wxGraphicsContext& measure, int x, int y, int alignment, const wxString& text,
                 const TextStyle& style)
    : Box(x, y, alignment), measure(measure), style(style)
{
    setText(text);
}

void TextBox::setText(const wxString& t)
{
    text = t;
    textSize = style.Measure(measure, text);
}

void TextBox::setMargin(int margin) { setMargin(margin, margin, margin, margin); }

void TextBox::setMargin(int leftMargin, int rightMargin, int topMargin, int bottomMargin)
{
    left = leftMargin;
    right = rightMargin;
    top = topMargin;
    bottom = bottomMargin;
}

wxSize TextBox::Size() const
{
    const wxSize content = ContentSize();
    return wxSize(std::max(0, left + content.x + right), std::max(0, top + content.y + bottom));
}

void TextBox::draw(wxGraphicsContext& gc) const
{
    Box::draw(gc);
    style.Draw(gc, text, getLeftX() + left, getTopY() + top);
}

}  // namespace chart
