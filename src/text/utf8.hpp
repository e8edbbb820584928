#pragma once
// UTF-8 as the program checks and writes it.

#include <string>
#include <string_view>

namespace arribada::text {

// Whether `bytes` are valid UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(std::string_view bytes);

// Appends the UTF-8 form of a character of the Basic Multilingual Plane.
void appendUtf8(std::string& out, char32_t c);

}  // namespace arribada::text
