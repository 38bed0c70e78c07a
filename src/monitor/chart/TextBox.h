#pragma once
// A box holding one line of text (a chart title, an axis title) with margins around the text. Its
// size is the text's size plus the margins.
#include "monitor/chart/Box.h"
#include "monitor/chart/TextStyle.h"

namespace chart {

class TextBox : public Box {
public:
    // measure: the chart's drawing context, used to measure the text and kept for the box's life.
    TextBox(wxGraphicsContext& measure, int x, int y, int alignment, const wxString& text, const TextStyle& style);

    void setText(const wxString& text);
    void setMargin(int margin);
    void setMargin(int leftMargin, int rightMargin, int topMargin, int bottomMargin);

    void draw(wxGraphicsContext& gc) const override;

protected:
    wxSize Size() const override;
    // What the margins surround.
    virtual wxSize ContentSize() const { return textSize; }
    int LeftMargin() const { return left; }
    int TopMargin() const { return top; }

    wxGraphicsContext& measure;
    TextStyle style;

private:
    wxString text;
    wxSize textSize;
    int left = 0, right = 0, top = 0, bottom = 0;
};

}  // namespace chart
