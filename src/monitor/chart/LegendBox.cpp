#include "monitor/chart/LegendBox.h"

#include <algorithm>
#include <wx/brush.h>
#include <wx/pen.h>

namespace chart {

LegendBox::LegendBox(wxGraphicsContext& measure, int x, int y, bool vertical, const TextStyle& style)
    : TextBox(measure, x, y, TopLeft, wxString(), style), vertical(vertical)
{
    lineHeight = style.Measure(measure, "Xg").y;
    setMargin(5, 5, 2, 2);
}

void LegendBox::setKeySize(int width, int height, int gap)
{
    keyWidth = std::max(0, width);
    keyHeight = height < 0 ? keyWidth : height;
    keyGap = gap < 0 ? DefaultKeyGap : gap;
}

void LegendBox::setKeys(const std::vector<Key>& k)
{
    keys = k;
    nameSizes.clear();
    for (const Key& key : keys)
        nameSizes.push_back(style.Measure(measure, key.name));
}

int LegendBox::RowHeight() const { return std::max(lineHeight, keyHeight); }

int LegendBox::EntryWidth(size_t i) const { return keyWidth + keyGap + nameSizes[i].x; }

wxSize LegendBox::ContentSize() const
{
    int width = 0;
    for (size_t i = 0; i < keys.size(); ++i)
        width = vertical ? std::max(width, EntryWidth(i)) : width + (i ? EntryGap : 0) + EntryWidth(i);
    const int rows = vertical ? std::max<int>(1, keys.size()) : 1;
    return wxSize(width, rows * RowHeight() + (rows - 1) * LineSpacing);
}

void LegendBox::draw(wxGraphicsContext& gc) const
{
    Box::draw(gc);
    int x = getLeftX() + LeftMargin(), y = getTopY() + TopMargin();
    const int row = RowHeight();
    gc.SetPen(*wxTRANSPARENT_PEN);
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!IsInvisible(keys[i].color)) {
            gc.SetBrush(wxBrush(ToColour(keys[i].color)));
            gc.DrawRectangle(x, y + (row - keyHeight) / 2, keyWidth, keyHeight);
        }
        style.Draw(gc, keys[i].name, x + keyWidth + keyGap, y + (row - nameSizes[i].y) / 2);
        if (vertical)
            y += row + LineSpacing;
        else
            x += EntryWidth(i) + EntryGap;
    }
}

}  // namespace chart
