// The kinds of control, their display formats and the keys of the panel file,
// each listed once: the panel file reader checks against these tables and the
// core takes the kinds' names and properties from them. A new kind or key is
// one line here (then its reading in uir_panel_file.cpp and its drawing in
// uir_qt.cpp).
#pragma once

#include <string>
#include <string_view>

namespace uir {

enum class Kind { numeric_int, numeric_double, toggle, button, timer, decoration, chart };
enum class Format { decimal, hex, binary, leds };

struct KindInfo {
    Kind kind;
    std::string_view name;  // as written in the panel file
    bool has_value;         // holds a number (a toggle holds 0 or 1)
    bool pressable;         // the operator clicks it
    int width, height;      // size when the panel file gives none
    int digits;             // digits when the panel file gives none
    int max_digits;         // doubles: after the point; integers: minimum shown
};

inline constexpr KindInfo kKinds[] = {
    {Kind::numeric_int, "numeric_int", true, false, 90, 22, 0, 32},
    {Kind::numeric_double, "numeric_double", true, false, 90, 22, 2, 15},
    {Kind::toggle, "toggle", true, true, 110, 22, 0, 32},
    {Kind::button, "button", false, true, 90, 26, 0, 32},
    {Kind::timer, "timer", false, false, 0, 0, 0, 32},
    {Kind::decoration, "decoration", false, false, 200, 100, 0, 32},
    {Kind::chart, "chart", false, false, 360, 200, 0, 32},
};

constexpr const KindInfo &kind_info(Kind kind) { return kKinds[static_cast<int>(kind)]; }

constexpr const KindInfo *find_kind(std::string_view name)
{
    for (const KindInfo &k : kKinds)
        if (k.name == name) return &k;
    return nullptr;
}

// A control a program works on, with the kind it must have: the table that
// uir_gen writes from the program's panel file, to check a panel file given
// in its place.
struct UsedControl {
    int id;
    const char *name;
    Kind kind;
};

struct FormatInfo {
    Format format;
    std::string_view name;
};

inline constexpr FormatInfo kFormats[] = {
    {Format::decimal, "decimal"},
    {Format::hex, "hex"},
    {Format::binary, "binary"},
    {Format::leds, "leds"},  // one lamp per bit (digits lamps, 8 when digits is 0)
};

constexpr const FormatInfo &format_info(Format format) { return kFormats[static_cast<int>(format)]; }

constexpr const FormatInfo *find_format(std::string_view name)
{
    for (const FormatInfo &f : kFormats)
        if (f.name == name) return &f;
    return nullptr;
}

// Keys of a control in the panel file, with the kinds each applies to.
constexpr unsigned kind_bit(Kind kind) { return 1u << static_cast<unsigned>(kind); }
inline constexpr unsigned kAnyKind = (1u << std::size(kKinds)) - 1;
inline constexpr unsigned kNumeric = kind_bit(Kind::numeric_int) | kind_bit(Kind::numeric_double);
inline constexpr unsigned kChart = kind_bit(Kind::chart);

struct KeyInfo {
    std::string_view name;
    unsigned kinds;  // kind_bit()s
    constexpr bool applies(Kind kind) const { return (kinds & kind_bit(kind)) != 0; }
};

inline constexpr KeyInfo kControlKeys[] = {
    {"id", kAnyKind},
    {"name", kAnyKind},
    {"kind", kAnyKind},
    {"mode", kNumeric | kind_bit(Kind::toggle) | kind_bit(Kind::button)},
    {"label", kAnyKind & ~kind_bit(Kind::decoration)},
    {"title", kind_bit(Kind::decoration)},
    {"tip", kAnyKind & ~kind_bit(Kind::timer)},
    {"top", kAnyKind & ~kChart},  // charts stand below the panel area, in file order
    {"left", kAnyKind & ~kChart},
    {"width", kAnyKind},
    {"height", kAnyKind},
    {"min", kNumeric | kChart},
    {"max", kNumeric | kChart},
    {"blank", kNumeric},
    {"traces", kChart},
    {"span", kChart},
    {"history", kChart},
    {"format", kind_bit(Kind::numeric_int)},
    {"digits", kNumeric},
    {"value", kNumeric | kind_bit(Kind::toggle)},
    {"dimmed", kAnyKind},
    {"interval", kind_bit(Kind::timer)},
    {"enabled", kind_bit(Kind::timer)},
    {"callback", kAnyKind & ~kind_bit(Kind::decoration) & ~kChart},
};

constexpr const KeyInfo *find_control_key(std::string_view name)
{
    for (const KeyInfo &k : kControlKeys)
        if (k.name == name) return &k;
    return nullptr;
}

// Keys of a panel ("control" holds its [[panel.control]] tables).
// "tips" gives the tips of controls the program makes with NewCtrl, by label.
inline constexpr std::string_view kPanelKeys[] = {"resource", "name", "title", "width", "height",
                                                  "callback", "tips",  "control"};

// "a, b or c" over the names of a table, each name quoted when asked: for the
// reader's messages.
template <class Table>
std::string names_of(const Table &table, bool quoted)
{
    std::string res;
    const std::size_t n = std::size(table);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) res += i + 1 == n ? " or " : ", ";
        std::string_view name = table[i].name;
        res += quoted ? "\"" + std::string(name) + "\"" : std::string(name);
    }
    return res;
}

namespace check {
constexpr bool tables_in_enum_order()
{
    for (std::size_t i = 0; i < std::size(kKinds); ++i)
        if (static_cast<std::size_t>(kKinds[i].kind) != i) return false;
    for (std::size_t i = 0; i < std::size(kFormats); ++i)
        if (static_cast<std::size_t>(kFormats[i].format) != i) return false;
    return true;
}
static_assert(tables_in_enum_order(), "kKinds and kFormats are indexed by their enums");
}  // namespace check

}  // namespace uir
