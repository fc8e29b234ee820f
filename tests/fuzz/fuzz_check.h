// What the fuzz targets require of every input's outcome.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// Stops the run (libFuzzer saves the input) when a requirement fails.
inline void require(bool ok, const char *what, const std::string &detail = "")
{
    if (ok)
        return;
    std::fprintf(stderr, "requirement failed: %s: [%s]\n", what, detail.c_str());
    std::abort();
}

// A fault or failure report is one line of printable text: no control byte
// from the input reaches the terminal.
inline bool one_clean_line(const std::string &line)
{
    for (unsigned char c : line)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

}  // namespace fuzz
