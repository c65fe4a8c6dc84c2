#pragma once
// Text from outside (a file's name, an encoder's words, a page's title) as it
// may be shown: one line, nothing a terminal or a reader takes for anything
// but the characters it shows.
#include <QString>
#include <QStringList>

namespace varnel {

// Backslash, TAB and newline written as \\, \t and \n; every other control
// character (C0, DEL, C1), the direction and zero-width marks and the line
// and paragraph separators as \xNN or \u{NNNN}. Reversible, and a name that
// holds none of them is unchanged.
QString printable(const QString& text);

// The same for a message of several lines: newlines, TABs and backslashes
// stay as they are.
QString printableLines(const QString& text);

// The first most lines of a long list, then "and N more" for the rest.
QStringList atMostListed(const QStringList& lines, qsizetype most);

// Whether a character is one printable() writes out.
bool isHiddenCharacter(char32_t c);

// Characters Unicode says are shown as nothing (Default_Ignorable_Code_Point).
bool isDefaultIgnorable(char32_t c);

// Letters that show as nothing at all (Hangul fillers, the blank braille
// pattern): a name may not start with them any more than with a blank.
bool isBlankFiller(char32_t c);

} // namespace varnel
