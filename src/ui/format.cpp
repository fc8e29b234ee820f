// Display of values: the text a control shows in each kind and format, the
// arrow keys' steps, the operator's typed text; the names of kinds and formats.

#include "ui/model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ui {

const char *kind_name(Kind kind) { return kind_info(kind).name.data(); }
const char *format_name(Format format) { return format_info(format).name.data(); }

std::string Control::display_name() const
{
    if (!name.empty())
        return name;
    if (!label.empty())
        return label;
    return std::to_string(id);
}

const Control *Panel::find(int id) const
{
    for (auto &c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

Control *Panel::find(int id)
{
    for (auto &c : controls)
        if (c.id == id)
            return &c;
    return nullptr;
}

bool shows_blank(const Control &c)
{
    return c.has_blank && (c.kind == Kind::numeric_int || c.kind == Kind::numeric_double) && c.value() == c.blank;
}

int lamp_count(const Control &c) { return c.digits > 0 ? std::min(c.digits, 32) : 8; }

double stepped_value(const Control &c, int steps)
{
    double unit = c.kind == Kind::numeric_double ? std::pow(10.0, -std::clamp(c.digits, 0, 15)) : 1.0;
    double v = c.value();
    if (std::isnan(v) || shows_blank(c)) {
        // From the bound nearest 0, so that the first step lands inside the range.
        v = 0.0;
        if (c.has_min && v < c.min)
            v = c.min;
        if (c.has_max && v > c.max)
            v = c.max;
        steps = 0;
    }
    v += unit * steps;
    if (c.kind == Kind::numeric_double)
        v = std::round(v / unit) * unit;  // on the grid of the digits shown
    if (c.has_min && v < c.min)
        v = c.min;
    if (c.has_max && v > c.max)
        v = c.max;
    return v;
}

std::string display_text(const Control &c)
{
    char buf[96];
    if (shows_blank(c))
        return kBlankText;
    switch (c.kind) {
    case Kind::numeric_double: {
        if (std::isnan(c.dvalue))
            return "NaN";
        if (std::isinf(c.dvalue))
            return c.dvalue > 0 ? "Inf" : "-Inf";
        std::snprintf(buf, sizeof buf, "%.*f", std::clamp(c.digits, 0, 15), c.dvalue);
        return buf;
    }
    case Kind::toggle:
        return c.ivalue ? "1" : "0";
    case Kind::decoration:
        return c.title;
    case Kind::numeric_int: {
        long long v = c.ivalue;
        unsigned long long mag = v < 0 ? static_cast<unsigned long long>(-v) : static_cast<unsigned long long>(v);
        std::string digits;
        int width = c.format == Format::leds ? lamp_count(c) : std::clamp(c.digits, 0, 64);
        switch (c.format) {
        case Format::decimal:
            digits = std::to_string(mag);
            break;
        case Format::hex:
            std::snprintf(buf, sizeof buf, "%llX", mag);
            digits = buf;
            break;
        case Format::binary:
        case Format::leds:
            do {
                digits.insert(digits.begin(), static_cast<char>('0' + (mag & 1)));
                mag >>= 1;
            } while (mag);
            break;
        }
        if (static_cast<int>(digits.size()) < width)
            digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
        std::string prefix = c.format == Format::hex ? "0x" : "";
        return (v < 0 ? "-" : "") + prefix + digits;
    }
    default:
        return "";
    }
}

bool parse_operator_text(const Control &c, const std::string &raw, double &value)
{
    std::string text = raw;
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.pop_back();
    std::size_t b = 0;
    while (b < text.size() && std::isspace(static_cast<unsigned char>(text[b])))
        ++b;
    text = text.substr(b);
    if (c.kind == Kind::numeric_int && c.format != Format::decimal && !text.empty()) {
        // (Lamps read typed text as binary digits.)
        bool neg = text[0] == '-';
        std::string body = text.substr(neg ? 1 : 0);
        // A 0x or 0b prefix says what it is, even where it could be read as hex digits.
        bool prefixed = body.size() > 1 && body[0] == '0' && std::strchr("xXbB", body[1]);
        const char *set = c.format == Format::hex ? "0123456789abcdefABCDEF" : "01";
        const std::size_t most = c.format == Format::hex ? 16 : 64;  // what fits in 64 bits
        if (!prefixed && !body.empty() && body.size() <= most && body.find_first_not_of(set) == std::string::npos) {
            unsigned long long v = std::stoull(body, nullptr, c.format == Format::hex ? 16 : 2);
            value = neg ? -static_cast<double>(v) : static_cast<double>(v);
            return true;
        }
    }
    return script::parse_number(text, value);
}

}  // namespace ui
