#pragma once
#include <QComboBox>

namespace varnel::test {

// Chooses a catalogue entry the way a user's click does: the selection
// changes, then the chooser reports the choice.
inline void choose(QComboBox* chooser, int number)
{
    chooser->setCurrentIndex(number - 1);
    emit chooser->activated(number - 1);
}

} // namespace varnel::test
