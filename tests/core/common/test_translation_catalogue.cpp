// The shipped German catalogue against the texts marked in the sources as
// they are now: lupdate finds them, and each must be translated, with the
// same placeholders, accelerators and blanks at its ends as the English.
#include "TestSupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <gtest/gtest.h>

#include <map>
#include <vector>

using namespace varnel;

namespace {

struct Message {
    QString context, source;
    QStringList translations; // one, or the plural forms
    bool finished = false;
};

std::vector<Message> readCatalogue(const QString& path)
{
    std::vector<Message> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"name") {
            context = xml.readElementText();
        } else if (xml.name() == u"message") {
            out.push_back({context, {}, {}, false});
        } else if (xml.name() == u"source" && !out.empty()) {
            out.back().source = xml.readElementText();
        } else if (xml.name() == u"translation" && !out.empty()) {
            Message& m = out.back();
            m.finished = xml.attributes().value(QLatin1String("type")).isEmpty();
            QString text;
            while (!xml.atEnd() && !(xml.readNext() == QXmlStreamReader::EndElement && xml.name() == u"translation")) {
                if (xml.isStartElement() && xml.name() == u"numerusform")
                    m.translations << xml.readElementText();
                else if (xml.isCharacters())
                    text += xml.text();
            }
            if (m.translations.isEmpty())
                m.translations << text;
        }
    }
    EXPECT_FALSE(xml.hasError()) << path.toStdString() << ": " << xml.errorString().toStdString();
    return out;
}

QStringList placeholders(const QString& text)
{
    static const QRegularExpression marker(QStringLiteral("%L?([1-9][0-9]?|n)"));
    QStringList found;
    for (auto it = marker.globalMatch(text); it.hasNext();)
        found << it.next().captured();
    found.sort();
    return found;
}

// A single "&" marks the accelerator; "&&" is an ampersand.
qsizetype accelerators(const QString& text)
{
    return text.count(u'&') - 2 * text.count(QStringLiteral("&&"));
}

QString leadingBlanks(const QString& text)
{
    return text.first(text.size() - QString(text).remove(QRegularExpression(QStringLiteral("^\\s+"))).size());
}

QString trailingBlanks(const QString& text)
{
    return text.last(text.size() - QString(text).remove(QRegularExpression(QStringLiteral("\\s+$"))).size());
}

} // namespace

TEST(TranslationCatalogue, EveryMarkedTextHasAFinishedGermanTranslation)
{
    QTemporaryDir dir;
    const QString fresh = dir.filePath(QStringLiteral("fresh_de.ts"));
    QString said;
    ASSERT_EQ(test::run(QStringLiteral(VARNEL_LUPDATE),
                        {"-silent", "-locations", "none", "-target-language", "de", VARNEL_SOURCE_DIR "/src", "-ts", fresh},
                        &said),
              0)
        << said.toStdString();
    const std::vector<Message> marked = readCatalogue(fresh);
    // The run read the sources: the menus alone hold dozens of texts.
    ASSERT_GT(marked.size(), 100u);

    std::map<std::pair<QString, QString>, Message> shipped;
    for (const Message& m : readCatalogue(QStringLiteral(VARNEL_SOURCE_DIR "/data/translations/varnel_de.ts")))
        shipped[{m.context, m.source}] = m;

    for (const Message& m : marked) {
        const std::string where = (m.context + u'|' + m.source).toStdString();
        const auto it = shipped.find({m.context, m.source});
        if (it == shipped.end()) {
            ADD_FAILURE() << "not in the German catalogue: " << where;
            continue;
        }
        const Message& german = it->second;
        EXPECT_TRUE(german.finished) << "unfinished: " << where;
        ASSERT_FALSE(german.translations.isEmpty()) << where;
        for (const QString& t : german.translations) {
            EXPECT_FALSE(t.trimmed().isEmpty()) << "empty: " << where;
            EXPECT_EQ(placeholders(t), placeholders(m.source)) << where << " -> " << t.toStdString();
            EXPECT_EQ(accelerators(t), accelerators(m.source)) << where << " -> " << t.toStdString();
            EXPECT_EQ(leadingBlanks(t), leadingBlanks(m.source)) << where << " -> " << t.toStdString();
            EXPECT_EQ(trailingBlanks(t), trailingBlanks(m.source)) << where << " -> " << t.toStdString();
        }
    }
}
