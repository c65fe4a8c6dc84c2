#pragma once
#include <QJsonObject>
#include <QTextStream>

namespace varnel::cli {

// Standard output and standard error as UTF-8 text streams.
QTextStream& out();
QTextStream& err();

// One JSON object as one line of standard output (JSON Lines): names that
// hold TABs or newlines stay safe for scripts.
void jsonLine(const QJsonObject& object);

// Text from outside (a file's name, a page's title) as one field of a line:
// see printable().
QString escaped(QString value);

} // namespace varnel::cli
