#pragma once
// The user's language: the program's catalogue from the program folder and
// Qt's own (standard buttons and dialogs) from Qt's folder.
#include <QLocale>
#include <QString>

class QCoreApplication;

namespace varnel {

// Installs into app the catalogues for locale that exist: the program's
// <programFolder>/translations/varnel_<locale>.qm and Qt's qtbase. A locale
// without a catalogue (English) leaves the texts as they are. Returns whether
// the program's own catalogue was found.
bool installTranslations(QCoreApplication& app, const QString& programFolder, const QLocale& locale = QLocale::system());

} // namespace varnel
