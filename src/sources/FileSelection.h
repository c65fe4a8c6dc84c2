#pragma once
// What the file dialog offers and answers, and which dropped files are taken.
#include <QString>
#include <QStringList>

namespace varnel {

inline const QString kOpenDialogTitle = QStringLiteral("Open Video File");
inline const QString kOnlyVideoMessage = QStringLiteral("Only Video files are allowed!");

struct FileFilter {
    QString description;
    QString pattern;  // "*.a;*.b"
};

// The 17 filters of the open dialog, in order.
const std::vector<FileFilter>& openDialogFilters();
// The filters joined as description "|" pattern "|".
QString openDialogFilterText();
// The same filters in the form Qt's file dialog takes: "description (patterns)".
QStringList openDialogNameFilters();

struct SelectedFiles {
    QString folder;      // always ends in "/"
    QStringList names;   // without folder, in the dialog's order
    int count() const { return static_cast<int>(names.size()); }
    QStringList paths() const;
};

// Reads an explorer-style answer: one full path, or the folder, NUL, name,
// NUL, name... The dialog leaves the current folder at the selection's folder.
SelectedFiles parseSelectedFiles(const QString& answer, const QString& currentFolder);

// The answer the dialog gives for the paths it returned (all in one folder).
QString dialogAnswer(const QStringList& paths, QString* folder);

// The end of the path is one of the video endings (case ignored, no dot).
bool isAcceptedDrop(const QString& path);

// The dropped files taken, in order, up to the first that is not a video;
// *rejected tells whether one stopped the drop.
QStringList acceptedDrops(const QStringList& paths, bool* rejected);

} // namespace varnel
