#include "core/profiles/OptionSets.h"

#include "core/profiles/OptionSetTables.h"
#include "core/profiles/OptionSheet.h"
#include "core/profiles/TodaysFormats.h"

#include <QRegularExpression>
#include <map>

namespace varnel {

namespace {

const QString kLeave = QStringLiteral("—");

QString groupOf(const QString& row)
{
    return row.startsWith(QLatin1String("Video")) ? Group::Video : Group::Audio;
}

QStringList splitList(const QString& text)
{
    if (text == QLatin1String("common sizes"))
        return splitList(QString::fromUtf8(tables::kCommonSizes));
    if (text == QLatin1String("common sizes + HD"))
        return splitList(QString::fromUtf8(tables::kCommonSizesHd));
    return text.split(QStringLiteral(", "));
}

// A value cell: "v", "v (choices: a, b)" or "v (choices: kept, plus a, b)".
void addValueCell(std::vector<RowAction>& out, const QString& row, const char* cell)
{
    const QString text = QString::fromUtf8(cell);
    if (text == kLeave)
        return;
    static const QRegularExpression withChoices(QStringLiteral("^(.+?) \\(choices: (kept, plus )?(.*)\\)$"));
    const auto m = withChoices.match(text);
    if (!m.hasMatch()) {
        out.push_back({groupOf(row), row, RowAction::Kind::SetValue, text, {}});
        return;
    }
    const auto kind = m.capturedLength(2) ? RowAction::Kind::AddChoices : RowAction::Kind::ReplaceChoices;
    out.push_back({groupOf(row), row, kind, m.captured(1), splitList(m.captured(3))});
}

// A value with its own choices column: the choices are replaced.
void addChoiceCell(std::vector<RowAction>& out, const QString& row, const char* value, const char* choices)
{
    const QString v = QString::fromUtf8(value);
    if (v == kLeave)
        return;
    out.push_back({groupOf(row), row, RowAction::Kind::ReplaceChoices, v, splitList(QString::fromUtf8(choices))});
}

std::vector<RowAction> headerActions(const tables::HeaderRow& h)
{
    std::map<QString, QString> values;
    std::map<QString, QStringList> replaced;
    const QString set = QString::fromUtf8(h.valuesSet);
    if (set != kLeave)
        for (const QString& part : set.split(QStringLiteral("; "))) {
            const int eq = part.indexOf(QStringLiteral(" = "));
            values[part.left(eq)] = part.mid(eq + 3);
        }
    const QString rep = QString::fromUtf8(h.choicesReplaced);
    if (rep != kLeave)
        for (const QString& part : rep.split(QStringLiteral("; "))) {
            const int colon = part.indexOf(QStringLiteral(": "));
            replaced[part.left(colon)] = splitList(part.mid(colon + 2));
        }

    std::vector<RowAction> out;
    static const QStringList kOrder = {"Video Codec", "Video Size", "Video Bitrate", "Video Framerate",
                                       "Audio Codec", "Audio Bitrate", "Sample Rate"};
    const QString emptied = QString::fromUtf8(h.choicesEmptied);
    const QStringList emptiedRows = emptied == kLeave ? QStringList() : emptied.split(QStringLiteral(", "));
    for (const QString& row : kOrder) {
        if (emptiedRows.contains(row))
            out.push_back({groupOf(row), row, RowAction::Kind::EmptyChoices, {}, {}});
        else if (replaced.count(row))
            out.push_back({groupOf(row), row, RowAction::Kind::ReplaceChoices, values[row], replaced[row]});
        else if (values.count(row))
            out.push_back({groupOf(row), row, RowAction::Kind::SetValue, values[row], {}});
    }
    return out;
}

using AllActions = std::map<int, std::vector<RowAction>>;

template <class Rows>
void addVideoRows(AllActions& all, const Rows& rows)
{
    for (const tables::VideoRow& v : rows) {
        auto& a = all[v.number];
        addChoiceCell(a, QStringLiteral("Video Codec"), v.codec, v.codecChoices);
        addChoiceCell(a, QStringLiteral("Video Size"), v.size, v.sizeChoices);
        addValueCell(a, QStringLiteral("Video Bitrate"), v.bitrate);
        addValueCell(a, QStringLiteral("Video Framerate"), v.framerate);
    }
}

template <class Rows>
void addAudioRows(AllActions& all, const Rows& rows)
{
    for (const tables::AudioRow& r : rows) {
        auto& a = all[r.number];
        addChoiceCell(a, QStringLiteral("Audio Codec"), r.codec, r.codecChoices);
        addValueCell(a, QStringLiteral("Audio Bitrate"), r.bitrate);
        addValueCell(a, QStringLiteral("Sample Rate"), r.sampleRate);
    }
}

AllActions buildAll()
{
    AllActions all;
    addVideoRows(all, tables::kVideoRows);
    addAudioRows(all, tables::kAudioRows);
    for (const auto& h : tables::kHeaderRows)
        all[h.number] = headerActions(h);
    addVideoRows(all, tables::kTodayVideoRows);
    addAudioRows(all, tables::kTodayAudioRows);
    return all;
}

} // namespace

const std::vector<RowAction>& OptionSets::actionsFor(int number)
{
    static const std::map<int, std::vector<RowAction>> all = buildAll();
    static const std::vector<RowAction> none;
    const auto it = all.find(number);
    return it == all.end() ? none : it->second;
}

void OptionSets::apply(OptionSheet& sheet, int number)
{
    for (const RowAction& a : actionsFor(number)) {
        const OptionRow* row = sheet.findRow(a.group, a.row);
        if (!row)
            continue;
        switch (a.kind) {
        case RowAction::Kind::SetValue:
            sheet.setValue(a.group, a.row, a.value);
            break;
        case RowAction::Kind::ReplaceChoices:
            sheet.clearChoices(a.group, a.row);
            sheet.setValue(a.group, a.row, a.value);
            for (const QString& c : a.choices)
                sheet.addChoice(a.group, a.row, c);
            break;
        case RowAction::Kind::AddChoices:
            sheet.setValue(a.group, a.row, a.value);
            for (const QString& c : a.choices)
                if (!sheet.findRow(a.group, a.row)->choices.contains(c))
                    sheet.addChoice(a.group, a.row, c);
            break;
        case RowAction::Kind::EmptyChoices:
            sheet.clearChoices(a.group, a.row);
            break;
        }
    }
}

} // namespace varnel
