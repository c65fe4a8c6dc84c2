#include "core/convert/EncoderList.h"

#include "core/convert/EncoderForms.h"
#include "core/convert/TodaysForms.h"
#include "core/profiles/OptionSets.h"
#include "core/profiles/OptionSheet.h"
#include "core/tools/Process.h"
#include "core/tools/ToolRegistry.h"

#include <QRegularExpression>

namespace varnel {

QStringList encodersOfEntry(int entryNumber, const OptionSheet* sheet)
{
    const auto form = formForEntry(entryNumber);
    if (!form || !isTodayForm(form->form))
        return {}; // the fixed catalogue's encoders are the program's own requirement
    // The values chosen on the sheet, else the entry's own.
    QString video, audio;
    for (const RowAction& a : OptionSets::actionsFor(entryNumber)) {
        if (a.row == QLatin1String("Video Codec"))
            video = a.value;
        if (a.row == QLatin1String("Audio Codec"))
            audio = a.value;
    }
    if (sheet) {
        video = video.isEmpty() ? video : sheet->value(Group::Video, QStringLiteral("Video Codec"));
        audio = sheet->value(Group::Audio, QStringLiteral("Audio Codec"));
    }
    QStringList out;
    for (const auto& c : tables::kTodayVideoCodecs)
        if (video == QLatin1String(c.value))
            out << QString::fromLatin1(c.encoder);
    for (const auto& c : tables::kTodayAudioCodecs)
        if (audio == QLatin1String(c.value) && QLatin1String(c.encoder) != QLatin1String("copy"))
            out << QString::fromLatin1(c.encoder);
    return out;
}

EncoderList::EncoderList(ToolRegistry& tools, QString programFolder, QObject* parent)
    : QObject(parent), m_tools(tools), m_programFolder(std::move(programFolder))
{
}

void EncoderList::ask()
{
    if (m_asked || m_asking)
        return;
    ToolStart start;
    start.command.quoted(m_programFolder + QStringLiteral("/fp.dll")).literal(" -hide_banner -encoders");
    start.keptBytes = -1;
    start.mostBytes = 4 * 1024 * 1024;
    start.mergeErrors = false;
    start.timeoutMs = 30000;
    m_asking = m_tools.run(start, this);
    auto done = [this] {
        if (!m_asking)
            return;
        // An encoder that cannot be asked says nothing of what it lacks: its
        // conversions will fail with its own words instead.
        const bool answered = m_asking->exitCode() == 0 && !m_asking->crashed();
        m_encoders = answered ? parse(m_asking->output()) : QSet<QString>();
        m_asking->deleteLater();
        m_asking = nullptr;
        m_known = !m_encoders.isEmpty();
        m_asked = true;
        emit ready();
    };
    if (m_asking->hasEnded())
        done();
    else
        connect(m_asking, &Process::finished, this, done);
}

std::optional<QString> EncoderList::missingFor(int entryNumber, const OptionSheet* sheet) const
{
    if (!m_known)
        return std::nullopt;
    for (const QString& encoder : encodersOfEntry(entryNumber, sheet))
        if (!m_encoders.contains(encoder))
            return tr("the installed ffmpeg has no %1 encoder").arg(encoder);
    return std::nullopt;
}

QSet<QString> EncoderList::parse(const QString& listing)
{
    // " V....D libx264   libx264 H.264 / AVC ..." after a "------" line.
    static const QRegularExpression line(QStringLiteral("^ [VAS][F.][S.][X.][B.][D.] (\\S+)\\s"));
    QSet<QString> out;
    for (const QString& l : listing.split(u'\n')) {
        const auto m = line.match(l);
        if (m.hasMatch())
            out.insert(m.captured(1));
    }
    return out;
}

} // namespace varnel
