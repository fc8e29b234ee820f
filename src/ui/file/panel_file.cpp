// The panel file reader: TOML (toml++) into panels and controls, with one
// clear line for the first fault found. The format is described in PANEL_FILE.md.

#include "base/error_output.h"
#include "base/korvane_files.h"
#include "base/korvane_strings.h"
#include "ui/internal.h"

#include <toml++/toml.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <tuple>

namespace ui::detail {
namespace {

struct Fault {
    int status;
    std::string line;
};

class Reader {
public:
    explicit Reader(std::string path) : path_(std::move(path)) {}

    [[noreturn]] void fault(const toml::node *at, const std::string &what,
                            int status = UIEPanelFileInvalid) const
    {
        fault_line(at ? static_cast<int>(at->source().begin.line) : 0, what, status);
    }
    [[noreturn]] void fault_line(int line, const std::string &what, int status = UIEPanelFileInvalid) const
    {
        std::string where = path_;
        if (line > 0)
            where += ":" + std::to_string(line);
        throw Fault{status, base::text::one_line(where + ": " + prefix_ + what)};
    }

    void set_prefix(std::string p) { prefix_ = std::move(p); }

    long long integer(const toml::node &n, const std::string &key, long long lo, long long hi) const
    {
        auto v = n.value_exact<int64_t>();
        if (!v)
            fault(&n, "\"" + key + "\" must be an integer");
        if (*v < lo || *v > hi)
            fault(&n, "\"" + key + "\" is " + std::to_string(*v) + ", outside " + std::to_string(lo) + ".." +
                          std::to_string(hi));
        return *v;
    }

    double number(const toml::node &n, const std::string &key, bool nan_ok = false) const
    {
        double d;
        if (auto i = n.value_exact<int64_t>())
            d = static_cast<double>(*i);
        else if (auto f = n.value_exact<double>())
            d = *f;
        else
            fault(&n, "\"" + key + "\" must be a number");
        if (std::isnan(d) && !nan_ok)
            fault(&n, "\"" + key + "\" must not be nan");
        if (std::isinf(d))
            fault(&n, "\"" + key + "\" must be finite");
        return d;
    }

    std::string string(const toml::node &n, const std::string &key) const
    {
        auto v = n.value_exact<std::string>();
        if (!v)
            fault(&n, "\"" + key + "\" must be a string");
        return *v;
    }

    bool boolean(const toml::node &n, const std::string &key) const
    {
        auto v = n.value_exact<bool>();
        if (!v)
            fault(&n, "\"" + key + "\" must be true or false");
        return *v;
    }

    std::string identifier(const toml::node &n, const std::string &key) const
    {
        std::string s = string(n, key);
        bool ok = !s.empty() && !std::isdigit(static_cast<unsigned char>(s[0]));
        for (char ch : s)
            ok = ok && (std::isalnum(static_cast<unsigned char>(ch)) || ch == '_');
        if (!ok)
            fault(&n, "\"" + key + "\" must be a C identifier, not \"" + s + "\"");
        return s;
    }

    const std::string &path() const { return path_; }

private:
    std::string path_;
    std::string prefix_;
};

// Callbacks are bound by name at load, so that a misspelt one is found there.
// A name registered only for the other kind of callback gets its own message.
template <class Own, class Other>
auto bind_callback(Reader &rd, const toml::node &n, const std::string &name, Own (*find)(const std::string &),
                   Other (*find_other)(const std::string &), const char *other_kind) -> Own
{
    Own fn = find(name);
    if (!fn)
        rd.fault(&n,
                 find_other(name) ? "callback \"" + name + "\" is registered as a " + other_kind + " callback"
                                  : "unknown callback \"" + name + "\"",
                 UIECallbackNotFound);
    return fn;
}

// The id, name and kind every control has, then what the file may not say of
// it: keys it does not know, keys its kind does not take.
Control read_identity(Reader &rd, const toml::table &t)
{
    Control c;
    c.line = static_cast<int>(t.source().begin.line);
    rd.set_prefix("control: ");
    const toml::node *id = t.get("id");
    if (!id)
        rd.fault(&t, "missing required key \"id\"");
    c.id = static_cast<int>(rd.integer(*id, "id", 1, INT_MAX - 1000000));
    rd.set_prefix("control " + std::to_string(c.id) + ": ");
    const toml::node *name = t.get("name");
    if (!name)
        rd.fault(&t, "missing required key \"name\"");
    c.name = rd.identifier(*name, "name");
    rd.set_prefix("control " + std::to_string(c.id) + " (" + c.name + "): ");
    const toml::node *kind = t.get("kind");
    if (!kind)
        rd.fault(&t, "missing required key \"kind\"");
    std::string k = rd.string(*kind, "kind");
    const KindInfo *info = find_kind(k);
    if (!info)
        rd.fault(kind, "unknown kind \"" + k + "\" (" + names_of(kKinds, false) + ")");
    c.kind = info->kind;
    for (auto &&[key, node] : t) {
        std::string ks(key.str());
        if (!is_control_key(ks))
            rd.fault(&node, "unknown key \"" + ks + "\"");
        if (!kind_takes(c.kind, ks))
            rd.fault(&node, "key \"" + ks + "\" does not apply to a " + kind_name(c.kind));
    }
    return c;
}

}  // namespace
}  // namespace ui::detail

namespace ui {

using detail::Reader;

// The keys of one control for its kind's reading step: each read with the
// reader's checks and its one line on a fault.
class ControlReader {
public:
    ControlReader(Reader &rd, const toml::table &t) : rd_(rd), t_(t) {}
    const toml::node *get(const char *key) const { return t_.get(key); }
    const toml::table &table() const { return t_; }
    const Reader &rd() const { return rd_; }

private:
    Reader &rd_;
    const toml::table &t_;
};

// min, max and blank in the control's data type.
static void read_range(const ControlReader &keys, Control &c, bool is_int)
{
    const Reader &rd = keys.rd();
    auto bound = [&](const toml::node &n, const char *key) {
        return is_int ? static_cast<double>(rd.integer(n, key, INT_MIN, INT_MAX)) : rd.number(n, key);
    };
    if (auto n = keys.get("min")) {
        c.has_min = true;
        c.min = bound(*n, "min");
    }
    if (auto n = keys.get("max")) {
        c.has_max = true;
        c.max = bound(*n, "max");
    }
    if (c.has_min && c.has_max && c.min > c.max)
        rd.fault(keys.get("max"), "max is below min");
    if (auto n = keys.get("blank")) {
        c.has_blank = true;
        c.blank = bound(*n, "blank");
    }
}

void read_integer_keys(const ControlReader &keys, Control &c)
{
    read_range(keys, c, true);
    if (auto n = keys.get("value"))
        c.ivalue = static_cast<int>(keys.rd().integer(*n, "value", INT_MIN, INT_MAX));
    if (auto n = keys.get("grey_while")) {
        c.grey_while = keys.rd().identifier(*n, "grey_while");
        if (c.format != Format::leds)
            keys.rd().fault(n, "grey_while is for lamps (format = \"leds\")");
    }
    if (auto n = keys.get("held_while"))
        c.held_while = keys.rd().identifier(*n, "held_while");
}

void read_double_keys(const ControlReader &keys, Control &c)
{
    read_range(keys, c, false);
    if (auto n = keys.get("value"))
        c.dvalue = keys.rd().number(*n, "value", true);
    if (auto n = keys.get("held_while"))
        c.held_while = keys.rd().identifier(*n, "held_while");
}

void read_toggle_keys(const ControlReader &keys, Control &c)
{
    if (auto n = keys.get("value")) {
        if (auto b = n->value_exact<bool>())
            c.ivalue = *b ? 1 : 0;
        else
            c.ivalue = static_cast<int>(keys.rd().integer(*n, "value", 0, 1));
    }
}

void read_timer_keys(const ControlReader &keys, Control &c)
{
    const Reader &rd = keys.rd();
    if (auto n = keys.get("interval")) {
        double s = rd.number(*n, "interval");
        if (s < 0.001 || s > 86400.0)
            rd.fault(n, "interval is in seconds, from 0.001 to 86400");
        c.interval_ns = static_cast<std::int64_t>(std::llround(s * 1e9));
    }
    if (auto n = keys.get("enabled"))
        c.enabled = rd.boolean(*n, "enabled");
}

void read_chart_keys(const ControlReader &keys, Control &c)
{
    const Reader &rd = keys.rd();
    // The fixed scale: -10..10 V unless the file says otherwise.
    c.min = keys.get("min") ? rd.number(*keys.get("min"), "min") : -10.0;
    c.max = keys.get("max") ? rd.number(*keys.get("max"), "max") : 10.0;
    c.has_min = c.has_max = true;
    if (c.min >= c.max)
        rd.fault(keys.get("max") ? keys.get("max") : keys.get("min"), "a chart's max must be above its min");
    const toml::node *n = keys.get("traces");
    if (!n)
        rd.fault(&keys.table(), "missing required key \"traces\" (the controls the chart follows)");
    const toml::array *arr = n->as_array();
    if (!arr || arr->empty())
        rd.fault(n, "\"traces\" must be a list of control names");
    for (auto &el : *arr) {
        std::string name = rd.string(el, "traces");
        if (name.empty() || std::find(c.traces.begin(), c.traces.end(), name) != c.traces.end())
            rd.fault(&el, "\"traces\" names \"" + name + "\" " + (name.empty() ? "(empty)" : "twice"));
        c.traces.push_back(name);
    }
    if (auto s = keys.get("history")) {
        c.history_s = rd.number(*s, "history");
        if (c.history_s < 10 || c.history_s > 86400)
            rd.fault(s, "history is in seconds, from 10 to 86400");
    }
    if (auto s = keys.get("span")) {
        c.span_s = rd.number(*s, "span");
        if (c.span_s < 10 || c.span_s > 600 || c.span_s > c.history_s)
            rd.fault(s, "span is in seconds, from 10 to 600 and not above history");
    }
    c.span_s = std::min(c.span_s, c.history_s);
}

}  // namespace ui

namespace ui::detail {
namespace {

// One control: its identity, the keys any kind may take, then its kind's own.
Control read_control(Reader &rd, const toml::table &t, bool bind)
{
    Control c = read_identity(rd, t);
    const KindInfo &info = kind_info(c.kind);
    // What a control gets where the file says nothing.
    c.width = info.width;
    c.height = info.height;
    c.digits = info.digits;
    c.interval_ns = 1000000000;

    auto get = [&](const char *key) { return t.get(key); };
    if (auto n = get("mode")) {
        std::string m = rd.string(*n, "mode");
        if (m != "control" && m != "indicator")
            rd.fault(n, "mode must be \"control\" or \"indicator\", not \"" + m + "\"");
        c.indicator = m == "indicator";
    }
    if (auto n = get("label"))
        c.label = rd.string(*n, "label");
    if (auto n = get("title"))
        c.title = rd.string(*n, "title");
    if (auto n = get("tip"))
        c.tip = rd.string(*n, "tip");
    for (auto [key, field, lo] : {std::tuple{"top", &c.top, -10000}, std::tuple{"left", &c.left, -10000},
                                  std::tuple{"width", &c.width, 0}, std::tuple{"height", &c.height, 0}})
        if (auto n = get(key))
            *field = static_cast<int>(rd.integer(*n, key, lo, 10000));
    if (auto n = get("dimmed"))
        c.dimmed = rd.boolean(*n, "dimmed");
    if (auto n = get("format")) {
        std::string f = rd.string(*n, "format");
        const FormatInfo *format = find_format(f);
        if (!format)
            rd.fault(n, "format must be " + names_of(kFormats, true) + ", not \"" + f + "\"");
        c.format = format->format;
    }
    if (auto n = get("digits"))
        c.digits = static_cast<int>(rd.integer(*n, "digits", 0, info.max_digits));
    if (info.read)
        info.read(ControlReader(rd, t), c);
    if (auto n = get("callback")) {
        c.callback_name = rd.identifier(*n, "callback");
        if (bind)
            c.callback = bind_callback(rd, *n, c.callback_name, find_ctrl_callback, find_panel_callback, "panel");
    }
    return c;
}

// Lamps greyed while another control shows its blank value: that control
// must be on the panel and have a blank value. A value held while another is
// dimmed: that one must be on the panel.
void check_ties(Reader &rd, const Panel &p)
{
    auto named = [&](const std::string &name) {
        return std::find_if(p.controls.begin(), p.controls.end(), [&](const Control &o) { return o.name == name; });
    };
    for (const Control &c : p.controls) {
        rd.set_prefix("control " + std::to_string(c.id) + " (" + c.name + "): ");
        if (!c.held_while.empty() && named(c.held_while) == p.controls.end())
            rd.fault_line(c.line, "held_while names no control of the panel: " + c.held_while);
        if (c.grey_while.empty())
            continue;
        auto other = named(c.grey_while);
        if (other == p.controls.end())
            rd.fault_line(c.line, "grey_while names no control of the panel: " + c.grey_while);
        if (!other->has_blank)
            rd.fault_line(c.line, "grey_while names " + c.grey_while + ", which has no blank value");
    }
}

Panel read_panel(Reader &rd, const toml::table &t, bool bind)
{
    Panel p;
    rd.set_prefix("panel: ");
    for (auto &&[key, node] : t) {
        std::string ks(key.str());
        if (std::find(std::begin(kPanelKeys), std::end(kPanelKeys), ks) == std::end(kPanelKeys))
            rd.fault(&node, "unknown key \"" + ks + "\"");
    }
    const toml::node *res = t.get("resource");
    if (!res)
        rd.fault(&t, "missing required key \"resource\"");
    p.resource = static_cast<int>(rd.integer(*res, "resource", 1, INT_MAX));
    rd.set_prefix("panel " + std::to_string(p.resource) + ": ");
    p.width = 800;
    p.height = 600;
    if (auto n = t.get("name"))
        p.name = rd.identifier(*n, "name");
    if (auto n = t.get("title"))
        p.title = rd.string(*n, "title");
    if (auto n = t.get("width"))
        p.width = static_cast<int>(rd.integer(*n, "width", 1, 10000));
    if (auto n = t.get("height"))
        p.height = static_cast<int>(rd.integer(*n, "height", 1, 10000));
    if (auto n = t.get("tips")) {
        const toml::table *tips = n->as_table();
        if (!tips)
            rd.fault(n, "\"tips\" must be a table of control label = \"tip\"");
        for (auto &&[label, text] : *tips)
            p.tips[std::string(label.str())] = rd.string(text, "tips." + std::string(label.str()));
    }
    if (auto n = t.get("callback")) {
        p.callback_name = rd.identifier(*n, "callback");
        if (bind)
            p.callback = bind_callback(rd, *n, p.callback_name, find_panel_callback, find_ctrl_callback, "control");
    }
    if (auto n = t.get("control")) {
        const toml::array *arr = n->as_array();
        if (!arr || !arr->is_array_of_tables())
            rd.fault(n, "\"control\" must be written as [[panel.control]] tables");
        std::set<int> ids;
        std::map<std::string, int> names;
        for (auto &el : *arr) {
            const toml::table &ct = *el.as_table();
            Control c = read_control(rd, ct, bind);
            rd.set_prefix("control " + std::to_string(c.id) + " (" + c.name + "): ");
            if (!ids.insert(c.id).second)
                rd.fault_line(c.line, "identifier " + std::to_string(c.id) + " is used twice");
            if (!names.emplace(c.name, c.id).second)
                rd.fault_line(c.line, "constant name " + c.name + " is also given to control " +
                                          std::to_string(names[c.name]));
            p.controls.push_back(std::move(c));
        }
        check_ties(rd, p);
    }
    p.file = rd.path();
    return p;
}

}  // namespace

int read_panel_file(const std::string &path, int resource, Panel &out, std::string &error, bool bind)
{
    // Read here, not by toml++: the bytes are checked before the TOML reader sees them.
    std::string text;
    if (std::string why = base::files::read_bounded(path, text); !why.empty()) {
        error = base::text::one_line(path + ": cannot read the panel file (" + why + ")");
        return UIEFileNotFound;
    }
    return read_panel_text(path, text, resource, out, error, bind);
}

int read_panel_text(const std::string &path, const std::string &text, int resource, Panel &out, std::string &error,
                    bool bind)
{
    Reader rd(path);
    try {
        // The TOML reader is given valid UTF-8 only.
        if (std::size_t at = base::utf8_fault_at(text); at != std::string::npos) {
            int line = 1 + static_cast<int>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n'));
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(text[at]));
            rd.fault_line(line, std::string("the file is not valid UTF-8 (byte ") + byte + ")");
        }
        toml::table doc;
        try {
            doc = toml::parse(text, path);
        } catch (const toml::parse_error &e) {
            rd.fault_line(static_cast<int>(e.source().begin.line), std::string(e.description()));
        }
        for (auto &&[key, node] : doc) {
            if (key.str() != "panel")
                rd.fault(&node, "unknown key \"" + std::string(key.str()) + "\" (the file holds [[panel]] tables)");
        }
        const toml::array *panels = doc["panel"].as_array();
        if (!panels || !panels->is_array_of_tables())
            rd.fault(doc.get("panel"), "no [[panel]] tables in the file");
        // Every panel is checked; callbacks are bound only on the one loaded.
        std::set<int> resources;
        const toml::table *found = nullptr;
        for (auto &el : *panels) {
            Panel p = read_panel(rd, *el.as_table(), false);
            rd.set_prefix("");
            if (!resources.insert(p.resource).second)
                rd.fault(el.as_table(), "panel resource " + std::to_string(p.resource) + " is given twice");
            if (p.resource == resource)
                found = el.as_table();
        }
        if (!found)
            rd.fault_line(0, "no panel with resource number " + std::to_string(resource), UIEResourceNotFound);
        Panel p = read_panel(rd, *found, bind);
        out = std::move(p);
        return 0;
    } catch (const Fault &f) {
        error = f.line;
        return f.status;
    }
}

}  // namespace ui::detail
