#include "core/sources/FileSelection.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(FileSelection, DialogFiltersInOrder)
{
    const auto& f = openDialogFilters();
    ASSERT_EQ(f.size(), 17u);
    EXPECT_EQ(f[0].description, "All supported media files");
    EXPECT_TRUE(f[0].pattern.startsWith("*.avi;*.wmv;*.wma;*.asf;*.mov;"));
    EXPECT_TRUE(f[0].pattern.endsWith(";*.ogv;*.ogg;*.nsv"));
    EXPECT_EQ(f[0].pattern.count(';'), 47);
    EXPECT_EQ(f[9].description, "MPEG-2 Video File (*.m2v;*.mpe;*.mpg;*.mpeg;*.mpv;*.vob;*.mpeg2;*.m2p;*.mod)");
    EXPECT_EQ(f[9].pattern, "*.m2v;*.mpe;*.mpg;*.mpeg;*.vob;*.mpeg2;*.m2p;*.mod");
    EXPECT_EQ(f[13].description, "DVD-VR Video File(*.vro)");
    EXPECT_EQ(f[16].description, "All files (*.*)");
    EXPECT_TRUE(openDialogFilterText().endsWith("|Other Video File(*.dr;*.amv)|*.dr;*.amv|All files (*.*)|*.*|"));
    EXPECT_EQ(kOpenDialogTitle(), "Open Video File");
}

TEST(FileSelection, DropsAreCheckedOnTheEndOfThePath)
{
    for (const char* ok : {"a.avi", "movie.Rmvb", "clip.wrm", "x.swf", "y.MPEG", "z.qt", "w.3g2", "v.divx", "u.mkv"})
        EXPECT_TRUE(isAcceptedDrop(ok)) << ok;
    for (const char* bad : {"b.txt", "c.ogg", "d.webm", "e", "f.mp3"})
        EXPECT_FALSE(isAcceptedDrop(bad)) << bad;
}
