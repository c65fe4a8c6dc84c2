#include "core/common/Interrupts.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace varnel {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
int g_pipe[2] = {-1, -1};
struct sigaction g_old[3];
bool g_handled[3] = {false, false, false};

void onSignal(int signal)
{
    // The code the signal interrupted may be about to read errno.
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto n = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

Interrupts::Interrupts(QObject* parent) : QObject(parent)
{
    if (g_pipe[0] >= 0 || ::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    for (int i = 0; i < 3; ++i) {
        struct sigaction now {};
        ::sigaction(kSignals[i], nullptr, &now);
        if (now.sa_handler == SIG_IGN) // nohup and the like
            continue;
        struct sigaction mine {};
        mine.sa_handler = onSignal;
        ::sigemptyset(&mine.sa_mask);
        mine.sa_flags = SA_RESTART;
        g_handled[i] = ::sigaction(kSignals[i], &mine, &g_old[i]) == 0;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [this] {
        unsigned char bytes[16];
        ssize_t n;
        while ((n = ::read(g_pipe[0], bytes, sizeof bytes)) > 0) {
            for (ssize_t i = 0; i < n; ++i) {
                m_received = true;
                emit interrupted(bytes[i]);
            }
        }
    });
}

Interrupts::~Interrupts()
{
    if (!m_notifier)
        return;
    for (int i = 0; i < 3; ++i)
        if (std::exchange(g_handled[i], false))
            ::sigaction(kSignals[i], &g_old[i], nullptr);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

} // namespace varnel
