#pragma once
// What choosing a catalogue entry does to the seven option rows it governs.
#include <QString>
#include <QStringList>
#include <vector>

namespace varnel {

class OptionSheet;

struct RowAction {
    enum class Kind { SetValue, ReplaceChoices, AddChoices, EmptyChoices };
    QString group;
    QString row;
    Kind kind;
    QString value;
    QStringList choices;

    bool operator==(const RowAction&) const = default;
};

namespace OptionSets {

// The actions of an entry in the order they are written; rows left alone do
// not appear. Entry 1 and numbers outside the catalogue give none.
const std::vector<RowAction>& actionsFor(int number);

// Applies the option set of an entry to the sheet. Added choices that the row
// already offers are not added a second time, so choosing an entry again
// leaves its lists as they were.
void apply(OptionSheet& sheet, int number);

} // namespace OptionSets
} // namespace varnel
