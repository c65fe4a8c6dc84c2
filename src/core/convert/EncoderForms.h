#pragma once
// Which command form and container piece each catalogue entry uses.
#include <QString>
#include <optional>

namespace varnel {

enum class CommandForm {
    Full, FullNoAspect, ShortVideo, ShortVideoAspect, Phone, Flash, Dvd, Audio, Wma,
    // Our own families: today's codecs, the source's shape and rate kept.
    TodayVideo, TodayAllTracks, TodayAudio
};

// A line of a form table: entries first..last use the form.
struct FormRow {
    int first;
    int last;
    CommandForm form;
    const char* container;
    const char* fixedAudio;
};

struct FormChoice {
    CommandForm form;
    QString container;   // the form's container piece, may be empty
    QString fixedAudio;  // phone form only
};

// Audio forms convert the whole source and make no video; the others take
// the clip times.
inline bool isAudioForm(CommandForm form)
{
    return form == CommandForm::Audio || form == CommandForm::Wma || form == CommandForm::TodayAudio;
}
inline bool isTodayForm(CommandForm form)
{
    return form == CommandForm::TodayVideo || form == CommandForm::TodayAllTracks || form == CommandForm::TodayAudio;
}

// Nothing for numbers outside the catalogue.
std::optional<FormChoice> formForEntry(int number);

} // namespace varnel
