#pragma once
// What the file dialog offers and answers, and which dropped files are taken.
#include <QCoreApplication>
#include <QString>
#include <QStringList>

namespace varnel {

inline QString kOpenDialogTitle()
{
    return QCoreApplication::translate("varnel::FileSelection", "Open Video File");
}

struct FileFilter {
    QString description;
    QString pattern;  // "*.a;*.b"
};

// The 17 filters of the open dialog, in order.
const std::vector<FileFilter>& openDialogFilters();
// The filters joined as description "|" pattern "|".
QString openDialogFilterText();
// The same filters in the form Qt's file dialog takes, "description
// (patterns)", to be shown with their details hidden.
QStringList openDialogNameFilters();

// The end of the path is one of the video endings (case ignored, no dot).
bool isAcceptedDrop(const QString& path);

// Files as given, and each folder as the media files inside it (its own
// folders too, hidden ones aside), in name order.
QStringList withFoldersOpened(const QStringList& paths);

} // namespace varnel
