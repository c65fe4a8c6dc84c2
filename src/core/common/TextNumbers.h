#pragma once
// Number reading rules shared by the settings, the probe, the command builder
// and the progress monitor.
#include <QString>
#include <optional>

namespace varnel {

// The whole text (blanks around it allowed) is a number, or nothing.
std::optional<double> strictNumber(const QString& text);

// True only when the text is a number and that number equals n.
bool isNumberEqual(const QString& text, double n);

// The leading number of a text: optional blanks, sign, digits with one ".",
// optional exponent. Text without a leading number gives 0.
double leadingNumber(const QString& text);

// Nearest integer, halves to even (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double v);

// Converts text to a 16-bit integer the way the option values are read:
// the text must be a number, rounded halves to even, and fit in 16 bits.
std::optional<int> toInt16(const QString& text);

// Decimal text of a number: integral values without a fraction.
QString numberText(double v);

// The value rounded half to even as a 32-bit integer; nothing when it is not
// a finite number in that range (such values are unknown, never cast).
std::optional<int> toInt32(double v);

} // namespace varnel
