#include "core/download/StreamResolver.h"
#include <QFile>
#include <QRandomGenerator>
#include <QCoreApplication>
#include "core/common/StagedFile.h"
#include "core/convert/OutputFiles.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "core/tools/ToolRegistry.h"
#include <QRegularExpression>
#include <QStandardPaths>

namespace varnel {

Resolution parseResolverJson(const QByteArray& json)
{
    Resolution r;
    const QJsonObject o = QJsonDocument::fromJson(json).object();
    if (o.isEmpty())
        return r;
    r.info.title = o.value(QStringLiteral("title")).toString();
    for (const QChar c : {u'/', u'\\', u'\'', u':', u'(', u')'})
        r.info.title.remove(c);
    r.info.author = o.value(QStringLiteral("uploader")).toString();
    r.info.id = o.value(QStringLiteral("id")).toString();
    r.info.published = o.value(QStringLiteral("upload_date")).toString();
    r.info.category = o.value(QStringLiteral("categories")).toArray().first().toString();
    r.info.description = o.value(QStringLiteral("description")).toString();
    r.info.thumbnail = o.value(QStringLiteral("thumbnail")).toString();
    if (o.contains(QStringLiteral("duration")))
        // A length out of any clip's reach is unknown, never cast.
        if (const double d = o.value(QStringLiteral("duration")).toDouble(); d >= 0 && d < 1e12)
            r.info.length = QString::number(qRound64(d));
    if (o.contains(QStringLiteral("average_rating")))
        r.info.rating = QString::number(o.value(QStringLiteral("average_rating")).toDouble());

    const QJsonArray formats = o.value(QStringLiteral("formats")).toArray();
    const QJsonObject* bestMp4 = nullptr;
    std::vector<QJsonObject> all;
    for (const QJsonValue& v : formats)
        all.push_back(v.toObject());
    for (const QJsonObject& f : all) {
        const QString id = f.value(QStringLiteral("format_id")).toString();
        bool isNumber = false;
        const int number = id.toInt(&isNumber);
        if (isNumber && streamFormat(number))
            r.streams[number] = {id, QUrl(f.value(QStringLiteral("url")).toString())};
        const bool both = f.value(QStringLiteral("vcodec")).toString() != QLatin1String("none") &&
                          f.value(QStringLiteral("acodec")).toString() != QLatin1String("none");
        if (both && f.value(QStringLiteral("ext")).toString() == QLatin1String("mp4") &&
            (!bestMp4 || f.value(QStringLiteral("height")).toInt() >= bestMp4->value(QStringLiteral("height")).toInt()))
            bestMp4 = &f;
    }
    if (r.streams.empty() && bestMp4)
        r.streams[22] = {bestMp4->value(QStringLiteral("format_id")).toString(),
                         QUrl(bestMp4->value(QStringLiteral("url")).toString())};
    return r;
}

int resolverProgress(const QString& line)
{
    static const QRegularExpression percent(QStringLiteral("^\\[download\\]\\s+([0-9.]+)%"));
    const auto m = percent.match(line.trimmed());
    const double value = m.hasMatch() ? m.captured(1).toDouble() : -1;
    return value >= 0 && value <= 100 ? qRound(value) : -1; // out of range is unknown
}

StreamResolver::StreamResolver(ToolRegistry& tools, QObject* parent) : QObject(parent), m_tools(tools) {}

StreamResolver::~StreamResolver()
{
    cancel();
}

bool StreamResolver::isBusy() const
{
    return !m_process.isNull();
}

QString StreamResolver::program()
{
    const QString given = qEnvironmentVariable("VARNEL_YTDLP");
    if (!given.isEmpty())
        return QFileInfo(given).isExecutable() ? given : QString();
    return QStandardPaths::findExecutable(QStringLiteral("yt-dlp"));
}

void StreamResolver::cancel()
{
    if (!m_process)
        return;
    m_process->disconnect(this);
    delete m_process; // killed, with what it forked
    if (!m_staged.isEmpty()) // what a download had written
        QFile::remove(std::exchange(m_staged, QString()));
}

void StreamResolver::resolve(const QString& address)
{
    const QString ytdlp = program();
    if (ytdlp.isEmpty() || m_process) {
        emit resolved({});
        return;
    }
    ToolStart start;
    start.command.quoted(ytdlp).literal(QStringLiteral(" -J -- ")).quoted(address);
    start.keptBytes = -1; // the whole answer, within bounds
    start.mostBytes = kMostAnswerBytes;
    start.mergeErrors = false;
    start.timeoutMs = kAnswerTimeoutMs;
    Process* p = m_tools.run(start, this);
    m_process = p;
    connect(p, &Process::finished, this, [this, p] {
        p->deleteLater();
        const bool whole = p->exitCode() == 0 && !p->crashed() && !p->outputCut() && !p->timedOut();
        emit resolved(whole ? parseResolverJson(p->outputBytes()) : Resolution{});
    });
}

void StreamResolver::download(const QString& address, const QString& formatId, const QString& path)
{
    const QString ytdlp = program();
    if (ytdlp.isEmpty() || m_process) {
        emit downloadFailed(ytdlp.isEmpty() ? QStringLiteral("yt-dlp is not installed") : QStringLiteral("busy"));
        return;
    }
    // yt-dlp writes a hidden name of ours, whole (no ".part" of its own), and
    // the file is moved to a free name only when it ended well: a user's file
    // is never replaced, and a cancel or a failure leaves nothing.
    m_staged = QFileInfo(path).path() + QStringLiteral("/.varnel-%1.%2.download")
                                            .arg(output::RunIdentity::current().text())
                                            .arg(QRandomGenerator::global()->generate64(), 0, 16);
    ToolStart start;
    start.command.quoted(ytdlp)
        .literal(QStringLiteral(" --newline --no-part --no-continue -f "))
        .quoted(formatId)
        .literal(QStringLiteral(" -o "))
        .quoted(m_staged) // a template to yt-dlp: our own name holds no "%"
        .literal(QStringLiteral(" -- "))
        .quoted(address);
    start.keptBytes = 0; // read line by line
    Process* p = m_tools.run(start, this);
    m_process = p;
    auto lines = std::make_shared<QString>(), lastLine = std::make_shared<QString>();
    connect(p, &Process::outputRead, this, [this, lines, lastLine](const QString& text) {
        *lines += text;
        qsizetype end;
        while ((end = lines->indexOf(u'\n')) >= 0) {
            const QString line = lines->left(end).trimmed();
            lines->remove(0, end + 1);
            const int percent = resolverProgress(line);
            if (percent >= 0)
                emit downloadProgress(percent);
            else if (!line.isEmpty())
                *lastLine = line;
        }
    });
    connect(p, &Process::finished, this, [this, p, path, lastLine] {
        p->deleteLater();
        const QString staged = std::exchange(m_staged, QString());
        QString placed;
        int error = 0;
        const bool ended = p->exitCode() == 0 && !p->crashed() && !p->failedToStart();
        if (ended && QFileInfo(staged).isFile() && QFileInfo(staged).size() > 0 &&
            (error = StagedFile::placeUnderFreeName(QFile::encodeName(staged), path, 1000, &placed)) == 0) {
            emit downloadFinished(placed);
            return;
        }
        QFile::remove(staged);
        if (p->failedToStart())
            emit downloadFailed(QStringLiteral("cannot start yt-dlp"));
        else if (ended)
            emit downloadFailed(error ? QStringLiteral("cannot place %1: %2").arg(path, qt_error_string(error))
                                      : QStringLiteral("yt-dlp saved nothing"));
        else
            emit downloadFailed(lastLine->isEmpty() ? QStringLiteral("yt-dlp ended with exit code %1").arg(p->exitCode())
                                                    : *lastLine);
    });
}

} // namespace varnel
