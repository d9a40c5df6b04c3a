#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/audiofile/tags/CMarker.h"

namespace
{
std::vector<double> Times(const CMarker& marks)
{
    std::vector<double> times;
    for (int i = 0; i < marks.GetCount(); ++i)
        times.push_back(marks.GetAt(i));
    return times;
}

void Fill(CMarker& marks, const std::vector<double>& times)
{
    for (double t : times)
        marks.Add(t);
}
} // namespace

TEST(CMarker, AddKeepsOrderAndRefusesSameMillisecond)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        std::vector<double> added;
        std::vector<bool> results;
        std::vector<double> expected;
    };
    const Case cases[] = {
        {{1.0, 1.0004}, {true, false}, {1.0}},
        {{1.0, 1.0004, 1.0006}, {true, false, true}, {1.0, 1.0006}},
        {{5.0, 2.0, 3.0}, {true, true, true}, {2.0, 3.0, 5.0}},
        {{0.5, -0.25, 0.0}, {true, true, true}, {-0.25, 0.0, 0.5}},
        // The stored value is the one passed in, not its millisecond key.
        {{2.0004, 2.0}, {true, false}, {2.0004}},
        // Times that are not numbers would break the order.
        {{1.0, nan, inf, -inf}, {true, false, false, false}, {1.0}},
    };
    for (const Case& c : cases)
    {
        CMarker marks;
        std::vector<bool> results;
        for (double t : c.added)
            results.push_back(marks.Add(t));
        EXPECT_EQ(results, c.results) << "first added " << c.added.front();
        EXPECT_EQ(Times(marks), c.expected) << "first added " << c.added.front();
    }
}

TEST(CMarker, RemoveChecksTheIndex)
{
    CMarker marks;
    Fill(marks, {2.0, 3.0, 5.0});
    EXPECT_FALSE(marks.Remove(-1));
    EXPECT_FALSE(marks.Remove(3));
    EXPECT_EQ(Times(marks), (std::vector<double>{2.0, 3.0, 5.0}));
    EXPECT_TRUE(marks.Remove(1));
    EXPECT_EQ(Times(marks), (std::vector<double>{2.0, 5.0}));
    EXPECT_EQ(marks.GetAt(7), 0.0);
}

TEST(CMarker, FindIndexGivesLastMarkAtOrBefore)
{
    CMarker marks;
    EXPECT_EQ(marks.FindIndex(1.0), -1);
    Fill(marks, {2.0, 3.0, 5.0});
    const std::pair<double, int> cases[] = {{3.0, 1}, {1.0, -1}, {9.0, 2}, {2.0, 0}, {2.9999, 0}, {4.9, 1}};
    for (auto [time, index] : cases)
        EXPECT_EQ(marks.FindIndex(time), index) << time;
}

TEST(CMarker, SplitAtPutsMarksFromTheTimeOnIntoTheShiftedSecondPart)
{
    struct Case
    {
        double at;
        std::vector<double> before;
        std::vector<double> after;
    };
    const Case cases[] = {
        {3.0, {2.0}, {0.0, 2.0}},
        {2.5, {2.0}, {0.5, 2.5}},
        {0.0, {}, {2.0, 3.0, 5.0}},
        {10.0, {2.0, 3.0, 5.0}, {}},
        {std::numeric_limits<double>::quiet_NaN(), {2.0, 3.0, 5.0}, {}},
    };
    for (const Case& c : cases)
    {
        CMarker source, before, after;
        Fill(source, {2.0, 3.0, 5.0});
        Fill(before, {7.0});
        Fill(after, {8.0});
        source.SplitAt(before, after, c.at);
        EXPECT_EQ(Times(before), c.before) << c.at;
        EXPECT_EQ(Times(after), c.after) << c.at;
        EXPECT_EQ(Times(source), (std::vector<double>{2.0, 3.0, 5.0}));
    }
}

TEST(CMarker, SplitAtIntoItselfKeepsEveryMark)
{
    CMarker marks, after;
    Fill(marks, {2.0, 3.0, 5.0});
    marks.SplitAt(marks, after, 3.0);
    EXPECT_EQ(Times(marks), (std::vector<double>{2.0}));
    EXPECT_EQ(Times(after), (std::vector<double>{0.0, 2.0}));

    CMarker before, other;
    Fill(other, {2.0, 3.0, 5.0});
    other.SplitAt(before, other, 3.0);
    EXPECT_EQ(Times(before), (std::vector<double>{2.0}));
    EXPECT_EQ(Times(other), (std::vector<double>{0.0, 2.0}));
}

TEST(CMarker, CopyFromReplacesTheList)
{
    CMarker source, copy;
    Fill(source, {1.0, 4.0});
    Fill(copy, {9.0});
    copy.CopyFrom(source);
    EXPECT_EQ(Times(copy), (std::vector<double>{1.0, 4.0}));
    copy.CopyFrom(copy);
    EXPECT_EQ(Times(copy), (std::vector<double>{1.0, 4.0}));
    copy.Clear();
    EXPECT_EQ(copy.GetCount(), 0);
}
