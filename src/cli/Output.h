#pragma once
#include <QTextStream>

namespace varnel::cli {

// Standard output and standard error as UTF-8 text streams.
QTextStream& out();
QTextStream& err();

} // namespace varnel::cli
