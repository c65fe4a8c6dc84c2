#include "core/profiles/Presets.h"

#include "core/common/PrintableText.h"
#include "core/common/StagedFile.h"
#include "core/profiles/Catalogue.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnel {

namespace {

const QString kFormat = QStringLiteral("varnel-presets");
const QString kFileName = QStringLiteral("presets.json");

// Characters that print nothing, or look like a blank or like nothing at all:
// a name holding one could pass for another name.
bool invisible(char32_t c)
{
    switch (QChar::category(c)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Other_Surrogate:
    case QChar::Other_PrivateUse:
    case QChar::Other_NotAssigned:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    default:
        break;
    }
    return c == 0x034F || (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xE0100 && c <= 0xE01EF) ||
           (c >= 0xE0000 && c <= 0xE007F) || c == 0x115F || c == 0x1160 || c == 0x3164 || c == 0xFFA0 ||
           c == 0x2800 || (c & 0xFFFE) == 0xFFFE || (c >= 0xFDD0 && c <= 0xFDEF);
}

bool holdsControl(const QString& text)
{
    for (const char32_t c : text.toUcs4())
        if (invisible(c))
            return true;
    return false;
}

// Up to the size cap, from a regular file only: a device, pipe or folder is
// never a file of presets, and nothing here waits on one.
std::optional<QByteArray> readRegular(const QString& path, QString* why, bool* missing)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        *missing = errno == ENOENT;
        *why = QString::fromLocal8Bit(std::strerror(errno));
        return std::nullopt;
    }
    struct stat st {};
    QByteArray bytes;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        *why = QCoreApplication::translate("varnel::Presets", "it is not a regular file");
        ::close(fd);
        return std::nullopt;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *why = QString::fromLocal8Bit(std::strerror(errno));
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > presets::kMostFileBytes) {
            *why = QCoreApplication::translate("varnel::Presets", "it is larger than %1 MiB").arg(presets::kMostFileBytes >> 20);
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);
    return bytes;
}

// One program at a time reads, changes and writes the presets; the lock goes
// with the descriptor, however the program ends. A holder that never lets
// go (a program stopped in a debugger, or by SIGSTOP) is waited for a few
// seconds, not for ever: the window waits on this.
class FolderLock {
public:
    explicit FolderLock(const QString& folder)
        : m_fd(::open(QFile::encodeName(folder + QStringLiteral("/.presets.lock")).constData(),
                      O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600))
    {
        constexpr int kPatienceMs = 3000;
        int waitedMs = 0;
        for (int pauseMs = 5; m_fd >= 0 && !m_held; pauseMs = std::min(pauseMs * 2, 200)) {
            m_held = ::flock(m_fd, LOCK_EX | LOCK_NB) == 0;
            if (m_held || (errno != EWOULDBLOCK && errno != EINTR) || waitedMs >= kPatienceMs)
                break;
            ::usleep(static_cast<useconds_t>(pauseMs) * 1000);
            waitedMs += pauseMs;
        }
    }
    ~FolderLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    // A folder where no lock file can be made (read-only) is not shared
    // with a writer either: reading goes on there.
    bool busy() const { return m_fd >= 0 && !m_held; }

private:
    int m_fd;
    bool m_held = false;
};

QString presetsBusy()
{
    return QCoreApplication::translate("varnel::Presets", "another program keeps presets.json locked and does not let go of it");
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
    if (!o["entry"].isDouble() || entry < 1 || entry > 100000 || entry != int(entry)) {
        *why = QCoreApplication::translate("varnel::Presets", "%1: its entry is not a whole number of the catalogue").arg(printable(p.name));
        return std::nullopt;
    }
    p.entry = int(entry);
    const QJsonObject values = o["values"].toObject();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (!it.value().isString()) {
            *why = QCoreApplication::translate("varnel::Presets", "%1: %2 is not a text").arg(printable(p.name), printable(it.key()));
            return std::nullopt;
        }
        p.values[it.key()] = it.value().toString();
    }
    if (!v.isObject() || !o["name"].isString()) {
        *why = QCoreApplication::translate("varnel::Presets", "an entry without a name");
        return std::nullopt;
    }
    if (const auto refused = presets::refusal(p)) {
        *why = QStringLiteral("%1: %2").arg(printable(p.name), *refused);
        return std::nullopt;
    }
    return p;
}

} // namespace

std::optional<QString> presetNameRefusal(const QString& name)
{
    if (name.trimmed().isEmpty())
        return QCoreApplication::translate("varnel::Presets", "a preset needs a name");
    if (name.toUcs4().size() > 100)
        return QCoreApplication::translate("varnel::Presets", "a preset's name has at most 100 characters");
    if (holdsControl(name))
        return QCoreApplication::translate("varnel::Presets", "a preset's name holds no control, direction or invisible characters");
    if (name != name.trimmed())
        return QCoreApplication::translate("varnel::Presets", "a preset's name neither starts nor ends with a blank");
    if (name != name.normalized(QString::NormalizationForm_C))
        return QCoreApplication::translate("varnel::Presets", "a preset's name is written in composed form (NFC), so that one name looks like one name");
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
        return QCoreApplication::translate("varnel::Presets", "its entry %1 is not in the catalogue").arg(preset.entry);
    if (e->isHeader)
        return QCoreApplication::translate("varnel::Presets", "its entry %1 is a category header, not a profile").arg(preset.entry);
    OptionSheet fresh;
    fresh.prolist();
    OptionSets::apply(fresh, preset.entry);
    for (const auto& [key, value] : preset.values) {
        const int slash = key.indexOf(u'/');
        const QString group = key.left(slash), row = key.mid(slash + 1);
        const OptionRow* r = slash > 0 && kept(group) ? fresh.findRow(group, row) : nullptr;
        if (!r)
            return QCoreApplication::translate("varnel::Presets", "%1 is not a video or audio row of the sheet").arg(printable(key));
        if (r->choices.isEmpty() ? value.size() > 100 || holdsControl(value) : !r->choices.contains(value))
            return QCoreApplication::translate("varnel::Presets", "%1 %2 is not one of %3's choices").arg(printable(key), printable(value), e->text);
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
        *error = QCoreApplication::translate("varnel::Presets", "it is larger than %1 MiB").arg(kMostFileBytes >> 20);
        return std::nullopt;
    }
    QJsonParseError parse;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parse);
    if (parse.error != QJsonParseError::NoError) {
        *error = QCoreApplication::translate("varnel::Presets", "it is not JSON: %1 at byte %2").arg(parse.errorString()).arg(parse.offset);
        return std::nullopt;
    }
    const QJsonObject top = doc.object();
    if (!doc.isObject() || top["format"].toString() != kFormat || !top["presets"].isArray()) {
        *error = QCoreApplication::translate("varnel::Presets", "it is not a file of presets");
        return std::nullopt;
    }
    if (top["version"] != QJsonValue(1)) {
        *error = QCoreApplication::translate("varnel::Presets", "it is of another version than 1");
        return std::nullopt;
    }
    const QJsonArray items = top["presets"].toArray();
    if (items.size() > kMostPresets) {
        *error = QCoreApplication::translate("varnel::Presets", "it holds more than %1 presets").arg(kMostPresets);
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
        if (std::any_of(out.presets.begin(), out.presets.end(), [&](const Preset& q) { return q.name == p->name; })) {
            out.skipped << QCoreApplication::translate("varnel::Presets", "%1: a second preset of that name").arg(printable(p->name));
            continue;
        }
        out.presets.push_back(*p);
    }
    return out;
}

PresetStore::PresetStore(QString folder) : m_folder(std::move(folder)) {}

QString PresetStore::path() const { return m_folder + u'/' + kFileName; }

QString PresetStore::load()
{
    const FolderLock lock(m_folder);
    if (lock.busy()) {
        m_presets.clear();
        return presetsBusy() + QCoreApplication::translate("varnel::Presets", "; no presets are loaded");
    }
    return loadLocked();
}

QString PresetStore::loadLocked()
{
    m_presets.clear();
    QString why;
    bool missing = false;
    std::optional<presets::Parsed> parsed;
    if (const auto bytes = readRegular(path(), &why, &missing))
        parsed = presets::fromJson(*bytes, &why);
    if (missing)
        return {};
    if (parsed && parsed->skipped.isEmpty()) {
        m_presets = parsed->presets;
        return {};
    }
    // Kept whole under another name: the user's presets are never dropped
    // in silence, and the next save starts a clean file.
    const QString aside = path() + QStringLiteral(".damaged-") +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss"));
    QString target = aside;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = aside + QStringLiteral("-%1").arg(n);
    const bool moved = QFile::rename(path(), target);
    if (parsed) {
        m_presets = parsed->presets;
        if (moved)
            write(m_presets);
        return QCoreApplication::translate("varnel::Presets", "Some presets could not be used (%1); the file as it was is kept as %2")
            .arg(parsed->skipped.join(QStringLiteral("; ")), moved ? target : path());
    }
    return moved ? QCoreApplication::translate("varnel::Presets", "presets.json could not be read (%1); it is kept as %2, and no presets are loaded")
                       .arg(why, target)
                 : QCoreApplication::translate("varnel::Presets", "presets.json could not be read (%1), nor moved aside; no presets are loaded")
                       .arg(why);
}

QString PresetStore::change(const std::function<QString(std::vector<Preset>&)>& edit)
{
    // Read again under the lock: another program may have saved meanwhile,
    // and its presets must not be written over with an older list.
    const FolderLock lock(m_folder);
    if (lock.busy())
        return presetsBusy() + QCoreApplication::translate("varnel::Presets", "; nothing was changed");
    if (const QString message = loadLocked(); !message.isEmpty())
        return message + QCoreApplication::translate("varnel::Presets", "; nothing was changed");
    std::vector<Preset> next = m_presets;
    if (const QString why = edit(next); !why.isEmpty())
        return why;
    return write(next);
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
    return change([&](std::vector<Preset>& next) {
        std::erase_if(next, [&](const Preset& p) { return p.name == preset.name; });
        if (std::ssize(next) >= presets::kMostPresets)
            return QCoreApplication::translate("varnel::Presets", "there are %1 presets already").arg(presets::kMostPresets);
        next.push_back(preset);
        return QString();
    });
}

QString PresetStore::rename(const QString& from, const QString& to)
{
    if (const auto bad = presetNameRefusal(to))
        return *bad;
    return change([&](std::vector<Preset>& next) {
        auto named = [&](const QString& n) {
            return std::find_if(next.begin(), next.end(), [&](const Preset& p) { return p.name == n; });
        };
        if (named(from) == next.end())
            return QCoreApplication::translate("varnel::Presets", "there is no preset %1").arg(printable(from));
        if (from != to && named(to) != next.end())
            return QCoreApplication::translate("varnel::Presets", "there is a preset %1 already").arg(printable(to));
        named(from)->name = to;
        return QString();
    });
}

QString PresetStore::remove(const QString& name)
{
    return change([&](std::vector<Preset>& next) {
        if (std::erase_if(next, [&](const Preset& p) { return p.name == name; }) == 0)
            return QCoreApplication::translate("varnel::Presets", "there is no preset %1").arg(printable(name));
        return QString();
    });
}

QString PresetStore::exportTo(const QString& name, const QString& givenFile, QString* written) const
{
    const Preset* p = find(name);
    if (!p)
        return QCoreApplication::translate("varnel::Presets", "there is no preset %1").arg(printable(name));
    // A file dialog or a typed name may leave the type out.
    const QString file = QFileInfo(givenFile).suffix().isEmpty() ? givenFile + QStringLiteral(".json") : givenFile;
    // A new file only: whatever is under the name (a file, a device, a
    // link) is the user's and stays.
    if (QFileInfo(file).exists() || QFileInfo(file).isSymLink())
        return QCoreApplication::translate("varnel::Presets", "%1 exists already; export into a new file").arg(printable(file));
    const QByteArray bytes = presets::toJson({*p});
    StagedFile out(file);
    if (!out.open() || !out.write(bytes.constData(), bytes.size()) || !out.commit(StagedFile::Placing::BesideOnly))
        return out.errorString();
    if (written)
        *written = file;
    return {};
}

QString PresetStore::importFrom(const QString& file, bool replace, Imported* report)
{
    QString why;
    bool missing = false;
    const auto bytes = readRegular(file, &why, &missing);
    if (!bytes)
        return QCoreApplication::translate("varnel::Presets", "cannot read %1: %2").arg(printable(file), missing ? QCoreApplication::translate("varnel::Presets", "there is no such file") : why);
    const auto parsed = presets::fromJson(*bytes, &why);
    if (!parsed)
        return QCoreApplication::translate("varnel::Presets", "%1 holds no presets: %2").arg(printable(file), why);
    QStringList replaced;
    const QString failed = change([&](std::vector<Preset>& next) {
        for (const Preset& p : parsed->presets) {
            if (std::erase_if(next, [&](const Preset& q) { return q.name == p.name; }) > 0)
                replaced << p.name;
            next.push_back(p);
        }
        if (!replace && !replaced.isEmpty())
            return QCoreApplication::translate("varnel::Presets", "presets of these names are there already: %1; nothing was imported")
                .arg(printable(replaced.join(QStringLiteral(", "))));
        if (std::ssize(next) > presets::kMostPresets)
            return QCoreApplication::translate("varnel::Presets", "there would be more than %1 presets").arg(presets::kMostPresets);
        return QString();
    });
    if (report)
        report->replaced = replaced;
    if (!failed.isEmpty())
        return failed;
    if (report) {
        for (const Preset& p : parsed->presets)
            report->names << p.name;
        report->leftOut = parsed->skipped;
    }
    return {};
}

} // namespace varnel
