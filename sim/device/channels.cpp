#include "sim/device/channels.h"

#include <cctype>
#include <charconv>
#include <utility>

#include "korvane/NIDAQmx.h"
#include "base/korvane_strings.h"

namespace sim {

namespace {

using base::text::iequals;
using base::text::trim;

std::vector<std::string> split(const std::string &s, char sep)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t pos = s.find(sep, start);
        parts.push_back(s.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
        if (pos == std::string::npos) break;
        start = pos + 1;
    }
    return parts;
}

// "<prefix><n>" or "<prefix><a>:<b>" (case-insensitive prefix): the numbers, in order.
bool parse_numbered(const std::string &s, const char *prefix, std::vector<int> &out)
{
    std::string p(prefix);
    if (s.size() <= p.size() || !iequals(s.substr(0, p.size()), p)) return false;
    std::string rest = s.substr(p.size());
    auto number = [](const std::string &t, int &v) {
        if (t.empty() || t.size() > 4) return false;
        for (char c : t)
            if (!std::isdigit(static_cast<unsigned char>(c))) return false;
        std::from_chars(t.data(), t.data() + t.size(), v);
        return true;
    };
    auto colon = rest.find(':');
    int a = 0, b = 0;
    if (colon == std::string::npos) {
        if (!number(rest, a)) return false;
        out.push_back(a);
        return true;
    }
    if (!number(rest.substr(0, colon), a) || !number(rest.substr(colon + 1), b)) return false;
    for (int v = a;; v += (b >= a ? 1 : -1)) {
        out.push_back(v);
        if (v == b) break;
    }
    return true;
}

// Splits "Dev/rest" into device and path; a leading '/' is tolerated.
bool split_device(const std::string &item, std::string &dev, std::vector<std::string> &path)
{
    std::string s = item;
    if (!s.empty() && s[0] == '/') s.erase(0, 1);
    auto parts = split(s, '/');
    if (parts.size() < 2) return false;
    dev = parts[0];
    path.assign(parts.begin() + 1, parts.end());
    return true;
}

// Runs `each` on the path of every comma-separated "Dev/..." name after checking
// its device; stops at the first error, its own or `each`'s.
template <class Each>
int32_t for_each_channel(const std::string &names, const std::string &device, Each each)
{
    for (const std::string &raw : split(names, ',')) {
        std::string dev;
        std::vector<std::string> path;
        if (!split_device(trim(raw), dev, path)) return DAQmxErrorPhysicalChanDoesNotExist;
        if (!iequals(dev, device)) return DAQmxErrorInvalidDeviceID;
        if (int32_t err = each(path)) return err;
    }
    return 0;
}

// "<text><digits>": the text and the number; -1 for a name without one.
std::pair<std::string, long> numbered(const std::string &name)
{
    size_t at = name.size();
    while (at > 0 && std::isdigit(static_cast<unsigned char>(name[at - 1]))) --at;
    if (at == name.size() || name.size() - at > 6) return {name, -1};
    return {name.substr(0, at), std::stol(name.substr(at))};
}

}  // namespace

std::string compact_names(const std::vector<std::string> &names)
{
    std::string out;
    for (size_t i = 0; i < names.size();) {
        const auto [text, first] = numbered(names[i]);
        size_t j = i + 1;
        long last = first;
        while (first >= 0 && j < names.size()) {
            const auto [t, n] = numbered(names[j]);
            if (t != text || n != last + 1) break;
            last = n;
            ++j;
        }
        if (!out.empty()) out += ", ";
        out += last != first ? text + std::to_string(first) + ":" + std::to_string(last) : names[i];
        i = j;
    }
    return out;
}

std::vector<std::string> expand_names(const std::string &list)
{
    std::vector<std::string> out;
    for (const std::string &raw : split(list, ',')) {
        const std::string item = trim(raw);
        if (item.empty()) continue;
        const size_t colon = item.rfind(':');
        const auto [text, first] = numbered(item.substr(0, colon));
        const std::string tail = colon == std::string::npos ? "" : item.substr(colon + 1);
        const bool range = first >= 0 && !tail.empty() && tail.size() <= 6 &&
                           tail.find_first_not_of("0123456789") == std::string::npos;
        if (!range) {
            out.push_back(item);
            continue;
        }
        const long last = std::stol(tail);
        for (long n = first;; n += last >= first ? 1 : -1) {
            out.push_back(text + std::to_string(n));
            if (n == last) break;
        }
    }
    return out;
}

std::string device_name(int slot)
{
    return "PXI1Slot" + std::to_string(slot);
}

int32_t resolve_lines(const std::string &names, const std::string &device, std::vector<LineRef> &out)
{
    std::vector<LineRef> lines;
    int32_t err = for_each_channel(names, device, [&](const std::vector<std::string> &path) -> int32_t {
        std::vector<int> ports;
        if (path.size() > 2 || !parse_numbered(path[0], "port", ports)) return DAQmxErrorPhysicalChanDoesNotExist;
        for (int p : ports)
            if (p < 0 || p >= kPorts) return DAQmxErrorPhysicalChanDoesNotExist;
        if (path.size() == 1) {
            for (int p : ports)
                for (int l = 0; l < kLinesPerPort; ++l) lines.push_back({p, l});
            return 0;
        }
        std::vector<int> nums;
        if (ports.size() != 1 || !parse_numbered(path[1], "line", nums)) return DAQmxErrorPhysicalChanDoesNotExist;
        for (int l : nums) {
            if (l < 0 || l >= kLinesPerPort) return DAQmxErrorPhysicalChanDoesNotExist;
            lines.push_back({ports[0], l});
        }
        return 0;
    });
    if (err) return err;
    if (lines.empty()) return DAQmxErrorPhysicalChanDoesNotExist;
    out = std::move(lines);
    return 0;
}

int32_t resolve_analog(const std::string &names, const std::string &device, char kind, std::vector<int> &out)
{
    std::vector<int> chans;
    const char *prefix = kind == 'o' ? "ao" : "ai";
    const int count = kind == 'o' ? kAoChannels : kAiChannels;
    int32_t err = for_each_channel(names, device, [&](const std::vector<std::string> &path) -> int32_t {
        std::vector<int> nums;
        if (path.size() != 1 || !parse_numbered(path[0], prefix, nums)) return DAQmxErrorPhysicalChanDoesNotExist;
        for (int n : nums) {
            if (n < 0 || n >= count) return DAQmxErrorPhysicalChanDoesNotExist;
            chans.push_back(n);
        }
        return 0;
    });
    if (err) return err;
    if (chans.empty()) return DAQmxErrorPhysicalChanDoesNotExist;
    out = std::move(chans);
    return 0;
}

}  // namespace sim
