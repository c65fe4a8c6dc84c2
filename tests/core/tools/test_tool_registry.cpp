#include "core/tools/ToolRegistry.h"

#include "TestSupport.h"

#include <QFile>
#include <csignal>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
// A child that records every byte it receives on its standard input.
Command recorder(const QString& file)
{
    Command c;
    c.literal("/bin/sh -c ").quoted(QString("exec cat > '%1'").arg(file));
    return c;
}
QByteArray contents(const QString& file)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
}

TEST(ToolRegistry, KeysReachTheToolAsTerminalSequences)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("keys");
    ToolRegistry tools;
    const qint64 pid = tools.start(recorder(file), dir.path());
    ASSERT_NE(pid, 0);
    EXPECT_TRUE(tools.isRunning(pid));
    EXPECT_TRUE(tools.postKey(pid, Key::Space));
    EXPECT_TRUE(tools.postKey(pid, Key::Left));
    EXPECT_TRUE(tools.postKey(pid, Key::Right));
    EXPECT_TRUE(tools.postKey(pid, Key::Quit));
    EXPECT_FALSE(tools.postKey(pid, 65)) << "keys the tools do not know are not sent";
    ASSERT_TRUE(test::waitFor([&] { return contents(file).size() == 8; }, 30000));
    EXPECT_EQ(contents(file), QByteArray(" \x1b[D\x1b[Cq"));
    tools.terminate(pid);
}

TEST(ToolRegistry, EndedOrUnknownToolsReceiveNothing)
{
    QTemporaryDir dir;
    ToolRegistry tools;
    EXPECT_FALSE(tools.postKey(0, Key::Quit));
    EXPECT_FALSE(tools.postKey(999999, Key::Quit));
    Command quick;
    quick.literal("/bin/true");
    QSignalSpy finished(&tools, &ToolRegistry::toolFinished);
    const qint64 pid = tools.start(quick, dir.path());
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(30000));
    EXPECT_EQ(finished.first().at(0).toLongLong(), pid);
    EXPECT_EQ(finished.first().at(1).toInt(), 0);
    EXPECT_FALSE(tools.postKey(pid, Key::Quit));
    EXPECT_FALSE(tools.isRunning(pid));
}

TEST(ToolRegistry, StartsInTheGivenFolderAndReportsFailure)
{
    QTemporaryDir dir;
    ToolRegistry tools;
    Command pwd;
    pwd.literal("/bin/sh -c ").quoted("pwd > where");
    QSignalSpy finished(&tools, &ToolRegistry::toolFinished);
    ASSERT_NE(tools.start(pwd, dir.path()), 0);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(30000));
    EXPECT_EQ(contents(dir.filePath("where")).trimmed(), dir.path().toUtf8());

    Command missing;
    missing.quoted(dir.filePath("no-such-tool"));
    EXPECT_EQ(tools.start(missing, dir.path()), 0);
}

TEST(ToolRegistry, QuitAllLeavesNothingRunningWithoutBlocking)
{
    QTemporaryDir dir;
    ToolRegistry tools;
    Command stubborn;  // ignores q on its input
    stubborn.literal("/bin/sh -c ").quoted("exec sleep 30");
    const qint64 pid = tools.start(stubborn, dir.path());
    const qint64 polite = tools.start(recorder(dir.filePath("k")), dir.path());
    ASSERT_TRUE(pid && polite);
    QSignalSpy allEnded(&tools, &ToolRegistry::allEnded);
    tools.quitAll(300);
    EXPECT_TRUE(tools.isRunning(pid)) << "quitAll returns at once";
    ASSERT_TRUE(allEnded.wait(30000));
    EXPECT_EQ(tools.runningCount(), 0);
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0);
    EXPECT_EQ(contents(dir.filePath("k")), "q");

    QSignalSpy none(&tools, &ToolRegistry::allEnded);
    tools.quitAll(300);
    EXPECT_TRUE(none.wait(30000)) << "with nothing running, allEnded still comes";
}

TEST(ToolRegistry, AProgramThatCannotBeRunEndsAsAShellSaysIt)
{
    QTemporaryDir dir;
    QFile broken(dir.filePath("broken"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("#!/no/such/interpreter\n"); // not a shell script: its interpreter is missing
    broken.close();
    broken.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    ToolRegistry tools;
    QSignalSpy finished(&tools, &ToolRegistry::toolFinished);
    Command c;
    c.quoted(broken.fileName());
    const qint64 pid = tools.start(c, dir.path());
    ASSERT_NE(pid, 0);
    ASSERT_TRUE(finished.count() > 0 || finished.wait(30000));
    EXPECT_EQ(finished.first().at(0).toLongLong(), pid);
    EXPECT_EQ(finished.first().at(1).toInt(), 127);
    EXPECT_FALSE(tools.isRunning(pid));
}
