#pragma once
// Presets of one's own: a catalogue entry and every value of the option
// sheet's video and audio rows, under a name, kept in presets.json in the
// data folder. A preset is checked against its entry's option set whenever it
// is read, saved or applied: one whose entry is gone, or whose values are not
// among the entry's choices, is refused with the reason.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace varnel {

class OptionSheet;

struct Preset {
    QString name;
    int entry = 0;
    std::map<QString, QString> values; // "Group/Row" -> value

    bool operator==(const Preset&) const = default;
};

namespace presets {

constexpr int kMostPresets = 1000;
constexpr qint64 kMostFileBytes = 4 << 20;

// The sheet's video and audio values with the chosen entry.
Preset fromSheet(const QString& name, int entry, const OptionSheet& sheet);
// Why the preset cannot be used; nothing when it can.
std::optional<QString> refusal(const Preset& preset);
// Chooses its entry's option set on the sheet, then sets its values.
void applyTo(OptionSheet& sheet, const Preset& preset);

QByteArray toJson(const std::vector<Preset>& list);
// The presets of a file's bytes; nothing (with the reason) when the bytes are
// not such a file. Presets that are refused are left out, each with its reason.
struct Parsed {
    std::vector<Preset> presets;
    QStringList skipped;
};
std::optional<Parsed> fromJson(const QByteArray& bytes, QString* error);

} // namespace presets

// presets.json in a folder. Every change is written whole (a staged file)
// before it counts; a failed write keeps the file as it was.
class PresetStore {
public:
    explicit PresetStore(QString folder);

    // Reads the file. A damaged or foreign file is moved aside under a name
    // of its own, never lost; the message says where. Empty when all is well.
    QString load();
    const std::vector<Preset>& all() const { return m_presets; }
    const Preset* find(const QString& name) const;

    // Each returns the reason it did nothing, or empty.
    QString save(const Preset& preset); // replaces one of the same name
    QString rename(const QString& from, const QString& to);
    QString remove(const QString& name);
    // Into a new file; a name without an extension gets ".json", and
    // written says the file's path.
    QString exportTo(const QString& name, const QString& file, QString* written = nullptr) const;
    // What an import did: the presets taken, those of the file refused (with
    // why), and the user's own it replaced, or would have (clashes).
    struct Imported {
        QStringList names, leftOut, replaced;
    };
    // Adds the presets of a file. One with the name of a preset of the
    // user's replaces it only when replace is set: without it, nothing at all
    // is imported, and report->replaced names the clashes.
    QString importFrom(const QString& file, bool replace, Imported* report = nullptr);

    QString path() const;

private:
    QString loadLocked();
    // Reads the file again, edits its list and writes it, all under a lock.
    QString change(const std::function<QString(std::vector<Preset>&)>& edit);
    QString write(const std::vector<Preset>& list);
    QString m_folder;
    std::vector<Preset> m_presets;
};

// A name a preset may have: 1 to 100 characters, none of them a control.
std::optional<QString> presetNameRefusal(const QString& name);

} // namespace varnel
