#pragma once

#include <QString>

#include <optional>

class Random;

// What happens when a parameter field changes: the numeric check of the
// feeder length and VSWR, and the test distance derived from the length.
namespace fieldrules {

constexpr int kFeederLength = 1;
constexpr int kVswr = 2;
constexpr int kTestDistance = 3;
constexpr int kTime = 11;

// The message shown when a checked field receives a text that is not a number.
QString refusalMessage();

// False when the field is checked and the text is neither empty nor a number.
bool accepts(int index, const QString& text);

// The test distance for a feeder length text: twice the length when centred,
// otherwise length + length * r + 1 with one draw r; whole metres. Empty when
// the text is empty or not a number, or the result is not finite.
std::optional<QString> derivedTestDistance(const QString& feederLength, bool centred,
                                           Random& random);

} // namespace fieldrules
