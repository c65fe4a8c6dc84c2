#pragma once
// An outside command held as pieces. text() renders the exact command line
// (blanks and quotes as the program defines them); argv() is what is
// executed. Nothing ever passes through a shell.
//
//  - literal: fixed text, split into arguments at its blanks;
//  - value:   text from outside (a sheet value, a number, a folder) joined to
//             its neighbours without a blank, never split;
//  - quoted:  a value between double quotes in the text; in argv it is part
//             of one argument whatever characters it holds.
#include <QString>
#include <QStringList>
#include <vector>

namespace varnel {

class Command {
public:
    Command& literal(const QString& text);
    Command& value(const QString& text);
    Command& quoted(const QString& text);
    // A file path as a quoted piece; a relative path that starts with "-"
    // gets "./" first, so that no tool reads it as an option.
    Command& path(const QString& filePath);
    Command& append(const Command& other);

    QString text() const;
    QStringList argv() const;
    bool isEmpty() const { return m_pieces.empty(); }

private:
    enum class Kind { Literal, Value, Quoted };
    struct Piece { Kind kind; QString text; };
    std::vector<Piece> m_pieces;
};

} // namespace varnel
