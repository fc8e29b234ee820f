// The trace of the program's calls into the run-time (set_call_trace): one
// line per call of userint.h and per callback the run-time runs, with the
// panel, the control's constant name, the attribute's name and the value, so
// that two builds' panels compare line by line.
#include "ui/state.h"
#include "ui/userint.h"

#include <charconv>
#include <utility>

namespace ui {

namespace {
std::function<void(std::string_view)> &sink()
{
    static std::function<void(std::string_view)> s;
    return s;
}
}  // namespace

void set_call_trace(std::function<void(std::string_view line)> line_sink)
{
    sink() = std::move(line_sink);
}

namespace detail {

bool tracing_calls()
{
    return static_cast<bool>(sink());
}

void trace_call(const std::string &line)
{
    if (sink())
        sink()(line + "\n");
}

std::string call_args(std::initializer_list<std::string> parts)
{
    std::string out;
    for (const std::string &part : parts)
        out += (out.empty() ? "" : ", ") + part;
    return "(" + out + ")";
}

std::string quoted(const char *text)
{
    return text ? "\"" + std::string(text) + "\"" : "NULL";
}

std::string value_call(const char *name, int panel, int id, const std::string &value)
{
    return name + call_args({std::to_string(panel), traced_control(panel, id), value});
}

std::string attribute_call(const char *name, int panel, int id, int attribute, const std::string &value)
{
    return name + call_args({std::to_string(panel), traced_control(panel, id), traced_attribute(attribute), value});
}

std::string traced_control(int panel, int id)
{
    const Panel *p = find_panel(panel);
    const Control *c = p ? p->find(id) : nullptr;
    if (!c)
        return std::to_string(id);
    return c->display_name();
}

std::string traced_attribute(int attribute)
{
    switch (attribute) {
    case ATTR_DIMMED: return "ATTR_DIMMED";
    case ATTR_CTRL_MODE: return "ATTR_CTRL_MODE";
    case ATTR_LABEL_TEXT: return "ATTR_LABEL_TEXT";
    case ATTR_PRECISION: return "ATTR_PRECISION";
    case ATTR_ENABLED: return "ATTR_ENABLED";
    default: return std::to_string(attribute);
    }
}

std::string traced_event(int event)
{
    switch (event) {
    case EVENT_COMMIT: return "EVENT_COMMIT";
    case EVENT_CLOSE: return "EVENT_CLOSE";
    case EVENT_TIMER_TICK: return "EVENT_TIMER_TICK";
    case EVENT_DISCARD: return "EVENT_DISCARD";
    default: return std::to_string(event);
    }
}

std::string traced_number(double value)
{
    // The shortest text that reads back as the same double.
    char text[32];
    auto [end, ec] = std::to_chars(text, text + sizeof text, value);
    return ec == std::errc() ? std::string(text, end) : "?";
}

}  // namespace detail
}  // namespace ui
