#pragma once

#include <QString>

namespace toolkit {

// Converts a game number held as text. Accepts leading spaces, then either an optional sign and
// decimal digits, or "$" and hexadecimal digits, and nothing else; the value must fit in 32 bits.
// Raises EConvertError "'<text>' is not a valid integer value" otherwise.
int strToInt(const QString &text);

// Plain decimal text with a leading minus sign when negative.
QString intToStr(int value);

} // namespace toolkit
