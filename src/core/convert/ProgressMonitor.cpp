#include "core/convert/ProgressMonitor.h"

#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"

#include <QFile>
#include <QTimer>

namespace varnel {

namespace {
constexpr qint64 kLongestLine = 1024 * 1024;
}

QString ReadLastLineOfFile(const QString& sFileName)
{
    QFile f(sFileName);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const qint64 size = f.size();
    qint64 window = 16 * 1024;
    for (;;) {
        const qint64 from = std::max<qint64>(0, size - window);
        if (!f.seek(from))
            return {};
        const QByteArray tail = f.read(size - from);
        const qint64 last = tail.lastIndexOf('\n');
        if (last >= 0) {
            const qint64 before = last > 0 ? tail.lastIndexOf('\n', last - 1) : -1;
            if (before >= 0 || from == 0) {
                QByteArray line = tail.mid(before + 1, last - before - 1);
                if (line.endsWith('\r'))
                    line.chop(1);
                return QString::fromUtf8(line);
            }
        }
        // The line is longer than what was read. Statistics lines are short:
        // past a mebibyte this is no statistics file, and the tick stays cheap.
        if (from == 0 || window >= kLongestLine)
            return {};
        window *= 4;
    }
}

QString encodedTimeText(const QString& line)
{
    const QStringList pieces = line.trimmed().split(u'=');
    if (pieces.size() < 6)
        return {};
    QString piece = pieces[5];
    piece.chop(2);
    return piece.trimmed();
}

ProgressMonitor::ProgressMonitor(QString statisticsFile, QObject* parent)
    : QObject(parent), m_statisticsFile(std::move(statisticsFile)), m_timer(new QTimer(this))
{
    m_timer->setObjectName(QStringLiteral("Timer2"));
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &ProgressMonitor::tick);
}

void ProgressMonitor::start(double clipDurationSeconds)
{
    m_encodingSeconds = 0;
    m_clipDuration = clipDurationSeconds;
    m_timer->start();
}

void ProgressMonitor::stop()
{
    m_timer->stop();
}

void ProgressMonitor::tick()
{
    ++m_encodingSeconds;
    if (const auto text = clockText(m_encodingSeconds))
        emit elapsedText(*text);
    const double encoded = leadingNumber(encodedTimeText(ReadLastLineOfFile(m_statisticsFile)));
    if (m_clipDuration == 0)
        return;
    if (const auto percent = toInt32(100.0 * encoded / m_clipDuration))
        emit trackProgress(*percent);
}

} // namespace varnel
