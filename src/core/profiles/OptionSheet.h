#pragma once
// The grouped option rows shown beside the source list. One sheet serves the
// whole list; rows are found by group name and row name.
#include <QObject>
#include <QStringList>
#include <vector>

namespace varnel {

struct OptionRow {
    enum class Kind { Text, Choice };
    QString name;
    QString value;
    Kind kind = Kind::Text;
    QStringList choices;
};

struct OptionGroup {
    QString name;
    std::vector<OptionRow> rows;
};

namespace Group {
inline const QString General = QStringLiteral(QT_TRANSLATE_NOOP("varnel::OptionSheet", "General"));
inline const QString Duration = QStringLiteral(QT_TRANSLATE_NOOP("varnel::OptionSheet", "Output Duration"));
inline const QString Video = QStringLiteral(QT_TRANSLATE_NOOP("varnel::OptionSheet", "Video Options"));
inline const QString Audio = QStringLiteral(QT_TRANSLATE_NOOP("varnel::OptionSheet", "Audio Options"));
}

class OptionSheet : public QObject {
    Q_OBJECT
public:
    explicit OptionSheet(QObject* parent = nullptr);

    // Fills the sheet with its start-up groups, rows and choices.
    void prolist();

    void clearGroups();
    void addGroup(const QString& name);
    void addRow(const QString& group, const QString& name, const QString& value, OptionRow::Kind kind);

    const std::vector<OptionGroup>& groups() const { return m_groups; }
    const OptionRow* findRow(const QString& group, const QString& row) const;
    bool hasRow(const QString& group, const QString& row) const { return findRow(group, row); }

    // Operations on a row that is not in the sheet do nothing.
    QString value(const QString& group, const QString& row) const;
    void setValue(const QString& group, const QString& row, const QString& value);
    void clearChoices(const QString& group, const QString& row);
    void addChoice(const QString& group, const QString& row, const QString& choice);

signals:
    void rebuilt();
    void rowChanged(const QString& group, const QString& row);

private:
    OptionRow* row(const QString& group, const QString& row);
    std::vector<OptionGroup> m_groups;
};

} // namespace varnel
