// A tool as a job of the one runner: its output, its end, and how it is ended.
#include "core/tools/ToolRegistry.h"

#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

using namespace varnel;

namespace {

ToolStart sh(const QString& script)
{
    ToolStart s;
    s.command.literal("/bin/sh -c ").quoted(script);
    return s;
}

bool alive(qint64 pid) { return test::processAlive(pid); }

// Runs the job to its end.
Process* finish(Process* job)
{
    QSignalSpy finished(job, &Process::finished);
    EXPECT_TRUE(job->hasEnded() || finished.wait(60000));
    return job;
}

} // namespace

TEST(Process, OutputInTheOrderWrittenToTheLastWordAndTheExitCode)
{
    ToolRegistry tools;
    Process* silent = finish(tools.run(sh("exit 3")));
    EXPECT_EQ(silent->output(), "");
    EXPECT_EQ(silent->exitCode(), 3);
    EXPECT_FALSE(silent->crashed());

    Process* both = finish(tools.run(sh("echo one; echo two >&2; echo three; sleep 0.3; printf 'last words'")));
    EXPECT_EQ(both->output(), "one\ntwo\nthree\nlast words");

    ToolStart tail = sh("i=0; while [ $i -lt 100 ]; do echo line$i; i=$((i+1)); done");
    tail.keptBytes = 16;
    EXPECT_EQ(finish(tools.run(tail))->output(), "7\nline98\nline99\n") << "only the newest bytes are kept";
}

TEST(Process, AProgramThatCannotRunSaysSoFromTheEventLoop)
{
    ToolRegistry tools;
    ToolStart missing;
    missing.command.quoted("/no/such/program");
    Process* job = tools.run(missing);
    QSignalSpy finished(job, &Process::finished);
    EXPECT_EQ(finished.count(), 0) << "never inside run()";
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(job->failedToStart());
    EXPECT_EQ(job->exitCode(), 127);
    EXPECT_EQ(job->output(), "cannot start /no/such/program");
    EXPECT_EQ(finished.count(), 1);
}

TEST(Process, EndingGivesTheGraceOnceAndALaterShorterGraceWins)
{
    // A tool that ignores the quit key and SIGTERM: only SIGKILL ends it.
    ToolRegistry tools;
    Process* stubborn = tools.run(sh("trap '' TERM; echo up; while :; do sleep 1; done"));
    ASSERT_TRUE(test::waitFor([&] { return stubborn->output().contains("up"); }, 30000));
    QElapsedTimer t;
    t.start();
    stubborn->end(30000); // a Cancel's grace
    stubborn->end(200);   // then Exit's
    stubborn->end(60000); // never longer again
    finish(stubborn);
    EXPECT_LT(t.elapsed(), 20000);
    EXPECT_TRUE(stubborn->crashed());
    EXPECT_EQ(stubborn->exitCode(), 128 + SIGKILL);
}

TEST(Process, ADeletedJobEndsItsChildAndWhatItForked)
{
    ToolRegistry tools;
    QTemporaryDir dir;
    Process* job = tools.run(sh(QString("sleep 60 & echo $! > '%1/child'; exec sleep 60").arg(dir.path())));
    ASSERT_TRUE(test::waitFor([&] { return QFile(dir.filePath("child")).size() > 0; }, 30000));
    QFile f(dir.filePath("child"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const qint64 forked = f.readAll().trimmed().toLongLong(), pid = job->pid();
    EXPECT_EQ(tools.runningCount(), 1);
    delete job;
    EXPECT_EQ(tools.runningCount(), 0);
    EXPECT_TRUE(test::waitFor([&] { return !alive(pid) && !alive(forked); }, 30000));
}

TEST(Process, TimeLimitsAndSizeLimitsEndATool)
{
    ToolRegistry tools;
    ToolStart hanging = sh("echo ID_LENGTH=4; exec sleep 60");
    hanging.timeoutMs = 300;
    Process* slow = finish(tools.run(hanging));
    EXPECT_TRUE(slow->timedOut());
    EXPECT_EQ(slow->output(), "ID_LENGTH=4\n");

    ToolStart chatty = sh("exec yes");
    chatty.keptBytes = -1;
    chatty.mostBytes = 100000;
    Process* flood = finish(tools.run(chatty));
    EXPECT_TRUE(flood->outputCut());
    EXPECT_EQ(flood->outputBytes().size(), 100000);
}

TEST(Process, ExitWaitsForOursButNotForTheDesktops)
{
    ToolRegistry tools;
    ToolStart desktop = sh("exec sleep 5");
    desktop.ownedByDesktop = true;
    Process* opener = tools.run(desktop);
    tools.run(sh("exec sleep 60"));
    EXPECT_EQ(tools.runningCount(), 1) << "the desktop's opener is not ours to end";
    QSignalSpy ended(&tools, &ToolRegistry::allEnded);
    tools.quitAll(200);
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_TRUE(opener->isRunning());
    const qint64 pid = opener->pid();
    delete opener;
    EXPECT_TRUE(alive(pid)) << "left to run";
    ::kill(static_cast<pid_t>(pid), SIGKILL);
}
