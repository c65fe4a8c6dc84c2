#pragma once
#include <QIcon>

namespace varnel::artwork {

enum class PlayerButton { Play, Pause, Stop, Back, Forward, FirstFrame, LastFrames };

// The picture buttons of the embedded players, drawn in code.
QIcon playerIcon(PlayerButton which, int size = 24);

} // namespace varnel::artwork
