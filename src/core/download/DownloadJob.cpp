#include "core/download/DownloadJob.h"

#include "core/common/StagedFile.h"
#include "core/convert/OutputFiles.h"
#include "core/download/StreamResolver.h"
#include "core/tools/ToolRegistry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <sys/stat.h>

namespace varnel {

int resolverProgress(const QString& line)
{
    static const QRegularExpression percent(QStringLiteral("^\\[download\\]\\s+([0-9.]+)%"));
    const auto m = percent.match(line.trimmed());
    const double value = m.hasMatch() ? m.captured(1).toDouble() : -1;
    return value >= 0 && value <= 100 ? qRound(value) : -1; // out of range is unknown
}

DownloadJob::DownloadJob(StreamSource source, QString pageAddress, QString path, ToolRegistry& tools,
                         const TransferLimits& limits, QObject* parent)
    : QObject(parent), m_source(std::move(source)), m_address(std::move(pageAddress)), m_path(std::move(path)),
      m_tools(tools)
{
    m_transfer.setLimits(limits);
    connect(&m_transfer, &HttpTransfer::stateChanged, this, [this](int, const QString& text) {
        if (!text.isEmpty())
            emit statusText(text);
    });
    connect(&m_transfer, &HttpTransfer::downloadProgress, this, &DownloadJob::percent);
    connect(&m_transfer, &HttpTransfer::bytesReceived, this, &DownloadJob::bytesReceived);
    connect(&m_transfer, &HttpTransfer::downloadFinished, this, &DownloadJob::finished);
    connect(&m_transfer, &HttpTransfer::failed, this, [this](const QString& description) { emit failed(description); });
}

DownloadJob::~DownloadJob()
{
    kill();
}

void DownloadJob::start()
{
    if (m_source.kind == StreamSource::Kind::YtDlp) {
        startYtDlp();
        return;
    }
    if (m_source.url.isEmpty()) {
        QMetaObject::invokeMethod(this, [this] { emit failed(tr("no link for this format")); },
                                  Qt::QueuedConnection);
        return;
    }
    m_transfer.download(m_source.url, m_path);
}

namespace {

// This process's umask, without changing it (umask() would, for a moment,
// for every thread).
mode_t currentUmask()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("Umask:"))
                return static_cast<mode_t>(line.mid(6).trimmed().toUInt(nullptr, 8));
    return 022;
}

} // namespace

void DownloadJob::kill()
{
    m_transfer.disconnect(this);
    m_transfer.abort();
    if (m_process) {
        m_process->disconnect(this);
        delete m_process; // killed, with what it forked
    }
    if (!m_staged.isEmpty())
        QDir(std::exchange(m_staged, QString())).removeRecursively();
}

void DownloadJob::startYtDlp()
{
    const QString ytdlp = StreamResolver::program();
    if (ytdlp.isEmpty()) {
        QMetaObject::invokeMethod(this, [this] { emit failed(tr("yt-dlp is not installed")); },
                                  Qt::QueuedConnection);
        return;
    }
    if (const QString refusal = StagedFile::nameRefusal(m_path, output::RunIdentity::current().text());
        !refusal.isEmpty()) {
        QMetaObject::invokeMethod(this, [this, refusal] { emit failed(refusal); }, Qt::QueuedConnection);
        return;
    }
    // A folder of ours (0700) for whatever yt-dlp writes, its file and any
    // pieces beside it; the run's identity in its name lets a later
    // download remove it if this run dies.
    const QString folder = QFileInfo(m_path).path() + QStringLiteral("/.varnel-%1.%2.download")
                                                          .arg(output::RunIdentity::current().text())
                                                          .arg(QRandomGenerator::global()->generate64(), 0, 16);
    if (::mkdir(QFile::encodeName(folder).constData(), 0700) != 0) {
        const QString why = tr("cannot write in %1: %2").arg(QFileInfo(m_path).path(), qt_error_string(errno));
        QMetaObject::invokeMethod(this, [this, why] { emit failed(why); }, Qt::QueuedConnection);
        return;
    }
    m_staged = folder;
    ToolStart start;
    start.command.quoted(ytdlp)
        .literal(QStringLiteral(" --newline --no-part --no-continue -f "))
        .quoted(m_source.formatId)
        .literal(QStringLiteral(" -o "))
        .quoted(QString(m_staged + QStringLiteral("/video")).replace(u'%', QLatin1String("%%"))) // a template to yt-dlp
        .literal(QStringLiteral(" -- "))
        .quoted(m_address);
    start.keptBytes = 0; // read line by line
    m_process = m_tools.run(start, this);
    connect(m_process, &Process::outputRead, this, &DownloadJob::onYtDlpOutput);
    connect(m_process, &Process::finished, this, &DownloadJob::onYtDlpEnded);
}

void DownloadJob::onYtDlpOutput(const QString& text)
{
    m_lines += text;
    qsizetype end;
    while ((end = m_lines.indexOf(u'\n')) >= 0) {
        const QString line = m_lines.left(end).trimmed();
        m_lines.remove(0, end + 1);
        if (const int p = resolverProgress(line); p >= 0)
            emit percent(p);
        else if (!line.isEmpty())
            m_lastLine = line.left(1000);
    }
    if (m_lines.size() > 4096) // a line without end is nobody's progress
        m_lines.clear();
}

void DownloadJob::onYtDlpEnded()
{
    Process* p = m_process;
    p->deleteLater();
    const QString folder = std::exchange(m_staged, QString());
    const QByteArray staged = QFile::encodeName(folder + QStringLiteral("/video"));
    QString placed;
    int error = 0;
    const bool ended = p->exitCode() == 0 && !p->crashed() && !p->failedToStart();
    // Only a file that is nothing but this download: not a link, not another
    // name of some file (a hard link), and with the modes any new file gets.
    struct stat st {};
    const bool own = ::lstat(staged.constData(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink == 1 && st.st_size > 0 &&
                     ::chmod(staged.constData(), 0666 & ~currentUmask()) == 0;
    if (ended && own && (error = StagedFile::placeUnderFreeName(staged, m_path, 1000, &placed)) == 0) {
        QDir(folder).removeRecursively();
        emit finished(placed);
        return;
    }
    QDir(folder).removeRecursively();
    if (p->failedToStart())
        emit failed(tr("cannot start yt-dlp"));
    else if (ended)
        emit failed(error ? tr("cannot place %1: %2").arg(m_path, qt_error_string(error))
                          : tr("yt-dlp saved nothing"));
    else
        emit failed(m_lastLine.isEmpty() ? tr("yt-dlp ended with exit code %1").arg(p->exitCode())
                                         : m_lastLine);
}

} // namespace varnel
