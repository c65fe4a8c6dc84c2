#pragma once
// A row handed from the list to the clip editor, and back.
#include <QString>

namespace varnel {

struct ClipEditing {
    quint64 itemId = 0; // the row's: its index moves when a row before it leaves
    QString clipFile;
    QString clipContainer; // as the file was read when it was added; its player reads it so
    QString clipStart, clipEnd, clipFullLength;
};

} // namespace varnel
