#include "core/profiles/OptionSheet.h"


namespace varnel {

namespace {

struct InitialRow {
    const QString& group;
    const char* name;
    OptionRow::Kind kind;
    const char* value;
    const char* choices; // joined with ", "
};

constexpr auto T = OptionRow::Kind::Text;
constexpr auto C = OptionRow::Kind::Choice;

// Group | Row | Kind | Initial value | Choices
const InitialRow kInitialRows[] = {
    {Group::General, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Item Name"), T, "Auto", ""},
    {Group::Duration, QT_TRANSLATE_NOOP("varnel::OptionSheet", "All Clip Duration"), T, "00:00:00", ""},
    {Group::Duration, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Start Time"), T, "00:00:00", ""},
    {Group::Duration, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Stop Time"), T, "00:00:00", ""},
    {Group::Video, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Video Codec"), C, "xvid", "xvid, mpeg4, x264"},
    {Group::Video, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Video Size"), C, "320x240", "320x240, 480x270, 480x320, 640x480"},
    {Group::Video, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Video Bitrate"), C, "256", "48, 64, 128, 192, 256, 512, 768, 1000, 1500, 1152, 2500"},
    {Group::Video, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Video Framerate"), C, "29.97", "Auto, 8, 10, 12, 15, 23.976, 24, 25, 29.97, 30"},
    {Group::Video, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Aspect Ratio"), C, "4:3", "4:3, 16:9"},
    {Group::Audio, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Audio Codec"), C, "aac", "aac, mp3, ogg"},
    {Group::Audio, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Audio Bitrate"), C, "128", "32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320"},
    {Group::Audio, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Sample Rate"), C, "44100", "8000, 11025, 22050, 24000, 32000, 44100, 48000"},
    {Group::Audio, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Audio Channel"), C, "2", "1, 2"},
    {Group::Audio, QT_TRANSLATE_NOOP("varnel::OptionSheet", "Disable Audio"), C, "No", "No, Yes"},
    {Group::Audio, QT_TRANSLATE_NOOP("varnel::OptionSheet", "A/V Sync"), C, "Basic", "Basic, Default"},
};

} // namespace

OptionSheet::OptionSheet(QObject* parent) : QObject(parent) {}

void OptionSheet::prolist()
{
    clearGroups();
    for (const InitialRow& r : kInitialRows) {
        if (m_groups.empty() || m_groups.back().name != r.group)
            addGroup(r.group);
        const QString name = QString::fromUtf8(r.name);
        addRow(r.group, name, QString::fromUtf8(r.value), r.kind);
        const QString choices = QString::fromUtf8(r.choices);
        if (!choices.isEmpty())
            for (const QString& c : choices.split(QStringLiteral(", ")))
                addChoice(r.group, name, c);
    }
    emit rebuilt();
}

void OptionSheet::clearGroups()
{
    m_groups.clear();
    emit rebuilt();
}

void OptionSheet::addGroup(const QString& name)
{
    m_groups.push_back({name, {}});
}

void OptionSheet::addRow(const QString& group, const QString& name, const QString& value,
                         OptionRow::Kind kind)
{
    for (OptionGroup& g : m_groups)
        if (g.name == group) {
            g.rows.push_back({name, value, kind, {}});
            return;
        }
}

OptionRow* OptionSheet::row(const QString& group, const QString& name)
{
    for (OptionGroup& g : m_groups)
        if (g.name == group)
            for (OptionRow& r : g.rows)
                if (r.name == name)
                    return &r;
    return nullptr;
}

const OptionRow* OptionSheet::findRow(const QString& group, const QString& name) const
{
    return const_cast<OptionSheet*>(this)->row(group, name);
}

QString OptionSheet::value(const QString& group, const QString& name) const
{
    const OptionRow* r = findRow(group, name);
    return r ? r->value : QString();
}

void OptionSheet::setValue(const QString& group, const QString& name, const QString& value)
{
    if (OptionRow* r = row(group, name)) {
        r->value = value;
        emit rowChanged(group, name);
    }
}

void OptionSheet::clearChoices(const QString& group, const QString& name)
{
    if (OptionRow* r = row(group, name)) {
        r->choices.clear();
        emit rowChanged(group, name);
    }
}

void OptionSheet::addChoice(const QString& group, const QString& name, const QString& choice)
{
    if (OptionRow* r = row(group, name)) {
        r->choices.append(choice);
        emit rowChanged(group, name);
    }
}

} // namespace varnel
