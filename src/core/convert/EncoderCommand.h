#pragma once
// Builds the encoder command line for one item of the list.
#include "core/media/MediaFacts.h"
#include "core/tools/Command.h"

#include <QString>
#include <stdexcept>

namespace varnel {

class OptionSheet;

struct EncoderInputs {
    QString sourcePath;
    QString startText;       // the row's "Start" cell
    QString endText;         // the row's "End" cell
    int entryNumber = 0;     // the chooser's entry, headers counted
    const OptionSheet* sheet = nullptr;
    QString threadSetting;   // "thread" as stored
    QString outputPath;
    QString programFolder;   // where fp.dll is
    QString dataFolder;      // where the statistics file goes; the program folder when empty
    QString statisticsFile;  // a file of its own in place of <data folder>/curconvert.log
    // The clip runs to the end of the source: no duration is given, so the
    // output holds all of it, however long the player thought it was.
    bool toTheEnd = false;
    // The source's only picture is a cover (an album's art): a video form
    // makes black frames for as long as the sound lasts.
    bool coverOnly = false;
    double coverSeconds = 0; // the sound's measured length, which the black frames keep to
    // The source's streams, where they were read: the picture's shape and
    // the subtitles' kinds decide some pieces. Without them (a command
    // printed for no file in particular) the text's command stands.
    const MediaFacts* source = nullptr;
};

struct EncoderCommand {
    Command command;
    int startSeconds = 0;
    int durationSeconds = 0; // end minus start; negative when the end comes first
    bool clipped = true;     // the clip times apply (audio forms convert the whole source)
    bool toTheEnd = false;   // no duration was given: the clip ends with the source
    bool makesVideo = true;
    bool makesAudio = true;  // unless the form or "Disable Audio" drops the sound
};

// A missing option row, a value that is not a number, or a clip time that is
// not a time of day: the item cannot be converted.
class BuildError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

EncoderCommand buildEncoderCommand(const EncoderInputs& in);

struct FormChoice;
// Our own families: today's codecs at a chosen quality.
EncoderCommand buildTodayCommand(const EncoderInputs& in, const FormChoice& form);

} // namespace varnel
