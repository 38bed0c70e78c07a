// The chart series keep the last 71 samples of each key, and a copied list (the chart builder's
// snapshot) never shares values with the page's own list.
#include "monitor/ChartSeriesList.h"

#include <gtest/gtest.h>

namespace {
wxString Nth(int i) { return wxString::Format("%d", i); }
}  // namespace

TEST(ChartSeriesList, KeepsTheLast71ValuesPerKeyInOrder)
{
    ChartSeriesList list;
    EXPECT_FALSE(list.AddValue("ALLCPU", Nth(0)));
    for (int i = 1; i < 70; ++i)
        EXPECT_TRUE(list.AddValue("ALLCPU", Nth(i)));
    list.AddValue("MEM", "200.0");
    ASSERT_EQ(list.GetValues("ALLCPU").GetCount(), 70u);

    list.AddValue("ALLCPU", Nth(70));  // 70 -> 71
    wxArrayString values = list.GetValues("ALLCPU");
    ASSERT_EQ(values.GetCount(), 71u);
    EXPECT_EQ(values[0], "0");
    EXPECT_EQ(values[70], "70");

    list.AddValue("ALLCPU", Nth(71));  // 71 + 1: the oldest goes
    values = list.GetValues("ALLCPU");
    ASSERT_EQ(values.GetCount(), 71u);
    EXPECT_EQ(values[0], "1");
    EXPECT_EQ(values[70], "71");

    // Keys are matched exactly; other series are untouched.
    EXPECT_EQ(list.GetValues("MEM"), wxArrayString(1, wxString("200.0")));
    EXPECT_TRUE(list.GetValues("allcpu").IsEmpty());
    EXPECT_TRUE(list.GetValues("USRCPU").IsEmpty());
    EXPECT_TRUE(list.GetValues("").IsEmpty());
}

TEST(ChartSeriesList, CopiesAreIndependentOfTheOriginal)
{
    ChartSeriesList original;
    original.AddValue("CHART_X_TIME", "12:00");
    original.AddValue("MEM", "1.5");

    ChartSeriesList copy(original);
    ChartSeriesList assigned;
    assigned.AddValue("SYSCPU", "9");
    assigned = original;

    original.AddValue("MEM", "2.5");
    original.AddValue("ALLCPU", "3");
    copy.AddValue("CHART_X_TIME", "12:05");

    EXPECT_EQ(original.GetValues("CHART_X_TIME").GetCount(), 1u);
    EXPECT_EQ(copy.GetValues("CHART_X_TIME").GetCount(), 2u);
    for (const ChartSeriesList* snapshot : {&copy, &assigned}) {
        EXPECT_EQ(snapshot->GetValues("MEM"), wxArrayString(1, wxString("1.5")));
        EXPECT_TRUE(snapshot->GetValues("ALLCPU").IsEmpty());
    }
    EXPECT_TRUE(assigned.GetValues("SYSCPU").IsEmpty());  // assignment replaces, never merges
    EXPECT_EQ(assigned.GetValues("CHART_X_TIME"), wxArrayString(1, wxString("12:00")));
}
