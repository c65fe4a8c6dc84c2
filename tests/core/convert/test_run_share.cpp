// The total of a run by seconds of media, and its time left.
#include "core/convert/RunShare.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(RunShare, FollowsSecondsNotRows)
{
    RunShare share;
    share.begin({1, 2, 3});
    share.setSeconds(1, 600);
    share.setSeconds(2, 60);
    share.setSeconds(3, 0); // not known yet: counts as the average, 330
    EXPECT_EQ(share.percent(), 0);
    EXPECT_FALSE(share.secondsLeft(5)) << "nothing to go by";
    share.setPercent(1, 50);
    EXPECT_EQ(share.percent(), 30); // 300 of 990
    EXPECT_EQ(share.secondsLeft(30), 69);
    share.setPercent(1, 250); // a line past the clip's end is not the row's end
    EXPECT_EQ(share.percent(), 60);
    share.finish(1);
    share.setPercent(1, 0); // the bar's reset after a row does not take it back
    EXPECT_EQ(share.percent(), 60);
    share.setSeconds(3, 60);
    EXPECT_EQ(share.percent(), 83);
    share.finish(2);
    share.finish(3);
    EXPECT_EQ(share.percent(), 100);
    EXPECT_EQ(share.secondsLeft(100), 0);
    share.setSeconds(99, 10); // not a row of the run
    EXPECT_EQ(share.percent(), 100);
}
