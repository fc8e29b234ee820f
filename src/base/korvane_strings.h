// Small text helpers shared by the run-time, the script reader and the
// simulated bench: ASCII whitespace trimming, ASCII case folding, control
// characters escaped, the closest of a list of names. Header only (target korvane_strings), so that any
// target may use them without linking the run-time.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

namespace base::text {

inline bool is_space(char ch) { return std::isspace(static_cast<unsigned char>(ch)) != 0; }

inline char to_lower(char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); }

// The text without leading and trailing whitespace, as a view into s.
inline std::string_view trimmed(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && is_space(s[b])) ++b;
    while (e > b && is_space(s[e - 1])) --e;
    return s.substr(b, e - b);
}

// The same, copied.
inline std::string trim(std::string_view s) { return std::string(trimmed(s)); }

inline std::string lower(std::string s)
{
    for (char &ch : s) ch = to_lower(ch);
    return s;
}

// Equal without regard to ASCII case.
inline bool iequals(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (to_lower(a[i]) != to_lower(b[i])) return false;
    return true;
}

// The text as one line: newlines, tabs and other control characters (from a
// file or a parser's message) written as escapes, "\n", "\t", "\x07".
inline std::string one_line(std::string_view s)
{
    static const char hex[] = "0123456789ABCDEF";
    std::string res;
    res.reserve(s.size());
    for (char ch : s) {
        unsigned c = static_cast<unsigned char>(ch);
        if (ch == '\n')
            res += "\\n";
        else if (ch == '\r')
            res += "\\r";
        else if (ch == '\t')
            res += "\\t";
        else if (c < 0x20 || c == 0x7F)
            res += {'\\', 'x', hex[c >> 4], hex[c & 15]};
        else
            res += ch;
    }
    return res;
}

// The candidate closest to `word` by edit distance (letters inserted, dropped,
// changed or swapped, case ignored), "" when none is within a third of the
// word's length (at least 1): what a mistyped name was likely meant to be.
inline std::string closest(std::string_view word, const std::vector<std::string> &candidates)
{
    const std::string w = lower(std::string(word));
    std::string best;
    std::size_t best_cost = std::max<std::size_t>(1, w.size() / 3) + 1;
    for (const std::string &candidate : candidates) {
        const std::string c = lower(candidate);
        // Optimal string alignment distance, rows kept for the swap.
        std::vector<std::vector<std::size_t>> d(w.size() + 1, std::vector<std::size_t>(c.size() + 1));
        for (std::size_t i = 0; i <= w.size(); ++i) d[i][0] = i;
        for (std::size_t j = 0; j <= c.size(); ++j) d[0][j] = j;
        for (std::size_t i = 1; i <= w.size(); ++i)
            for (std::size_t j = 1; j <= c.size(); ++j) {
                d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (w[i - 1] != c[j - 1])});
                if (i > 1 && j > 1 && w[i - 1] == c[j - 2] && w[i - 2] == c[j - 1])
                    d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        if (d[w.size()][c.size()] < best_cost) {
            best_cost = d[w.size()][c.size()];
            best = candidate;
        }
    }
    return best;
}

}  // namespace base::text
