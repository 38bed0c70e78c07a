#pragma once
// A layer of lines over the plot area. Its data sets are overlaid in the order they were added, so
// a later line is drawn over an earlier one where they meet; a lone point shows as a dot.
#include "monitor/chart/Axis.h"
#include "monitor/chart/DataSet.h"
#include "monitor/chart/PlotArea.h"

#include <vector>
#include <wx/graphics.h>

namespace chart {

class LineLayer {
public:
    void setLineWidth(int width);
    // Copies count values from data: the caller may reuse its buffer at once.
    DataSet* addDataSet(const double* data, int count, Color color, const wxString& name = wxString());

    const std::vector<DataSet>& DataSets() const { return dataSets; }
    // Lowest and highest finite value of all data sets; false when there is none.
    bool ValueRange(double& min, double& max) const;
    int PointCount() const;

    void Draw(wxGraphicsContext& gc, const PlotArea& area, const Axis& xAxis, const Axis& yAxis) const;

private:
    std::vector<DataSet> dataSets;
    int lineWidth = 1;
};

}  // namespace chart
