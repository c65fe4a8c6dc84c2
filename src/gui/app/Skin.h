#pragma once
#include <QString>

class QPalette;
class QWidget;

namespace varnel {

// The skin's colours as a complete palette: every role, every state.
QPalette skinPalette();

// Applies the style sheet of the skin file and its palette to a window; a
// missing or unreadable file leaves the window as it is.
void applySkin(QWidget* window, const QString& programFolder);

} // namespace varnel
