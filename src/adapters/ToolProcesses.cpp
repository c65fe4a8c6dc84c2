#include "adapters/ToolProcesses.h"
#include "adapters/AdapterArgs.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace varnel::adapter {

namespace {

std::string toolProgram(const char* envName, const char* fallback)
{
    const char* env = std::getenv(envName);
    return env && *env ? env : fallback;
}

// Runs a tool with its standard output on a pipe; returns the pipe's read
// end and the child's id, or -1.
int spawnReading(const char* envName, const char* fallback, const Args& args, pid_t* child, bool withErrors = false)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    *child = ::fork();
    if (*child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return -1;
    }
    if (*child == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        if (withErrors)
            ::dup2(fds[1], STDERR_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL); // dies with this adapter
        ::_exit(execTool(envName, fallback, args));
    }
    ::close(fds[1]);
    return fds[0];
}

// The tool's exit code as a shell reports it; a tool whose end cannot be
// known (the wait itself failed) did not succeed.
int waitFor(pid_t child)
{
    int status = 0;
    pid_t waited;
    while ((waited = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited != child) {
        std::fprintf(stderr, "cannot learn how the tool ended: %s\n", std::strerror(errno));
        return 1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
}

} // namespace

std::string answerOf(const char* envName, const char* fallback, const Args& args, bool withErrors)
{
    pid_t child = 0;
    const int fd = spawnReading(envName, fallback, args, &child, withErrors);
    if (fd < 0)
        return {};
    std::string answer;
    char buffer[512];
    ssize_t n;
    while (answer.size() < 65536 && ((n = ::read(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR)))
        if (n > 0)
            answer.append(buffer, static_cast<size_t>(n));
    ::close(fd);
    waitFor(child);
    return answer;
}

int execTool(const char* envName, const char* fallback, const Args& args)
{
    const std::string program = toolProgram(envName, fallback);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    return 127;
}

void keepToolsExitCodes()
{
    ::signal(SIGCHLD, SIG_DFL);
}

bool finishesOnParentDeath()
{
    const char* finish = std::getenv("VARNEL_FINISH_ON_PARENT_DEATH");
    return finish && std::strcmp(finish, "1") == 0;
}

void dieWithParent()
{
    // A recording is finished, not cut, when the program dies: ffmpeg
    // writes its index on SIGTERM.
    const bool finishing = finishesOnParentDeath();
    ::prctl(PR_SET_PDEATHSIG, finishing ? SIGTERM : SIGKILL);
    // A stopped encoder whose program dies is continued with a hang-up (its
    // group is orphaned), which would end it before its index is written.
    if (finishing)
        ::signal(SIGHUP, SIG_IGN);
    // The converter names itself; a parent that is not it any more means it
    // died before the line above, and nobody would end this tool.
    const char* converter = std::getenv("VARNEL_PARENT_PID");
    if (converter && std::atol(converter) != static_cast<long>(::getppid()))
        ::_exit(1);
}

namespace {

void endWholeGroup(int)
{
    ::kill(0, SIGKILL); // this adapter, the tool and whatever the tool forked
}

// Kills every process of this adapter's group but itself.
void endRestOfGroup()
{
    const pid_t self = ::getpid();
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return;
    while (const dirent* entry = ::readdir(proc)) {
        const pid_t pid = static_cast<pid_t>(std::atol(entry->d_name));
        if (pid > 0 && pid != self && ::getpgid(pid) == self)
            ::kill(pid, SIGKILL);
    }
    ::closedir(proc);
}

} // namespace

int runGuardingGroup(const char* envName, const char* fallback, const Args& args)
{
    // Our own group, so that ending it ends nothing of whoever started us.
    if (::getpgrp() != ::getpid() && ::setpgid(0, 0) != 0)
        return execTool(envName, fallback, args);
    struct sigaction end {};
    end.sa_handler = endWholeGroup;
    ::sigemptyset(&end.sa_mask);
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &end, nullptr);
    // The converter's death reaches this process as SIGTERM, and the handler
    // takes the tool's helpers along (a forked cache would outlive a kill of
    // the tool alone).
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    const char* converter = std::getenv("VARNEL_PARENT_PID");
    if (converter && std::atol(converter) != static_cast<long>(::getppid()))
        return 1;
    const pid_t tool = ::fork();
    if (tool < 0)
        return execTool(envName, fallback, args);
    if (tool == 0) {
        for (int sig : {SIGTERM, SIGHUP, SIGINT})
            ::signal(sig, SIG_DFL);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::_exit(execTool(envName, fallback, args));
    }
    const int code = waitFor(tool);
    // A tool that ended on its own (a crash too) leaves its helpers behind.
    endRestOfGroup();
    return code;
}

namespace {

volatile sig_atomic_t g_finishing = 0;
volatile sig_atomic_t g_graceArmed = 0;
unsigned g_graceSeconds = 10;

void passOnEnd(int)
{
    const int saved = errno;
    if (g_finishing > 0)
        ::kill(static_cast<pid_t>(g_finishing), SIGTERM);
    if (!g_graceArmed) {
        g_graceArmed = 1;
        ::alarm(g_graceSeconds);
    }
    errno = saved;
}

void killUnfinished(int)
{
    const int saved = errno;
    if (g_finishing > 0)
        ::kill(static_cast<pid_t>(g_finishing), SIGKILL);
    errno = saved;
}

} // namespace

int runFinishing(const char* envName, const char* fallback, const Args& args, unsigned graceSeconds)
{
    g_graceSeconds = graceSeconds;
    struct sigaction end {}, grace {};
    end.sa_handler = passOnEnd;
    grace.sa_handler = killUnfinished;
    ::sigemptyset(&end.sa_mask);
    ::sigemptyset(&grace.sa_mask);
    for (int sig : {SIGTERM, SIGHUP, SIGINT})
        ::sigaction(sig, &end, nullptr);
    ::sigaction(SIGALRM, &grace, nullptr);
    // An end that comes between the fork and knowing the tool's id waits
    // until it is known, instead of being lost (and the tool killed at the
    // grace time's end without ever being asked to finish). Signals blocked
    // by whoever started the converter are unblocked with them.
    sigset_t ends, none;
    ::sigemptyset(&ends);
    ::sigemptyset(&none);
    for (int sig : {SIGTERM, SIGHUP, SIGINT, SIGALRM})
        ::sigaddset(&ends, sig);
    ::sigprocmask(SIG_SETMASK, &ends, nullptr);
    const pid_t tool = ::fork();
    if (tool < 0) {
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        return execTool(envName, fallback, args);
    }
    if (tool == 0) {
        ::signal(SIGTERM, SIG_DFL);
        ::signal(SIGINT, SIG_DFL);
        ::signal(SIGALRM, SIG_DFL);
        ::signal(SIGHUP, SIG_IGN); // the hang-up of an orphaned group is passed on as SIGTERM
        // A watcher killed outright cannot pass an end on: the encoder goes
        // with it, and its file gets its index from the converter.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        ::_exit(execTool(envName, fallback, args));
    }
    g_finishing = tool;
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    return waitFor(tool);
}

int identifyWithLength(const Args& playerArgs, const std::string& file, const std::string& sourceFormat)
{
    pid_t player = 0;
    const int fd = spawnReading("VARNEL_MPLAYER", "mplayer", playerArgs, &player);
    if (fd < 0)
        return 127;
    FILE* in = ::fdopen(fd, "r");
    bool known = false;
    char* line = nullptr;
    size_t size = 0;
    while (::getline(&line, &size, in) > 0) {
        std::fputs(line, stdout);
        known = known || givesLength(line);
    }
    std::free(line);
    std::fclose(in);
    const int code = waitFor(player);
    if (code == 127 || known)
        return code;
    Args probe = {"-v", "error", "-show_entries", "format=duration", "-of", "default=noprint_wrappers=1:nokey=1"};
    if (!sourceFormat.empty()) {
        const Args as = probeSourceAs(sourceFormat);
        probe.insert(probe.end(), as.begin(), as.end());
    }
    probe.push_back(file);
    const std::string answer = answerOf("VARNEL_FFPROBE", "ffprobe", probe, true);
    std::fputs(lengthReport(answer, file).c_str(), stdout);
    std::fflush(stdout);
    return code;
}

int encodeWritingStatistics(const Args& ffmpegArgs, const std::string& statisticsFile)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return execTool("VARNEL_FFMPEG", "ffmpeg", ffmpegArgs);
    Args args = {"-progress", "pipe:3"};
    args.insert(args.end(), ffmpegArgs.begin(), ffmpegArgs.end());
    const pid_t encoder = ::fork();
    if (encoder < 0)
        return execTool("VARNEL_FFMPEG", "ffmpeg", ffmpegArgs);
    if (encoder == 0) {
        ::dup2(fds[1], 3);
        if (fds[0] != 3)
            ::close(fds[0]);
        if (fds[1] != 3)
            ::close(fds[1]);
        ::prctl(PR_SET_PDEATHSIG, SIGKILL); // dies with this adapter
        ::_exit(execTool("VARNEL_FFMPEG", "ffmpeg", args));
    }
    ::close(fds[1]);
    FILE* progress = ::fdopen(fds[0], "r");
    char* line = nullptr;
    size_t size = 0;
    double seconds = 0;
    while (::getline(&line, &size, progress) > 0) {
        const std::string text(line);
        if (text.rfind("out_time_us=", 0) == 0) {
            char* end = nullptr;
            const double us = std::strtod(text.c_str() + 12, &end);
            if (end != text.c_str() + 12 && us >= 0)
                seconds = us / 1e6;
        } else if (text.rfind("progress=", 0) == 0) {
            if (FILE* stats = std::fopen(statisticsFile.c_str(), "a")) {
                std::fputs(statisticsLine(seconds).c_str(), stats);
                std::fclose(stats);
            }
        }
    }
    std::free(line);
    std::fclose(progress);
    return waitFor(encoder);
}

} // namespace varnel::adapter
