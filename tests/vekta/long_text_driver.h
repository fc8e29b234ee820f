// The stand-in driver of long messages: its two codes and their texts.
#pragma once

#include <string>

namespace long_text {

constexpr int kRefuses = -201001;  // refuses a buffer too small for the message
constexpr int kCuts = -201002;     // cuts the message and warns

// 3000 bytes that differ along their length, so a cut shows where it was made.
inline std::string message(int code)
{
    std::string s = "code " + std::to_string(code) + ":";
    for (int i = 0; s.size() < 3000; i++) s += " word" + std::to_string(i);
    return s.substr(0, 3000);
}

}  // namespace long_text
