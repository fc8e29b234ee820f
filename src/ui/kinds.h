// The kinds of control, their display formats and the keys of the panel file,
// each listed once: the panel file reader checks against these tables and the
// core takes the kinds' names and properties from them. A new kind is one row
// of kKinds (its keys and its reading step, in file/panel_file.cpp) and its
// column in PANEL_FILE.md's table of keys; the Qt view draws it by its row of
// kKindViews (qt/window.cpp), which must be as long as kKinds.
#pragma once

#include <string>
#include <string_view>

namespace ui {

enum class Kind { numeric_int, numeric_double, toggle, button, timer, decoration, chart };
enum class Format { decimal, hex, binary, leds };

struct Control;
// The panel file's keys of one control, for a kind's reading step.
class ControlReader;
using ReadKind = void (*)(const ControlReader &keys, Control &c);

// The reading steps of the kinds that take keys of their own (file/panel_file.cpp).
void read_integer_keys(const ControlReader &keys, Control &c);
void read_double_keys(const ControlReader &keys, Control &c);
void read_toggle_keys(const ControlReader &keys, Control &c);
void read_timer_keys(const ControlReader &keys, Control &c);
void read_chart_keys(const ControlReader &keys, Control &c);

struct KindInfo {
    Kind kind;
    std::string_view name;  // as written in the panel file
    bool has_value;         // holds a number (a toggle holds 0 or 1)
    bool pressable;         // the operator clicks it
    int width, height;      // size when the panel file gives none
    int digits;             // digits when the panel file gives none
    int max_digits;         // doubles: after the point; integers: minimum shown
    // The keys it takes besides id, name and kind, as PANEL_FILE.md lists them.
    std::string_view keys;
    // Reads the keys of its own (the keys every kind may take are read for
    // all); nullptr when it has none.
    ReadKind read;
};

inline constexpr KindInfo kKinds[] = {
    {Kind::numeric_int, "numeric_int", true, false, 90, 22, 0, 32,
     "mode label tip top left width height min max blank format digits grey_while held_while value dimmed callback",
     read_integer_keys},
    {Kind::numeric_double, "numeric_double", true, false, 90, 22, 2, 15,
     "mode label tip top left width height min max blank digits held_while value dimmed callback", read_double_keys},
    {Kind::toggle, "toggle", true, true, 110, 22, 0, 32,
     "mode label tip top left width height value dimmed callback", read_toggle_keys},
    {Kind::button, "button", false, true, 90, 26, 0, 32, "mode label tip top left width height dimmed callback",
     nullptr},
    {Kind::timer, "timer", false, false, 0, 0, 0, 32, "label top left width height dimmed interval enabled callback",
     read_timer_keys},
    {Kind::decoration, "decoration", false, false, 200, 100, 0, 32, "title tip top left width height dimmed",
     nullptr},
    // Charts stand below the panel area, in file order: no position keys.
    {Kind::chart, "chart", false, false, 360, 200, 0, 32, "label tip width height min max traces span history dimmed",
     read_chart_keys},
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

// Keys of a control in the panel file: id, name and kind, then every key a
// kind of kKinds may take.
inline constexpr std::string_view kControlKeys[] = {
    "id",  "name",  "kind",   "mode",  "label",  "title",  "tip",   "top",      "left",    "width", "height",
    "min", "max",   "blank",  "traces", "span",  "history", "format", "digits", "value",   "dimmed", "interval",
    "enabled", "callback", "grey_while", "held_while",
};

constexpr bool is_control_key(std::string_view name)
{
    for (std::string_view k : kControlKeys)
        if (k == name) return true;
    return false;
}

// Whether a word of a blank-separated list (a kind's keys) satisfies pred.
template <class Pred>
constexpr bool any_word(std::string_view list, Pred pred)
{
    for (std::size_t at = 0; at < list.size();) {
        std::size_t end = list.find(' ', at);
        if (end == std::string_view::npos) end = list.size();
        if (pred(list.substr(at, end - at))) return true;
        at = end + 1;
    }
    return false;
}

// Whether a kind takes a key (id, name and kind: every kind).
constexpr bool kind_takes(Kind kind, std::string_view key)
{
    if (key == "id" || key == "name" || key == "kind") return true;
    return any_word(kind_info(kind).keys, [&](std::string_view k) { return k == key; });
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
constexpr bool kinds_take_known_keys()
{
    for (const KindInfo &k : kKinds)
        if (any_word(k.keys, [](std::string_view key) { return !is_control_key(key); })) return false;
    return true;
}
static_assert(kinds_take_known_keys(), "every key in kKinds is one of kControlKeys");
}  // namespace check

}  // namespace ui
