#include "core/tools/Command.h"

#include <gtest/gtest.h>

using namespace varnel;

TEST(Command, LiteralsSplitAtBlanksAndValuesJoinTheirNeighbours)
{
    Command c;
    c.literal(" -b ").value("768").literal("000 -r ").value("25").literal("  -ab ");
    EXPECT_EQ(c.text(), " -b 768000 -r 25  -ab ");
    EXPECT_EQ(c.argv(), (QStringList{"-b", "768000", "-r", "25", "-ab"}));
}

TEST(Command, QuotedPathsStayOneArgumentWhateverTheyHold)
{
    const QStringList paths = {"/tmp/with blank/a b.avi", "/tmp/q\"uote.avi", "/tmp/$HOME`id`.avi",
                               "-rf.avi", "/tmp/Vidéo ünï.avi", ""};
    for (const QString& p : paths) {
        Command c;
        c.quoted("/app/fp.dll").literal(" -i ").quoted(p).literal(" ").quoted("/out/x.mp4");
        EXPECT_EQ(c.text(), "\"/app/fp.dll\" -i \"" + p + "\" \"/out/x.mp4\"");
        EXPECT_EQ(c.argv(), (QStringList{"/app/fp.dll", "-i", p, "/out/x.mp4"})) << p.toStdString();
    }
}

TEST(Command, AValueWithBlanksIsNotSplit)
{
    Command c;
    c.value("/opt/my app/").literal("/mp.dll -identify ").quoted("x");
    EXPECT_EQ(c.text(), "/opt/my app//mp.dll -identify \"x\"");
    EXPECT_EQ(c.argv(), (QStringList{"/opt/my app//mp.dll", "-identify", "x"}));
}
