#pragma once
// The program's own pictures, drawn in code: the image list of the profile
// chooser, the toolbar images and the window icon.
#include <QIcon>
#include <QList>
#include <QPixmap>

namespace varnel::artwork {

// ImageList1: at least 44 device pictures; position p (1-based) is at p - 1.
QList<QPixmap> imageList();

enum class ToolbarImage { AddFiles, RemoveFile, ClearAll, Settings, Help, Exit, Convert };
QPixmap toolbarImage(ToolbarImage which, int size = 40);

QIcon appIcon();

} // namespace varnel::artwork
