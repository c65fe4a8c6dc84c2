#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(TextNumbers, LeadingNumberReadsWhatStartsTheText)
{
    const struct { const char* text; double value; } cases[] = {
        {"12.345", 12.345}, {" 12.345 br", 12.345}, {"3abc", 3}, {"abc", 0}, {"", 0},
        {"-2", -2}, {".5", 0.5}, {"1e3x", 1000}, {"9.960", 9.96}, {"2.", 2},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(leadingNumber(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(TextNumbers, OnlyNumericTextEqualsANumber)
{
    EXPECT_TRUE(isNumberEqual("0", 0));
    EXPECT_TRUE(isNumberEqual(" 0 ", 0));
    EXPECT_TRUE(isNumberEqual("0.0", 0));
    EXPECT_TRUE(isNumberEqual("1", 1));
    EXPECT_FALSE(isNumberEqual("", 0));
    EXPECT_FALSE(isNumberEqual("yes", 1));
    EXPECT_FALSE(isNumberEqual("0abc", 0));
    EXPECT_FALSE(isNumberEqual("/home/x", 0));
}

TEST(TextNumbers, HalvesRoundToEven)
{
    EXPECT_EQ(roundHalfEven(0.5), 0);
    EXPECT_EQ(roundHalfEven(1.5), 2);
    EXPECT_EQ(roundHalfEven(2.5), 2);
    EXPECT_EQ(roundHalfEven(33.3333), 33);
    EXPECT_EQ(roundHalfEven(-2.5), -2);
    EXPECT_EQ(*toInt16("12.2"), 12);
    EXPECT_EQ(*toInt16("12.5"), 12);
    EXPECT_EQ(*toInt16("13.5"), 14);
    EXPECT_FALSE(toInt16("40000"));
    EXPECT_FALSE(toInt16("abc"));
    EXPECT_FALSE(toInt16(""));
}

TEST(TimeText, WritesHoursWithoutLeadingZeroAndWrapsAtADay)
{
    EXPECT_EQ(secondsToTimeText(0), "0:00:00");
    EXPECT_EQ(secondsToTimeText(7), "0:00:07");
    EXPECT_EQ(secondsToTimeText(83), "0:01:23");
    EXPECT_EQ(secondsToTimeText(36000), "10:00:00");
    EXPECT_EQ(secondsToTimeText(86400 + 61), "0:01:01");
}

TEST(TimeText, ReadsTimesOfDayOnly)
{
    EXPECT_EQ(*timeTextToSeconds("0:01:30"), 90);
    EXPECT_EQ(*timeTextToSeconds("00:00:00"), 0);
    EXPECT_EQ(*timeTextToSeconds("23:59:59"), 86399);
    EXPECT_EQ(*timeTextToSeconds("1:30"), 5400);
    EXPECT_FALSE(timeTextToSeconds(""));
    EXPECT_FALSE(timeTextToSeconds("24:00:00"));
    EXPECT_FALSE(timeTextToSeconds("0:60:00"));
    EXPECT_FALSE(timeTextToSeconds("abc"));
}
