#include "support/utf8.h"

namespace tiramon {

std::u32string ToUtf32(std::string_view utf8) {
  std::u32string text;
  text.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto byte = static_cast<unsigned char>(utf8[i]);
    int extra = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : byte >= 0xC0 ? 1 : 0;
    char32_t c = extra == 0 ? char32_t{byte} : static_cast<char32_t>(byte & (0x3F >> extra));
    if (byte >= 0x80 && byte < 0xC0) c = U'\uFFFD';  // a stray continuation byte
    std::size_t j = i + 1;
    for (; extra > 0; --extra, ++j) {
      if (j >= utf8.size() || (static_cast<unsigned char>(utf8[j]) & 0xC0) != 0x80) {
        c = U'\uFFFD';
        break;
      }
      c = (c << 6) | (static_cast<unsigned char>(utf8[j]) & 0x3F);
    }
    text.push_back(c);
    i = j;
  }
  return text;
}

std::string ToUtf8(std::u32string_view text) {
  std::string utf8;
  utf8.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | (c >> 6)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      utf8.push_back(static_cast<char>(0xE0 | (c >> 12)));
      utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xF0 | (c >> 18)));
      utf8.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return utf8;
}

}  // namespace tiramon
