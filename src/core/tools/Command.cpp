#include "core/tools/Command.h"

namespace varnel {

Command& Command::literal(const QString& text)
{
    m_pieces.push_back({Kind::Literal, text});
    return *this;
}

Command& Command::value(const QString& text)
{
    m_pieces.push_back({Kind::Value, text});
    return *this;
}

Command& Command::quoted(const QString& text)
{
    m_pieces.push_back({Kind::Quoted, text});
    return *this;
}

Command& Command::path(const QString& filePath)
{
    return quoted(filePath.startsWith(u'-') ? QStringLiteral("./") + filePath : filePath);
}

Command& Command::append(const Command& other)
{
    m_pieces.insert(m_pieces.end(), other.m_pieces.begin(), other.m_pieces.end());
    return *this;
}

QString Command::text() const
{
    QString out;
    for (const Piece& p : m_pieces)
        out += p.kind == Kind::Quoted ? u'"' + p.text + u'"' : p.text;
    return out;
}

QStringList Command::argv() const
{
    QStringList args;
    QString current;
    bool open = false; // an argument has been started, even if empty ("")
    auto finish = [&] {
        if (open)
            args << current;
        current.clear();
        open = false;
    };
    for (const Piece& p : m_pieces) {
        if (p.kind != Kind::Literal) {
            current += p.text;
            open = open || p.kind == Kind::Quoted || !p.text.isEmpty();
            continue;
        }
        for (QChar c : p.text) {
            if (c == u' ') {
                finish();
            } else {
                current += c;
                open = true;
            }
        }
    }
    finish();
    return args;
}

} // namespace varnel
