#pragma once
#include <QString>

class QWidget;

namespace varnel {

// Applies the style sheet of the skin file to a window; a missing or
// unreadable file leaves the window as it is.
void applySkin(QWidget* window, const QString& programFolder);

} // namespace varnel
