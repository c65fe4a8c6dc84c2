#pragma once
// Which command form and container piece each catalogue entry uses.
#include <QString>
#include <optional>

namespace varnel {

enum class CommandForm { Full, FullNoAspect, ShortVideo, ShortVideoAspect, Phone, Flash, Dvd, Audio, Wma };

struct FormChoice {
    CommandForm form;
    QString container;   // the form's container piece, may be empty
    QString fixedAudio;  // phone form only
};

// Nothing for numbers outside the catalogue.
std::optional<FormChoice> formForEntry(int number);

} // namespace varnel
