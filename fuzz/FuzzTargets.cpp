#include "FuzzTargets.h"

#include "core/profiles/Presets.h"
#include "core/common/SafeName.h"
#include "core/common/StagedFile.h"
#include "core/download/DownloadJob.h"
#include "core/capture/CaptureProgress.h"
#include "core/common/TextNumbers.h"
#include "core/common/TimeText.h"
#include "core/convert/OutputFiles.h"
#include "core/convert/PlanLine.h"
#include "core/convert/ProgressMonitor.h"
#include "core/profiles/OptionSheet.h"
#include "core/download/PageScrape.h"
#include "core/download/StreamResolver.h"
#include "core/profiles/Catalogue.h"
#include "core/settings/IniFile.h"
#include "core/sources/ListStore.h"
#include "core/media/MediaFacts.h"
#include "core/sources/MediaProbe.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QString>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

namespace varnel::fuzz {

namespace {

void promise(bool kept, const char* what)
{
    if (kept)
        return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

QByteArray bytes(const std::uint8_t* data, std::size_t size)
{
    return QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
}

// A file name taken from outside is one safe component.
void promiseSafeName(const QString& name, int maxBytes)
{
    promise(!name.isEmpty(), "a name is never empty");
    promise(!name.contains(u'/'), "a name holds no /");
    promise(name != QLatin1String(".") && name != QLatin1String(".."), "a name is never . or ..");
    promise(!name.startsWith(u'.'), "a name never starts with .");
    promise(!name.front().isSpace(), "a name never starts with a blank");
    for (const char32_t c : name.toUcs4()) {
        promise(c >= 0x20 && c != 0x7F && !(c >= 0x80 && c < 0xA0), "a name holds no control character");
        promise(QChar::category(c) != QChar::Other_Format, "a name holds no direction or zero-width mark");
    }
    promise(name.toUtf8().size() <= maxBytes, "a name stays within its length");
}

// A scratch file of this process, for the parsers that read files.
QString scratchFile(const QByteArray& content)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input"));
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
    return path;
}

} // namespace

int pageScrape(const std::uint8_t* data, std::size_t size)
{
    const QByteArray raw = bytes(data, size);
    const QString page = QString::fromUtf8(raw);
    FormatLinks links;
    const std::vector<int> found = getUrls(page, links);
    VideoPageInfo info;
    parseVideoPage(page, info);
    for (int format : found) {
        promise(streamFormat(format) != nullptr, "only known formats are found");
        promiseSafeName(downloadFileName(info, format), 200 + 8);
    }
    promiseSafeName(downloadFileName(info, 5), 200 + 8);
    urlDecode(raw);
    return 0;
}

int resolverOutput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray raw = bytes(data, size);
    const Resolution r = parseResolverJson(raw);
    if (!r.info.length.isEmpty()) {
        bool number = false;
        const qlonglong seconds = r.info.length.toLongLong(&number);
        promise(number && seconds >= 0, "a length is a number of seconds");
    }
    for (const auto& [format, stream] : r.streams)
        promiseSafeName(downloadFileName(r.info, format), 200 + 8);
    for (const QByteArray& line : raw.split('\n')) {
        const int percent = resolverProgress(QString::fromUtf8(line));
        promise(percent >= -1 && percent <= 100, "a percentage is unknown or 0 to 100");
    }
    return 0;
}

int captureProgress(const std::uint8_t* data, std::size_t size)
{
    CaptureProgress progress;
    for (const QByteArray& line : bytes(data, size).split('\n'))
        progress.read(line);
    const CaptureStatistics& s = progress.statistics;
    promise(s.framesCaptured >= 0 && s.framesDropped >= 0 && s.elapsedMs >= 0, "counts are never negative");
    promise(progress.errorTail.size() <= 4096 + 1, "the tail stays small");
    return 0;
}

int identifyOutput(const std::uint8_t* data, std::size_t size)
{
    const ProbeResult r = parseIdentifyOutput(QString::fromUtf8(bytes(data, size)));
    if (!r.length.isEmpty()) {
        const auto seconds = timeTextToSeconds(r.length);
        promise(seconds && *seconds >= 0, "a length is a time");
    }
    promise(r.lengthSeconds < 0 || std::isfinite(r.lengthSeconds), "an exact length is finite");
    return 0;
}

int statisticsFile(const std::uint8_t* data, std::size_t size)
{
    const QString line = ReadLastLineOfFile(scratchFile(bytes(data, size)));
    promise(!line.contains(u'\n'), "one line");
    const double encoded = leadingNumber(encodedTimeText(line));
    promise(!std::isnan(encoded), "a time is a number");
    for (const double clip : {1.0, 90.0, 1e-300})
        toInt32(100.0 * encoded / clip); // never undefined, whatever it gives
    return 0;
}

int settingsFile(const std::uint8_t* data, std::size_t size)
{
    const QString path = scratchFile(bytes(data, size));
    for (const char* key : {"outputfolder", "existedfile", "autoshut", "thread", "profile"}) {
        const QString value = readSetting(path, QStringLiteral("set"), QString::fromLatin1(key));
        promise(value.size() <= kSettingReadLimit, "a value read stays within its buffer");
        promise(value == value.trimmed(), "a value read is trimmed");
        toInt32(leadingNumber(value));
    }
    return 0;
}

int planLine(const std::uint8_t* data, std::size_t size)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes(data, size));
    PlanLine line;
    if (!document.isObject() || !readPlanLine(document.object(), line).isEmpty())
        return 0;
    // A line accepted names files beside its output only, and never a
    // program: the command is rebuilt from its fields.
    const QString folder = QFileInfo(line.output).path();
    promise(folder == line.outputFolder, "the output lies in its folder");
    const QString partials = QFileInfo(line.partial).path();
    promise(QFileInfo(partials).path() == folder && QFileInfo(line.statistics).path() == folder,
            "the partial lies in a folder beside the output, the statistics file beside it");
    promise(output::partialFolderOwner(QFileInfo(partials).fileName()).pid != 0, "the partial's folder is a private one");
    for (const QString* p : {&line.output, &line.partial, &line.statistics})
        promise(!p->contains(QLatin1String("/../")) && !p->endsWith(QLatin1String("/..")), "no path climbs");
    OptionSheet sheet;
    sheet.prolist();
    applyPlanOptions(line, sheet);
    return 0;
}

int listJson(const std::uint8_t* data, std::size_t size)
{
    const std::optional<SavedList> saved = listFromJson(bytes(data, size));
    if (!saved)
        return 0;
    promise(saved->entry == 0 || Catalogue::entry(saved->entry) != nullptr, "a restored entry is in the catalogue");
    for (const SourceItem& row : saved->rows) {
        promise(!row.path().isEmpty(), "a restored row names a file");
        promise(row.lengthSeconds < 0 || std::isfinite(row.lengthSeconds), "a restored length is finite");
    }
    return 0;
}

int mediaFacts(const std::uint8_t* data, std::size_t size)
{
    // Any bytes as a media file: what is measured of them is in range.
    const int fd = ::memfd_create("media", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, data, size) != static_cast<ssize_t>(size)) {
        if (fd >= 0)
            ::close(fd);
        return 0;
    }
    const MediaFacts facts = readMedia(fd, QStringLiteral("fuzz"), MediaDepth::Lengths);
    ::close(fd);
    for (const StreamFacts& s : facts.streams) {
        promise(std::isfinite(s.seconds) && s.seconds >= -1, "a length is finite and never below unknown");
        promise(std::isfinite(s.packetSeconds) && s.packetSeconds >= 0, "a packet's length is finite");
        promise(std::isfinite(s.startSeconds) && s.startSeconds >= 0, "a start is finite");
        promise(s.rotation >= 0 && s.rotation < 360, "a rotation is a turn");
    }
    promise(facts.readable || !facts.error.isEmpty(), "an unreadable file says why");
    return 0;
}

int presetsFile(const std::uint8_t* data, std::size_t size)
{
    QString why;
    const auto parsed = presets::fromJson(bytes(data, size), &why);
    if (!parsed) {
        promise(!why.isEmpty(), "a file that is not presets says why");
        return 0;
    }
    promise(std::ssize(parsed->presets) <= presets::kMostPresets, "no more presets than a store holds");
    for (const Preset& p : parsed->presets) {
        promise(!presets::refusal(p), "every preset read can be used");
        const auto* e = Catalogue::entry(p.entry);
        promise(e && !e->isHeader, "a preset's entry is a profile");
    }
    // What is read is written back the same.
    QString again;
    const auto reread = presets::fromJson(presets::toJson(parsed->presets), &again);
    promise(reread && reread->presets == parsed->presets, "presets written and read back are the same");
    return 0;
}

int downloadName(const std::uint8_t* data, std::size_t size)
{
    // Any bytes as a page, in any charset it declares, all the way to the
    // file a download would be written to.
    const QByteArray raw = bytes(data, size);
    const int cut = raw.indexOf('\n');
    const QString page = decodePage(raw.mid(cut + 1), cut < 0 ? QByteArray() : raw.left(cut));
    VideoPageInfo info;
    parseVideoPage(page, info);
    static QTemporaryDir folder;
    for (const StreamFormat& f : kStreamFormats) {
        const QString name = downloadFileName(info, f.number);
        promiseSafeName(name, 200 + 8);
        const QString path = folder.path() + u'/' + name;
        promise(isDirectlyInside(path, folder.path()), "a download's file is directly inside its folder");
        promise(StagedFile::nameRefusal(path).isEmpty(), "a download's name fits its folder");
    }
    promiseSafeName(thumbnailFileName(info), 200 + 8);
    return 0;
}

const std::vector<Target>& targets()
{
    static const std::vector<Target> all = {
        {"page_scrape", pageScrape},         {"resolver_output", resolverOutput},
        {"capture_progress", captureProgress}, {"identify_output", identifyOutput},
        {"statistics_file", statisticsFile}, {"settings_file", settingsFile},
        {"plan_line", planLine},             {"list_json", listJson},
        {"media_facts", mediaFacts},         {"presets_file", presetsFile},
        {"download_name", downloadName},
    };
    return all;
}

} // namespace varnel::fuzz
