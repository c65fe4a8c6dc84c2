#pragma once
// Reading the option sheet for a command: every failure is a BuildError that
// says which row and why.
#include "core/convert/EncoderCommand.h"

namespace varnel {

QString sheetValue(const OptionSheet& sheet, const QString& group, const QString& row);
// A whole number in -32768..32767, as its text.
QString int16Text(const QString& v, const char* what);
// Seconds of a time text.
int timeSeconds(const QString& t);
// A second input of black frames for a source whose only picture is a cover,
// as long as its sound where that was measured (the encoder's look-ahead
// would otherwise carry them past it).
void appendCoverInput(Command& c, const EncoderInputs& in);
// The threads and the statistics file every command ends with.
void appendThreadsAndStatistics(Command& c, const EncoderInputs& in);

} // namespace varnel
