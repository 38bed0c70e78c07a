#pragma once
// The chart series of one monitor page, in order of first use and looked up by key. Each series
// keeps only its last MaxValues values, so the charts show the most recent samples. Copying a list
// copies every series and its values: the chart builder draws from its own snapshot.
#include "monitor/ChartSeries.h"

#include <vector>

class ChartSeriesList {
public:
    static constexpr size_t MaxValues = 71;

    ChartSeriesList();
    ChartSeriesList(const ChartSeriesList& other);
    ChartSeriesList& operator=(const ChartSeriesList& other);
    ~ChartSeriesList();

    // Appends value to the series named key (exact, case-sensitive match), first dropping the
    // oldest value of a full series; a new key starts a new series. Returns whether the key existed.
    bool AddValue(const wxString& key, const wxString& value);
    // A copy of the series' values, oldest first; empty when no series has that key.
    wxArrayString GetValues(const wxString& key) const;

private:
    const ChartSeries* Find(const wxString& key) const;

    std::vector<ChartSeries> series;
};
