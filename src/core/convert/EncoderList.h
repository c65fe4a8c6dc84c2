#pragma once
// Which encoders the installed ffmpeg has, asked once per program start, and
// what that means for each catalogue entry: an entry whose encoder is missing
// cannot be converted to, and says why.
#include <QObject>
#include <QSet>
#include <QString>
#include <optional>

namespace varnel {

class OptionSheet;
class Process;
class ToolRegistry;

class EncoderList : public QObject {
    Q_OBJECT
public:
    EncoderList(ToolRegistry& tools, QString programFolder, QObject* parent = nullptr);

    // Asks the encoder for its list unless it was asked already; ready() follows.
    void ask();
    bool isKnown() const { return m_known; }
    bool wasAsked() const { return m_asked; } // answered, or could not be asked
    bool has(const QString& encoder) const { return m_encoders.contains(encoder); }
    // Why the entry (with the sheet's codecs, when given) cannot be converted
    // to with this ffmpeg; nothing when it can, or before the list is known.
    std::optional<QString> missingFor(int entryNumber, const OptionSheet* sheet = nullptr) const;

    // The encoder names of ffmpeg's "-encoders" list.
    static QSet<QString> parse(const QString& listing);

signals:
    void ready();

private:
    ToolRegistry& m_tools;
    QString m_programFolder;
    Process* m_asking = nullptr;
    QSet<QString> m_encoders;
    bool m_known = false;
    bool m_asked = false;
};

// The encoders an entry's command needs with its own option set's values, or
// with the sheet's.
QStringList encodersOfEntry(int entryNumber, const OptionSheet* sheet = nullptr);

} // namespace varnel
