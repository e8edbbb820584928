#include "text/utf8.hpp"

#include <cstdint>

namespace arribada::text {

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

namespace {

// The length of the UTF-8 sequence at `i`, or 0 where none is valid (overlong
// forms and surrogates included).
std::size_t utf8SequenceAt(std::string_view s, std::size_t i) {
  const auto byte = [&s](std::size_t at) { return static_cast<std::uint8_t>(s[at]); };
  const std::uint8_t lead = byte(i);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  std::uint8_t lowest = 0x80;
  std::uint8_t highest = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) lowest = 0xA0;
    if (lead == 0xED) highest = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) lowest = 0x90;
    if (lead == 0xF4) highest = 0x8F;
  } else {
    return 0;
  }
  if (i + length > s.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const std::uint8_t next = byte(i + k);
    if (next < (k == 1 ? lowest : 0x80) || next > (k == 1 ? highest : 0xBF)) return 0;
  }
  return length;
}

}  // namespace

bool isUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const std::size_t length = utf8SequenceAt(s, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

}  // namespace arribada::text
