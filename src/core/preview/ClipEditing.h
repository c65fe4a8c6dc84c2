#pragma once
// A row handed from the list to the clip editor, and back.
#include <QString>

namespace varnel {

struct ClipEditing {
    QString clipFile;
    QString clipStart, clipEnd, clipFullLength;
};

} // namespace varnel
