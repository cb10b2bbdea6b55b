#pragma once

#include <optional>

#include <QString>

namespace core
{

// How the values of a set document are read as numbers and flags. Each gives nothing when the text
// cannot be read that way, so that the caller can say which value of which document is damaged.

// The number at the start of the text (blanks skipped; 0 when it does not start with one), rounded
// to the nearest whole number with halves to the even neighbour. Nothing when it does not fit an int.
std::optional<int> leadingNumber(const QString& text);

// The whole text (blanks around it allowed) as a number, rounded as above. Nothing when it is empty,
// not a number, or does not fit an int.
std::optional<int> wholeNumber(const QString& text);

// "True" or "False" in any letter case, or a number, non-zero meaning true. Nothing otherwise.
std::optional<bool> truthValue(const QString& text);

} // namespace core
