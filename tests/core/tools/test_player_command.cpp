#include "core/tools/PlayerCommand.h"
#include "core/preview/PlayerJob.h"

#include "TestSupport.h"
#include "core/tools/ToolRegistry.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace varnel;

TEST(PlayerCommand, StartAndOffsetLinesWithTheirExactBlanks)
{
    const QString head = "\"/App/mp.dll\"";
    const QString opts = " -priority   abovenormal   -framedrop   -colorkey  0  -nokeepaspect   -framedrop   -autosync   100";
    const struct { PlayerOptions v; QString tail; } variants[] = {
        {PlayerOptions::Variant1, "   -vo gl2  -vf   screenshot "},
        {PlayerOptions::Variant2, "    -vo gl2 -vf   screenshot "},
        {PlayerOptions::Variant3, "    -vo gl2  -vf   screenshot "},
        {PlayerOptions::Variant4, "   -vo gl2   -vf   screenshot "},
    };
    for (const auto& v : variants) {
        EXPECT_EQ(playerCommand("/App", 1234, v.v, "/v/a b.avi").text(),
                  head + " -wid 1234" + opts + v.tail + "\"/v/a b.avi\"");
        EXPECT_EQ(playerCommand("/App", 1234, v.v, "/v/a b.avi", 42).text(),
                  head + " -ss 42 -wid 1234" + opts + v.tail + "\"/v/a b.avi\"");
    }
    EXPECT_EQ(playerCommand("/My App", 7, PlayerOptions::Variant1, "/v/\"q\".avi", 0).argv(),
              (QStringList{"/My App/mp.dll", "-ss", "0", "-wid", "7", "-priority", "abovenormal", "-framedrop",
                           "-colorkey", "0", "-nokeepaspect", "-framedrop", "-autosync", "100", "-vo", "gl2", "-vf",
                           "screenshot", "/v/\"q\".avi"}));
}

TEST(PlayerCommand, KeysGoToTheCurrentPlayerOnly)
{
    QTemporaryDir dir;
    ToolRegistry tools;
    PlayerJob player(tools);
    player.postKey(Key::Quit); // none started: nothing happens

    Command recorder;
    recorder.literal("/bin/sh -c ").quoted("exec cat > keys");
    ASSERT_TRUE(player.start(dir.path(), recorder));
    const qint64 pid = player.processId();
    EXPECT_EQ(player.lastCommand(), "/bin/sh -c \"exec cat > keys\"");
    player.postKey(Key::Space);
    postKeyToEncoder(tools, 0, Key::Quit);
    QFile keys(dir.filePath("keys"));
    ASSERT_TRUE(test::waitFor([&] { return keys.size() == 1; }, 30000));

    Command missing;
    missing.quoted(dir.filePath("nothing-here"));
    EXPECT_FALSE(player.start(dir.path(), missing));
    EXPECT_EQ(player.processId(), pid) << "a failed start keeps the old player";
    tools.terminate(pid);
    ASSERT_TRUE(test::waitFor([&] { return player.processId() == 0; }, 30000)) << "an ended player is none";
}
