#include "core/download/StreamResolver.h"
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
        m_process = nullptr; // free for the next look-up at once
        const bool whole = p->exitCode() == 0 && !p->crashed() && !p->outputCut() && !p->timedOut();
        emit resolved(whole ? parseResolverJson(p->outputBytes()) : Resolution{});
    });
}

} // namespace varnel
