#include "app/cli/wiring_file.h"

#include <cmath>
#include <set>
#include <toml++/toml.h>

#include "app/cli/bus_commands.h"
#include "app/cli/word_files.h"
#include "base/korvane_strings.h"
#include "vekta/vekta.h"

namespace app::cli {

namespace {

constexpr int kDacChannels = 2;  // DAC_CODE0, DAC_CODE1
constexpr int kAdcChannels = 2;  // ADC_RESULT0, ADC_RESULT1

class Reader {
public:
    explicit Reader(std::string name) : name_(std::move(name)) {}

    [[noreturn]] void fault(const toml::node *at, const std::string &what) const
    {
        std::string where = name_;
        if (at && at->source().begin.line) where += ":" + std::to_string(at->source().begin.line);
        // Names and keys come from the file: one line, whatever bytes they hold.
        throw UsageError(base::text::one_line(where + ": " + what));
    }

    void only(const toml::table &t, const std::string &kind, std::set<std::string> keys) const
    {
        const std::string section = kind == "device" ? "[device]" : "[[" + kind + "]]";
        for (const auto &[key, node] : t)
            if (!keys.count(std::string(key.str())))
                fault(&node, "unknown key \"" + std::string(key.str()) + "\" in " + section);
    }

    const toml::node &need(const toml::table &t, const std::string &kind, const std::string &key) const
    {
        const toml::node *n = t.get(key);
        if (!n) fault(&t, "[[" + kind + "]] needs \"" + key + "\"");
        return *n;
    }

    long long integer(const toml::node &n, const std::string &key, long long lo, long long hi) const
    {
        // The type first: a float such as 1e308 is not converted at all.
        if (!n.is_integer()) fault(&n, key + " must be a whole number");
        auto v = n.value_exact<int64_t>();
        if (!v) fault(&n, key + " must be a whole number");
        if (*v < lo || *v > hi)
            fault(&n, key + " " + std::to_string(*v) + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
        return *v;
    }

    double number(const toml::node &n, const std::string &key) const
    {
        if (!(n.is_floating_point() || n.is_integer())) fault(&n, key + " must be a number");
        auto v = n.value<double>();
        if (!v || !std::isfinite(*v)) fault(&n, key + " must be a number");
        return *v;
    }

    double tolerance(const toml::node &n) const
    {
        double v = number(n, "tolerance");
        if (v < 0) fault(&n, "tolerance must not be negative");
        return v;
    }

    // "ai3" -> 3, checked against the device's channels of that kind.
    int channel(const toml::node &n, const std::string &key, const std::string &prefix, int count,
                const std::string &what) const
    {
        if (!n.is_string()) fault(&n, key + " must be a channel name such as \"" + prefix + "0\"");
        auto s = n.value<std::string>();
        if (!s) fault(&n, key + " must be a channel name such as \"" + prefix + "0\"");
        const std::string last = prefix + std::to_string(count - 1);
        if (s->size() > prefix.size() && s->compare(0, prefix.size(), prefix) == 0 &&
            s->find_first_not_of("0123456789", prefix.size()) == std::string::npos && s->size() <= prefix.size() + 3) {
            int idx = std::stoi(s->substr(prefix.size()));
            if (idx < count) return idx;
        }
        fault(&n, "the device has no " + what + " \"" + *s + "\" (" + prefix + "0.." + last + ")");
    }

    std::string text(const toml::node &n, const std::string &key) const
    {
        if (!n.is_string()) fault(&n, key + " must be a text");
        auto s = n.value<std::string>();
        if (!s) fault(&n, key + " must be a text");
        return base::text::one_line(*s);  // shown in the rows as it is
    }

private:
    std::string name_;
};

}  // namespace

Wiring parse_wiring(const std::string &text, const std::string &name)
{
    Reader rd(name);
    toml::table doc;
    try {
        doc = toml::parse(text, name);
    } catch (const toml::parse_error &e) {
        throw UsageError(base::text::one_line(name + ":" + std::to_string(e.source().begin.line) + ": " +
                                                 std::string(e.description())));
    }
    Wiring b;
    for (const auto &[key, node] : doc) {
        const std::string kind(key.str());
        if (kind == "device") {
            const toml::table *t = node.as_table();
            if (!t) rd.fault(&node, "device must be a table: [device]");
            rd.only(*t, kind, {"product_type"});
            if (const toml::node *n = t->get("product_type")) b.product_type = rd.text(*n, "product_type");
            if (b.product_type.empty()) rd.fault(t->get("product_type"), "product_type must not be empty");
            continue;
        }
        const toml::array *list = node.as_array();
        if (kind != "memory" && kind != "dac" && kind != "loopback" && kind != "fixed")
            rd.fault(&node, "unknown key \"" + kind + "\" (device, memory, dac, loopback, fixed)");
        if (!list) rd.fault(&node, kind + " must be a list of tables: [[" + kind + "]]");
        for (const toml::node &el : *list) {
            const toml::table *t = el.as_table();
            if (!t) rd.fault(&el, kind + " must be a list of tables: [[" + kind + "]]");
            if (kind == "memory") {
                rd.only(*t, kind, {"slave", "words"});
                Wiring::Memory m;
                m.slave = static_cast<unsigned>(rd.integer(rd.need(*t, kind, "slave"), "slave", 0, kSlaveMax));
                m.words = static_cast<unsigned>(rd.integer(rd.need(*t, kind, "words"), "words", 1, kAddressSpace));
                b.memories.push_back(m);
            } else if (kind == "dac") {
                rd.only(*t, kind, {"channel", "code", "input", "adc", "tolerance"});
                Wiring::Dac d;
                d.channel = static_cast<int>(rd.integer(rd.need(*t, kind, "channel"), "channel", 0, kDacChannels - 1));
                d.code = static_cast<int>(rd.integer(rd.need(*t, kind, "code"), "code", 0, 255));
                if (const toml::node *n = t->get("input")) d.input = rd.channel(*n, "input", "ai", ANALOG_SIZEi, "analog input");
                if (const toml::node *n = t->get("adc"))
                    d.adc = static_cast<int>(rd.integer(*n, "adc", 0, kAdcChannels - 1));
                if (!d.input && !d.adc) rd.fault(t, "[[dac]] needs \"input\" or \"adc\": where its output is wired");
                d.tolerance = rd.tolerance(rd.need(*t, kind, "tolerance"));
                b.dacs.push_back(d);
            } else if (kind == "loopback") {
                rd.only(*t, kind, {"output", "input", "volts", "tolerance"});
                Wiring::Loopback l;
                l.output = rd.channel(rd.need(*t, kind, "output"), "output", "ao", ANALOG_SIZEo, "analog output");
                l.input = rd.channel(rd.need(*t, kind, "input"), "input", "ai", ANALOG_SIZEi, "analog input");
                l.volts = rd.number(rd.need(*t, kind, "volts"), "volts");
                if (std::fabs(l.volts) > 10.0) rd.fault(t->get("volts"), "volts must be within the outputs' -10..10 V");
                l.tolerance = rd.tolerance(rd.need(*t, kind, "tolerance"));
                b.loopbacks.push_back(l);
            } else {
                rd.only(*t, kind, {"name", "input", "volts", "tolerance"});
                Wiring::Fixed f;
                f.name = t->get("name") ? rd.text(*t->get("name"), "name") : "fixed level";
                f.input = rd.channel(rd.need(*t, kind, "input"), "input", "ai", ANALOG_SIZEi, "analog input");
                f.volts = rd.number(rd.need(*t, kind, "volts"), "volts");
                f.tolerance = rd.tolerance(rd.need(*t, kind, "tolerance"));
                b.fixed.push_back(f);
            }
        }
    }
    if (b.memories.empty() && b.dacs.empty() && b.loopbacks.empty() && b.fixed.empty())
        throw UsageError(base::text::one_line(name) + ": no checks (no [[memory]], [[dac]], [[loopback]] or [[fixed]] table)");
    return b;
}

Wiring read_wiring(const std::optional<std::string> &path)
{
    return path ? parse_wiring(read_file(*path, false), *path)
                : parse_wiring(default_wiring_text(), "built-in wiring file");
}

}  // namespace app::cli
