#include "core/profiles/Presets.h"

#include "core/common/StagedFile.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnel {

namespace {

const QString kFormat = QStringLiteral("varnel-presets");
const QString kFileName = QStringLiteral("presets.json");

bool holdsControl(const QString& text)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            return true;
    return false;
}

bool kept(const QString& group) { return group == Group::Video || group == Group::Audio; }

QJsonObject toObject(const Preset& p)
{
    QJsonObject values;
    for (const auto& [key, value] : p.values)
        values[key] = value;
    return {{"name", p.name}, {"entry", p.entry}, {"values", values}};
}

std::optional<Preset> fromObject(const QJsonValue& v, QString* why)
{
    const QJsonObject o = v.toObject();
    Preset p;
    p.name = o["name"].toString();
    const double entry = o["entry"].toDouble(-1);
    p.entry = entry >= 1 && entry <= 100000 && entry == int(entry) ? int(entry) : 0;
    const QJsonObject values = o["values"].toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!it.value().isString()) {
            *why = QStringLiteral("%1: %2 is not a text").arg(p.name, it.key());
            return std::nullopt;
        }
        p.values[it.key()] = it.value().toString();
    }
    if (!v.isObject() || !o["name"].isString()) {
        *why = QStringLiteral("an entry without a name");
        return std::nullopt;
    }
    if (const auto refused = presets::refusal(p)) {
        *why = QStringLiteral("%1: %2").arg(p.name, *refused);
        return std::nullopt;
    }
    return p;
}

} // namespace

std::optional<QString> presetNameRefusal(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QStringLiteral("a preset needs a name");
    if (name.size() > 100)
        return QStringLiteral("a preset's name has at most 100 characters");
    if (holdsControl(name))
        return QStringLiteral("a preset's name holds no control, direction or invisible characters");
    if (name != name.trimmed())
        return QStringLiteral("a preset's name neither starts nor ends with a blank");
    return std::nullopt;
}

Preset presets::fromSheet(const QString& name, int entry, const OptionSheet& sheet)
{
    Preset p{name, entry, {}};
    for (const OptionGroup& g : sheet.groups())
        if (kept(g.name))
            for (const OptionRow& r : g.rows)
                p.values[g.name + u'/' + r.name] = r.value;
    return p;
}

std::optional<QString> presets::refusal(const Preset& preset)
{
    if (const auto bad = presetNameRefusal(preset.name))
        return bad;
    const CatalogueEntry* e = Catalogue::entry(preset.entry);
    if (!e)
        return QStringLiteral("its entry %1 is not in the catalogue").arg(preset.entry);
    if (e->isHeader)
        return QStringLiteral("its entry %1 is a category header, not a profile").arg(preset.entry);
    OptionSheet fresh;
    fresh.prolist();
    OptionSets::apply(fresh, preset.entry);
    for (const auto& [key, value] : preset.values) {
        const int slash = key.indexOf(u'/');
        const QString group = key.left(slash), row = key.mid(slash + 1);
        const OptionRow* r = slash > 0 && kept(group) ? fresh.findRow(group, row) : nullptr;
        if (!r)
            return QStringLiteral("%1 is not a video or audio row of the sheet").arg(key);
        if (r->choices.isEmpty() ? value.size() > 100 || holdsControl(value) : !r->choices.contains(value))
            return QStringLiteral("%1 %2 is not one of %3's choices").arg(key, value, e->text);
    }
    return std::nullopt;
}

void presets::applyTo(OptionSheet& sheet, const Preset& preset)
{
    OptionSets::apply(sheet, preset.entry);
    for (const auto& [key, value] : preset.values) {
        const int slash = key.indexOf(u'/');
        sheet.setValue(key.left(slash), key.mid(slash + 1), value);
    }
}

QByteArray presets::toJson(const std::vector<Preset>& list)
{
    QJsonArray items;
    for (const Preset& p : list)
        items.append(toObject(p));
    return QJsonDocument(QJsonObject{{"format", kFormat}, {"version", 1}, {"presets", items}}).toJson();
}

std::optional<presets::Parsed> presets::fromJson(const QByteArray& bytes, QString* error)
{
    if (bytes.size() > kMostFileBytes) {
        *error = QStringLiteral("it is larger than %1 MiB").arg(kMostFileBytes >> 20);
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = QStringLiteral("it is not JSON: %1 at byte %2").arg(parse.errorString()).arg(parse.offset);
        return std::nullopt;
    }
    const QJsonObject top = doc.object();
    if (!doc.isObject() || top["format"].toString() != kFormat || !top["presets"].isArray()) {
        *error = QStringLiteral("it is not a file of presets");
        return std::nullopt;
    }
    if (top["version"].toInt() != 1) {
        *error = QStringLiteral("it is of a later version (%1)").arg(top["version"].toInt());
        return std::nullopt;
    }
    const QJsonArray items = top["presets"].toArray();
    if (items.size() > kMostPresets) {
        *error = QStringLiteral("it holds more than %1 presets").arg(kMostPresets);
        return std::nullopt;
    }
    Parsed out;
    for (const QJsonValue& v : items) {
        QString why;
        const auto p = fromObject(v, &why);
        if (!p) {
            out.skipped << why;
            continue;
        }
        // A later one of the same name wins, as a save would.
        std::erase_if(out.presets, [&](const Preset& q) { return q.name == p->name; });
        out.presets.push_back(*p);
    }
    return out;
}

PresetStore::PresetStore(QString folder) : m_folder(std::move(folder)) {}

QString PresetStore::path() const { return m_folder + u'/' + kFileName; }

QString PresetStore::load()
{
    m_presets.clear();
    QFile file(path());
    if (!file.exists())
        return {};
    QString why;
    std::optional<presets::Parsed> parsed;
    if (!file.open(QIODevice::ReadOnly))
        why = file.errorString();
    else if (file.size() > presets::kMostFileBytes)
        why = QStringLiteral("it is larger than %1 MiB").arg(presets::kMostFileBytes >> 20);
    else
        parsed = presets::fromJson(file.readAll(), &why);
    file.close();
    if (parsed && parsed->skipped.isEmpty()) {
        m_presets = parsed->presets;
        return {};
    }
    // Kept whole under another name: the user's presets are never dropped
    // in silence, and the next save starts a clean file.
    const QString aside = path() + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = aside;
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = aside + QStringLiteral("-%1").arg(n);
    const bool moved = QFile::rename(path(), target);
    if (parsed) {
        m_presets = parsed->presets;
        if (moved)
            write(m_presets);
        return QStringLiteral("Some presets could not be used (%1); the file as it was is kept as %2")
            .arg(parsed->skipped.join(QStringLiteral("; ")), moved ? target : path());
    }
    return moved ? QStringLiteral("presets.json could not be read (%1); it is kept as %2, and no presets are loaded")
                       .arg(why, target)
                 : QStringLiteral("presets.json could not be read (%1), nor moved aside; no presets are loaded")
                       .arg(why);
}

const Preset* PresetStore::find(const QString& name) const
{
    for (const Preset& p : m_presets)
        if (p.name == name)
            return &p;
    return nullptr;
}

QString PresetStore::write(const std::vector<Preset>& list)
{
    const QByteArray bytes = presets::toJson(list);
    StagedFile file(path());
    if (!file.open() || !file.write(bytes.constData(), bytes.size()) || !file.commit())
        return file.errorString();
    m_presets = list;
    return {};
}

QString PresetStore::save(const Preset& preset)
{
    if (const auto refused = presets::refusal(preset))
        return *refused;
    std::vector<Preset> next = m_presets;
    std::erase_if(next, [&](const Preset& p) { return p.name == preset.name; });
    if (std::ssize(next) >= presets::kMostPresets)
        return QStringLiteral("there are %1 presets already").arg(presets::kMostPresets);
    next.push_back(preset);
    return write(next);
}

QString PresetStore::rename(const QString& from, const QString& to)
{
    if (const auto bad = presetNameRefusal(to))
        return *bad;
    if (!find(from))
        return QStringLiteral("there is no preset %1").arg(from);
    if (from != to && find(to))
        return QStringLiteral("there is a preset %1 already").arg(to);
    std::vector<Preset> next = m_presets;
    for (Preset& p : next)
        if (p.name == from)
            p.name = to;
    return write(next);
}

QString PresetStore::remove(const QString& name)
{
    if (!find(name))
        return QStringLiteral("there is no preset %1").arg(name);
    std::vector<Preset> next = m_presets;
    std::erase_if(next, [&](const Preset& p) { return p.name == name; });
    return write(next);
}

QString PresetStore::exportTo(const QString& name, const QString& file) const
{
    const Preset* p = find(name);
    if (!p)
        return QStringLiteral("there is no preset %1").arg(name);
    const QByteArray bytes = presets::toJson({*p});
    StagedFile out(file);
    if (!out.open() || !out.write(bytes.constData(), bytes.size()) || !out.commit())
        return out.errorString();
    return {};
}

QString PresetStore::importFrom(const QString& file, QStringList* imported, QStringList* leftOut)
{
    QFile in(file);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("cannot read %1: %2").arg(file, in.errorString());
    if (in.size() > presets::kMostFileBytes)
        return QStringLiteral("%1 is larger than %2 MiB").arg(file).arg(presets::kMostFileBytes >> 20);
    QString why;
    const auto parsed = presets::fromJson(in.read(presets::kMostFileBytes + 1), &why);
    if (!parsed)
        return QStringLiteral("%1 holds no presets: %2").arg(file, why);
    std::vector<Preset> next = m_presets;
    for (const Preset& p : parsed->presets) {
        std::erase_if(next, [&](const Preset& q) { return q.name == p.name; });
        next.push_back(p);
        if (imported)
            *imported << p.name;
    }
    if (std::ssize(next) > presets::kMostPresets)
        return QStringLiteral("there would be more than %1 presets").arg(presets::kMostPresets);
    if (leftOut)
        *leftOut = parsed->skipped;
    return write(next);
}

} // namespace varnel
