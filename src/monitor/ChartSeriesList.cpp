#include "monitor/ChartSeriesList.h"

#include <algorithm>

ChartSeriesList::ChartSeriesList() = default;
ChartSeriesList::ChartSeriesList(const ChartSeriesList& other) = default;
ChartSeriesList& ChartSeriesList::operator=(const ChartSeriesList& other) = default;
ChartSeriesList::~ChartSeriesList() = default;

const ChartSeries* ChartSeriesList::Find(const wxString& key) const
{
    for (const ChartSeries& s : series)
        if (s.key == key)
            return &s;
    return nullptr;
}

bool ChartSeriesList::AddValue(const wxString& key, const wxString& value)
{
    auto existing = std::find_if(series.begin(), series.end(),
                                 [&key](const ChartSeries& s) { return s.key == key; });
    if (existing == series.end()) {
        series.push_back(ChartSeries{key, wxArrayString()});
        series.back().values.Add(value);
        return false;
    }
    if (existing->values.GetCount() >= MaxValues)
        existing->values.RemoveAt(0, existing->values.GetCount() - MaxValues + 1);
    existing->values.Add(value);
    return true;
}

wxArrayString ChartSeriesList::GetValues(const wxString& key) const
{
    const ChartSeries* s = Find(key);
    return s ? s->values : wxArrayString();
}
