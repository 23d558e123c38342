// Numbers as people type them into a box: one reader for every box of the program, so a decimal
// comma, spaces around the number or a pasted thousands space mean the same everywhere.
#pragma once

#include <optional>
#include <string_view>

namespace tiramon {

// The text without the spaces a pasted number may carry around it: ASCII white space, the
// no-break space and the narrow no-break space.
std::string_view TrimSpaces(std::string_view text);

// A typed number: spaces around it are ignored, a decimal comma reads as a point ("12,5" is 12.5,
// as a Russian keyboard types it), a sign and an exponent are allowed. nullopt for anything else,
// and for infinities, NaN and values beyond a double's range.
std::optional<double> ReadTypedNumber(std::string_view text);

}  // namespace tiramon
