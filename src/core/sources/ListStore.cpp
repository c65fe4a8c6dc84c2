#include "core/sources/ListStore.h"

#include "core/common/StagedFile.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSheet.h"
#include "core/sources/SourceList.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <cmath>

namespace varnel {

namespace {

constexpr int kFormat = 1;
constexpr int kMostRows = 100000;
// The row's text cells by their names in the file.
const std::pair<const char*, SourceItem::Column> kCells[] = {
    {"path", SourceItem::FileName}, {"start", SourceItem::Start},   {"end", SourceItem::End},
    {"size", SourceItem::Size},     {"format", SourceItem::Format}, {"status", SourceItem::Status},
    {"videoTime", SourceItem::VideoTime},
};

} // namespace

QByteArray listToJson(const SourceList& list, int entry, const OptionSheet& sheet)
{
    QJsonArray rows;
    for (int r = 0; r < list.count(); ++r) {
        const SourceItem& item = list.item(r);
        QJsonObject row;
        for (const auto& [name, column] : kCells)
            row.insert(QLatin1String(name), item.cells[column]);
        row.insert("reason", item.statusReason);
        row.insert("clip", item.clipSet);
        row.insert("length", item.lengthSeconds);
        rows.append(row);
    }
    QJsonObject values;
    for (const OptionGroup& g : sheet.groups())
        for (const OptionRow& row : g.rows)
            values.insert(g.name + u'/' + row.name, row.value);
    const QJsonObject top{{"program", "varnel-video-converter"}, {"format", kFormat}, {"entry", entry},
                          {"sheet", values}, {"rows", rows}};
    return QJsonDocument(top).toJson(QJsonDocument::Compact);
}

std::optional<SavedList> listFromJson(const QByteArray& json, QString* reason)
{
    auto refuse = [reason](const char* why) {
        if (reason)
            *reason = QCoreApplication::translate("varnel::ListStore", why);
        return std::nullopt;
    };
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return refuse(QT_TRANSLATE_NOOP("varnel::ListStore", "not a list of this program"));
    const QJsonObject top = document.object();
    if (top.value("program").toString() != QLatin1String("varnel-video-converter") ||
        top.value("format").toInt(-1) != kFormat || !top.value("rows").isArray() || !top.value("sheet").isObject())
        return refuse(QT_TRANSLATE_NOOP("varnel::ListStore", "not a list of this program"));
    SavedList saved;
    const int entry = top.value("entry").toInt(-1);
    if (entry != 0 && !Catalogue::entry(entry))
        return refuse(QT_TRANSLATE_NOOP("varnel::ListStore", "its profile is out of range"));
    saved.entry = entry;
    const QJsonArray rows = top.value("rows").toArray();
    if (rows.size() > kMostRows)
        return refuse(QT_TRANSLATE_NOOP("varnel::ListStore", "too many rows"));
    for (const QJsonValue& v : rows) {
        const QJsonObject o = v.toObject();
        SourceItem item;
        for (const auto& [name, column] : kCells) {
            if (!o.value(QLatin1String(name)).isString())
                return refuse(QT_TRANSLATE_NOOP("varnel::ListStore", "a row is damaged"));
            item.cells[column] = o.value(QLatin1String(name)).toString();
        }
        if (item.path().isEmpty())
            return refuse(QT_TRANSLATE_NOOP("varnel::ListStore", "a row has no file"));
        item.tag = item.path();
        item.statusReason = o.value("reason").toString();
        item.clipSet = o.value("clip").toBool();
        const double length = o.value("length").toDouble(-1);
        item.lengthSeconds = std::isfinite(length) && length >= 0 && length < 1e9 ? length : -1;
        saved.rows.push_back(std::move(item));
    }
    const QJsonObject sheet = top.value("sheet").toObject();
    for (auto it = sheet.begin(); it != sheet.end(); ++it)
        if (it.value().isString())
            saved.sheet.emplace_back(it.key(), it.value().toString());
    return saved;
}

ListKeeper::ListKeeper(QString dataFolder, const SourceList& list, const OptionSheet& sheet, std::function<int()> entry,
                       QObject* parent)
    : QObject(parent), m_dataFolder(std::move(dataFolder)), m_list(list), m_sheet(sheet), m_entry(std::move(entry)),
      m_timer(new QTimer(this))
{
    m_timer->setSingleShot(true);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &ListKeeper::saveNow);
}

QString ListKeeper::filePath() const
{
    return m_dataFolder + QStringLiteral("/list.json");
}

void ListKeeper::changed()
{
    if (!m_discarded && !m_timer->isActive())
        m_timer->start();
}

void ListKeeper::saveNow()
{
    m_timer->stop();
    if (m_discarded)
        return;
    if (m_list.isEmpty()) { // nothing to lose
        QFile::remove(filePath());
        return;
    }
    const QByteArray json = listToJson(m_list, m_entry(), m_sheet);
    StagedFile file(filePath());
    // A failed save keeps the older list; the next change tries again.
    if (file.open() && file.write(json.constData(), json.size()))
        file.commit();
}

void ListKeeper::discard()
{
    m_discarded = true;
    m_timer->stop();
    QFile::remove(filePath());
}

QString ListKeeper::setAside()
{
    const QString bad = filePath() + QStringLiteral(".bad");
    QFile::remove(bad);
    QFile::rename(filePath(), bad);
    return bad;
}

} // namespace varnel
