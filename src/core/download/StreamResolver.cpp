#include "core/download/StreamResolver.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include "core/tools/ChildProcess.h"
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

StreamResolver::StreamResolver(QObject* parent) : QObject(parent) {}

StreamResolver::~StreamResolver()
{
    if (m_process) {
        m_process->disconnect(this);
        m_process->killGroup();
    }
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
    dropChild(m_process);
    m_process = nullptr;
}

void StreamResolver::resolve(const QString& address)
{
    const QString ytdlp = program();
    if (ytdlp.isEmpty() || m_process) {
        emit resolved({});
        return;
    }
    auto* p = new ChildProcess(this);
    m_process = p;
    p->setStandardInputFile(QProcess::nullDevice());
    connect(p, &QProcess::finished, this, [this, p](int code, QProcess::ExitStatus status) {
        const QByteArray json = p->readAllStandardOutput();
        p->deleteLater();
        emit resolved(code == 0 && status == QProcess::NormalExit ? parseResolverJson(json) : Resolution{});
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            p->deleteLater();
            emit resolved({});
        }
    });
    p->start(ytdlp, {QStringLiteral("-J"), QStringLiteral("--"), address});
}

void StreamResolver::download(const QString& address, const QString& formatId, const QString& path)
{
    const QString ytdlp = program();
    if (ytdlp.isEmpty() || m_process) {
        emit downloadFailed(ytdlp.isEmpty() ? QStringLiteral("yt-dlp is not installed") : QStringLiteral("busy"));
        return;
    }
    auto* p = new ChildProcess(this);
    m_process = p;
    p->setStandardInputFile(QProcess::nullDevice());
    p->setProcessChannelMode(QProcess::MergedChannels);
    auto lastLines = std::make_shared<QString>();
    connect(p, &QProcess::readyRead, this, [this, p, lastLines] {
        while (p->canReadLine()) {
            const QString line = QString::fromUtf8(p->readLine()).trimmed();
            const int percent = resolverProgress(line);
            if (percent >= 0)
                emit downloadProgress(percent);
            else if (!line.isEmpty())
                *lastLines = line;
        }
    });
    connect(p, &QProcess::finished, this, [this, p, path, lastLines](int code, QProcess::ExitStatus status) {
        p->deleteLater();
        if (code == 0 && status == QProcess::NormalExit && QFileInfo(path).isFile())
            emit downloadFinished(path);
        else
            emit downloadFailed(lastLines->isEmpty() ? QStringLiteral("yt-dlp ended with exit code %1").arg(code)
                                                     : *lastLines);
    });
    connect(p, &QProcess::errorOccurred, this, [this, p](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) {
            p->deleteLater();
            emit downloadFailed(QStringLiteral("cannot start yt-dlp"));
        }
    });
    // yt-dlp reads "-o" as a template: a "%" of the title is only a "%".
    p->start(ytdlp, {QStringLiteral("--newline"), QStringLiteral("-f"), formatId, QStringLiteral("-o"),
                     QString(path).replace(u'%', QLatin1String("%%")),
                     QStringLiteral("--"), address});
}

} // namespace varnel
