#include "sources/FileSelection.h"

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
    EXPECT_EQ(kOpenDialogTitle, "Open Video File");
}

TEST(FileSelection, ReadsOneOrSeveralNames)
{
    const SelectedFiles one = parseSelectedFiles("/videos/a b.avi", "/videos");
    EXPECT_EQ(one.paths(), QStringList{"/videos/a b.avi"});

    const QString answer = QString("/videos") + QChar(0) + "c.avi" + QChar(0) + "a.mkv" + QChar(0) + "b.mp4";
    const SelectedFiles three = parseSelectedFiles(answer, "/videos");
    EXPECT_EQ(three.count(), 3);
    EXPECT_EQ(three.paths(), (QStringList{"/videos/c.avi", "/videos/a.mkv", "/videos/b.mp4"}));

    const SelectedFiles root = parseSelectedFiles("/clip.avi", "/");
    EXPECT_EQ(root.paths(), QStringList{"/clip.avi"}) << "no doubled separator";

    EXPECT_EQ(parseSelectedFiles("", "/videos").count(), 0);
}

TEST(FileSelection, DialogAnswerRoundTrips)
{
    QString folder;
    const QStringList paths = {"/v/x.avi", "/v/y z.mkv"};
    EXPECT_EQ(parseSelectedFiles(dialogAnswer(paths, &folder), folder).paths(), paths);
    EXPECT_EQ(parseSelectedFiles(dialogAnswer({"/only.avi"}, &folder), folder).paths(), QStringList{"/only.avi"});
}

TEST(FileSelection, DropsAreCheckedOnTheEndOfThePath)
{
    for (const char* ok : {"a.avi", "movie.Rmvb", "clip.wrm", "x.swf", "y.MPEG", "z.qt", "w.3g2", "v.divx", "u.mkv"})
        EXPECT_TRUE(isAcceptedDrop(ok)) << ok;
    for (const char* bad : {"b.txt", "c.ogg", "d.webm", "e", "f.mp3"})
        EXPECT_FALSE(isAcceptedDrop(bad)) << bad;
}
