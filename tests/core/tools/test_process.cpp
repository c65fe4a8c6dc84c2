#include "core/tools/Process.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;

namespace {
Command sh(const QString& script)
{
    Command c;
    c.literal("/bin/sh -c ").quoted(script);
    return c;
}
bool alive(qint64 pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0; }
}

TEST(Process, SilentChildGivesEmptyOutputAndItsExitCode)
{
    Process p;
    p.CmdLine = sh("exit 3");
    p.Launch();
    EXPECT_EQ(p.StdOut(), "");
    EXPECT_EQ(p.RC(), 3);
    EXPECT_FALSE(p.IsActive());
}

TEST(Process, StandardErrorInterleavesInWrittenOrder)
{
    Process p;
    p.CmdLine = sh("echo one; echo two >&2; echo three; echo four >&2");
    p.Launch();
    EXPECT_EQ(p.StdOut(), "one\ntwo\nthree\nfour\n");
}

TEST(Process, OutputWrittenAtTheVeryEndIsKept)
{
    Process p;
    p.CmdLine = sh("sleep 0.3; printf 'last words'");
    QSignalSpy chunks(&p, &Process::StdOutChanged);
    QSignalSpy finished(&p, &Process::Finished);
    p.Launch();
    EXPECT_EQ(p.StdOut(), "last words");
    EXPECT_GE(chunks.count(), 1);
    EXPECT_EQ(finished.count(), 1);
}

TEST(Process, ParametersFollowAfterOneBlank)
{
    Process p;
    p.CmdLine.literal("/bin/echo");
    EXPECT_EQ(p.commandText(), "/bin/echo ");
    p.Parameters = "a b";
    EXPECT_EQ(p.commandText(), "/bin/echo a b");
    p.Launch();
    EXPECT_EQ(p.StdOut(), "a b\n");
}

TEST(Process, FailedStartGivesEmptyOutputAndZero)
{
    Process p;
    p.CmdLine.quoted("/no/such/program");
    QSignalSpy finished(&p, &Process::Finished);
    p.Launch();
    EXPECT_EQ(p.StdOut(), "");
    EXPECT_EQ(p.RC(), 0);
    EXPECT_EQ(finished.count(), 1);
}

TEST(Process, AbortWithACodeEndsTheChild)
{
    Process p;
    p.CmdLine = sh("echo started; exec sleep 30");
    p.Async = true;
    p.Launch();
    ASSERT_TRUE(test::waitFor([&] { return p.StdOut().contains("started"); }, 30000));
    EXPECT_TRUE(p.IsActive());
    p.Abort(7);
    EXPECT_EQ(p.RC(), 7);
    EXPECT_FALSE(p.IsActive());
    EXPECT_EQ(p.StdOut(), "started\n");
}

TEST(Process, DestroyingARunningProcessEndsTheChild)
{
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("pid");
    qint64 pid = 0;
    {
        Process p;
        p.CmdLine = sh(QString("echo $$ > '%1'; exec sleep 30").arg(pidFile));
        p.Async = true;
        p.Launch();
        ASSERT_TRUE(test::waitFor([&] { return QFile(pidFile).size() > 0; }, 30000));
        QFile f(pidFile);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        pid = f.readAll().trimmed().toLongLong();
        EXPECT_TRUE(alive(pid));
    }
    EXPECT_TRUE(test::waitFor([&] { return !alive(pid); }, 30000));
}

TEST(Process, SynchronousLaunchKeepsTheEventLoopRunning)
{
    // The child ends only when a timer of ours has fired meanwhile.
    QTemporaryDir dir;
    const QString flag = dir.filePath("ticked");
    QTimer::singleShot(50, [&] { QFile(flag).open(QIODevice::WriteOnly); });
    Process p;
    p.CmdLine = sh(QString("while [ ! -e '%1' ]; do sleep 0.05; done; echo seen").arg(flag));
    p.timeoutMs = 60000;
    p.Launch();
    EXPECT_FALSE(p.timedOut()) << "timers fire while a child is waited for";
    EXPECT_EQ(p.StdOut(), "seen\n");
}

TEST(Process, TimeOutEndsAHangingChildAndKeepsItsOutput)
{
    Process p;
    p.CmdLine = sh("echo ID_LENGTH=4; exec sleep 30");
    p.timeoutMs = 500;
    QElapsedTimer t;
    t.start();
    p.Launch();
    EXPECT_LT(t.elapsed(), 10000);
    EXPECT_TRUE(p.timedOut());
    EXPECT_EQ(p.RC(), Process::kTimedOutRC);
    EXPECT_EQ(p.StdOut(), "ID_LENGTH=4\n");
}

TEST(Process, ElapsedTimeIsATimeOfDay)
{
    Process p;
    p.CmdLine = sh("true");
    p.Launch();
    const int seconds = static_cast<int>(p.StartTime().secsTo(QDateTime::currentDateTime()));
    EXPECT_TRUE(p.ElapsedTime() == QString("0:00:0%1").arg(seconds) || p.ElapsedTime() == QString("0:00:0%1").arg(seconds - 1))
        << p.ElapsedTime().toStdString();
}
