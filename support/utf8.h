// Texts between UTF-8, as the program keeps them, and code points, as a box counts its characters.
// A malformed byte becomes U+FFFD, so a text from anywhere can be counted and edited.
#pragma once

#include <string>
#include <string_view>

namespace tiramon {

std::u32string ToUtf32(std::string_view utf8);
std::string ToUtf8(std::u32string_view text);

}  // namespace tiramon
