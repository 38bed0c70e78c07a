#pragma once
// The chart's legend: a key (a small square in the data set's colour) and the name of each named
// data set, in a row or in a column. Its height is known before the data sets are: one row (or, in
// a column, one line per key once they are known), so a plot area can be placed below it early.
#include "monitor/chart/TextBox.h"

#include <vector>

namespace chart {

class LegendBox : public TextBox {
public:
    struct Key {
        wxString name;
        Color color;
    };

    LegendBox(wxGraphicsContext& measure, int x, int y, bool vertical, const TextStyle& style);

    // Key squares of width x height (-1: as wide) and gap pixels between a key and its name
    // (-1: the default gap).
    void setKeySize(int width, int height = -1, int gap = -1);
    // The chart hands over the keys of its data sets before drawing.
    void setKeys(const std::vector<Key>& keys);

    void draw(wxGraphicsContext& gc) const override;

private:
    wxSize ContentSize() const override;
    int RowHeight() const;
    int EntryWidth(size_t i) const;

    bool vertical;
    int keyWidth = 10, keyHeight = 10, keyGap = DefaultKeyGap;
    int lineHeight;
    std::vector<Key> keys;
    std::vector<wxSize> nameSizes;

    static constexpr int DefaultKeyGap = 4;
    static constexpr int EntryGap = 14;    // between entries of a row
    static constexpr int LineSpacing = 2;  // between entries of a column
};

}  // namespace chart
