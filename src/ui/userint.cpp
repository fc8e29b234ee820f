// The operations of userint.h, the C interface the program calls: start-up,
// panels from the panel file, the event loop, values and attributes, NewCtrl;
// and the headless front end's end of the loop (screenshot, close).

#include "ui/state.h"
#include "base/error_output.h"
#include "base/platform.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

using namespace ui;
using namespace ui::detail;

namespace {

// "" when path names a regular file (or a link to one); else what it is
// instead. Nothing is opened: a FIFO would block the reader.
std::string not_a_panel_file(const fs::path &path)
{
    std::error_code ec;
    switch (fs::status(path, ec).type()) {
    case fs::file_type::regular: return "";
    case fs::file_type::not_found: return "panel file not found";
    case fs::file_type::directory: return "a folder, not a panel file";
    case fs::file_type::fifo: return "a FIFO, not a panel file";
    case fs::file_type::socket: return "a socket, not a panel file";
    case fs::file_type::block:
    case fs::file_type::character: return "a device, not a panel file";
    default: return "panel file cannot be reached (" + ec.message() + ")";
    }
}

std::string resolve_panel_file(const std::string &filename, std::string &why)
{
    Runtime &r = rt();
    std::string given = !r.opts.panel_file.empty() ? r.opts.panel_file : filename;
    if (!r.opts.panel_file.empty() || !base::platform::is_bare_name(filename)) {
        std::string not_file = not_a_panel_file(given);
        if (not_file.empty())
            return given;
        why = given + ": " + not_file;
        return "";
    }
    std::vector<std::string> dirs;
    std::error_code ec;
    if (const std::string exe = base::platform::self_exe(); !exe.empty())
        dirs.push_back(fs::path(exe).parent_path().string());
    for (auto &d : r.search_dirs)
        dirs.push_back(d);
    std::string looked;
    for (auto &d : dirs) {
        fs::path p = fs::path(d) / filename;
        std::string not_file = not_a_panel_file(p);
        if (not_file.empty())
            return p.string();
        if (fs::exists(fs::symlink_status(p, ec)) && !ec) {
            why = p.string() + ": " + not_file;  // there, but not a file to read
            return "";
        }
        looked += (looked.empty() ? "" : ", ") + d;
    }
    why = filename + ": panel file not found (looked in " + (looked.empty() ? "no folder" : looked) + ")";
    return "";
}

// Headless end of the loop: the screenshot, then the operator closes the window.
void finish_headless()
{
    Runtime &r = rt();
    int shown = model::displayed_panel();
    if (!r.opts.screenshot_file.empty()) {
        std::string why;
        auto &render = screenshot_renderer();
        bool ok = false;
        if (!shown)
            why = "no panel is displayed";
        else if (!render)
            why = "the program has no window view linked";
        else
            ok = render(shown, r.opts.screenshot_file, why);
        if (!ok) {
            fail(r.opts.screenshot_file + ": screenshot not written: " + why);
            if (r.exit_status == 0)
                r.exit_status = 1;
        }
    }
    if (!r.quit && shown) {
        model::close(shown);
    }
}

}  // namespace

static int init_cvirte(void *hInstance, char *argv[], void *reserved)
{
    (void)hInstance;
    (void)reserved;
    Runtime &r = rt();
    if (r.initialized)
        return 1;
    bool headless = !r.opts.script_file.empty() || !r.opts.screenshot_file.empty() || !has_window_front_end();
    // The window system first: without one, its reason is the only line (the
    // banner is for the log pane of a window that does come up).
    if (!headless) {
        std::unique_ptr<FrontEnd> fe = window_factory()();
        std::string why;
        if (!fe || !fe->start(argv, why)) {
            fail(why.empty() ? "korvane: the window system cannot be started" : why);
            r.exit_status = 1;
            return 0;
        }
        r.fe = std::move(fe);
    }
    // The log pane hears the error output from here on, the banner first. In
    // the window, standard error says a repeated report once with its count
    // (a driver that is not there fails the same call many times a second);
    // script mode keeps one line per report, for the scripts that count them.
    if (!headless)
        base::set_stderr_collapse(true);
    base::add_error_message_sink(log_message);
    for (auto &line : r.opts.banner)
        ErrorPrintf("%s\n", line.c_str());
    r.headless = headless;
    r.initialized = true;
    return 1;
}

static int load_panel(int parentPanelHandle, const char *filename, int panelResourceID)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    if (parentPanelHandle != 0 && !find_panel(parentPanelHandle))
        return UIEHandleInvalid;
    std::string why;
    std::string path = resolve_panel_file(filename ? filename : "", why);
    if (path.empty()) {
        fail(why);
        return UIEFileNotFound;
    }
    Panel p;
    int st = detail::read_panel_file(path, panelResourceID, p, why);
    if (st < 0) {
        fail(why);
        return st;
    }
    p.handle = r.next_handle++;
    std::int64_t now = now_ns();
    for (auto &c : p.controls) {
        if (c.kind == Kind::timer)
            c.next_due_ns = now + c.interval_ns;
        if (c.kind == Kind::chart)
            r.charts[{p.handle, c.id}] =
                std::make_unique<Chart>(c.traces, now, c.history_s, c.span_s, c.min, c.max);
    }
    int h = p.handle;
    r.panels.emplace(h, std::move(p));
    resolve_traces(h);
    notify({h, 0});
    return h;
}

static int display_panel(int panelHandle)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panelHandle);
    if (!p)
        return UIEHandleInvalid;
    if (!p->displayed) {
        // A chart following no control is a fault of the panel file, found once
        // the program has made its controls.
        for (auto &c : p->controls) {
            Chart *ch = c.kind == Kind::chart ? model::chart(panelHandle, c.id) : nullptr;
            if (!ch)
                continue;
            for (auto &t : ch->traces())
                if (!t.control)
                    ErrorPrintf("%s:%d: chart %s: no control named %s to follow\n", p->file.c_str(), c.line,
                                c.name.c_str(), t.name.c_str());
        }
    }
    p->displayed = true;
    r.display_order.erase(std::remove(r.display_order.begin(), r.display_order.end(), panelHandle),
                          r.display_order.end());
    r.display_order.push_back(panelHandle);
    if (r.fe)
        r.fe->displayed(panelHandle);
    notify({panelHandle, 0});
    return 0;
}

static int run_user_interface()
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    if (r.running)
        return UIEValueInvalid;  // the loop does not nest
    r.running = true;
    r.quit = false;
    r.quit_code = 0;
    int result;
    if (r.fe) {
        model::pump();
        if (!r.quit)
            r.fe->run();
        result = r.quit_code;
        r.exit_status = 0;
    } else if (!r.opts.script_file.empty()) {
        result = script::run_file(r.opts.script_file);
        r.exit_status = result;
        if (result != 2)
            finish_headless();
        result = r.exit_status;  // a failed screenshot fails the run
    } else {
        model::pump();
        r.exit_status = 0;
        finish_headless();
        result = r.quit ? r.quit_code : 0;
    }
    // Discard events of panels discarded by the callback that quit still reach
    // their timers: the loop has ended, but those callbacks are owed them.
    while (r.depth == 0) {
        auto it = std::find_if(r.queue.begin(), r.queue.end(), [](const Event &e) { return e.held != nullptr; });
        if (it == r.queue.end())
            break;
        Event e = *it;
        r.queue.erase(it);
        dispatch(e);
    }
    r.running = false;
    return result;
}

static int quit_user_interface(int returnCode)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    r.quit = true;
    r.quit_code = returnCode;
    return 0;
}

static int discard_panel(int panelHandle)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panelHandle);
    if (!p)
        return UIEHandleInvalid;
    std::vector<std::pair<int, CtrlCallbackPtr>> timers;
    for (auto &c : p->controls)
        if (c.kind == Kind::timer && c.callback)
            timers.emplace_back(c.id, c.callback);
    if (r.depth == 0) {
        // Each timer's callback hears of the discard while its panel still exists.
        for (auto &[id, cb] : timers)
            dispatch({panelHandle, id, EVENT_DISCARD, nullptr});
    } else {
        for (auto &[id, cb] : timers)
            r.queue.push_back({panelHandle, id, EVENT_DISCARD, cb});
    }
    r.panels.erase(panelHandle);
    for (auto it = r.charts.begin(); it != r.charts.end();)
        it = it->first.first == panelHandle ? r.charts.erase(it) : std::next(it);
    r.display_order.erase(std::remove(r.display_order.begin(), r.display_order.end(), panelHandle),
                          r.display_order.end());
    // Events still queued for the panel go with it (the held discard events stay).
    r.queue.erase(std::remove_if(r.queue.begin(), r.queue.end(),
                                 [&](const Event &e) { return e.panel == panelHandle && !e.held; }),
                  r.queue.end());
    if (r.fe)
        r.fe->discarded(panelHandle);
    notify({panelHandle, 0});
    return 0;
}

static int set_ctrl_val(int panelHandle, int controlID, double value)
{
    Control *c = nullptr;
    if (int st = check_value_control(panelHandle, controlID, &c); st < 0)
        return st;
    store_value(*c, value);
    record_value(panelHandle, *c);
    notify({panelHandle, controlID});
    return 0;
}

static int get_ctrl_val(int panelHandle, int controlID, int *value)
{
    Control *c = nullptr;
    if (int st = check_value_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (!value)
        return UIEValueInvalid;
    *value = c->kind == Kind::numeric_double ? static_cast<int>(clamp_round(c->dvalue)) : c->ivalue;
    return 0;
}

static int get_ctrl_val(int panelHandle, int controlID, double *value)
{
    Control *c = nullptr;
    if (int st = check_value_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (!value)
        return UIEValueInvalid;
    *value = c->value();
    return 0;
}

static int set_ctrl_attribute(int panelHandle, int controlID, int attribute, int value)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    switch (attribute) {
    case ATTR_DIMMED:
        if (value != 0 && value != 1)
            return UIEValueInvalid;
        c->dimmed = value == 1;
        break;
    case ATTR_ENABLED:
        if (c->kind != Kind::timer)
            return UIEAttributeInvalid;
        if (value != 0 && value != 1)
            return UIEValueInvalid;
        c->enabled = value == 1;
        if (c->enabled)
            c->next_due_ns = now_ns() + c->interval_ns;  // the interval restarts from now
        break;
    case ATTR_CTRL_MODE:
        if (c->kind == Kind::timer || c->kind == Kind::decoration)
            return UIEAttributeInvalid;
        if (value != VAL_INDICATOR && value != VAL_HOT)
            return UIEValueInvalid;
        c->indicator = value == VAL_INDICATOR;
        break;
    case ATTR_PRECISION:
        if (c->kind != Kind::numeric_double)
            return UIEAttributeInvalid;
        if (value < 0 || value > 15)
            return UIEValueInvalid;
        c->digits = value;
        break;
    default:
        return UIEAttributeInvalid;
    }
    notify({panelHandle, controlID});
    return 0;
}

static int get_ctrl_attribute(int panelHandle, int controlID, int attribute, int *value)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (!value)
        return UIEValueInvalid;
    switch (attribute) {
    case ATTR_DIMMED:
        *value = c->dimmed ? 1 : 0;
        return 0;
    case ATTR_ENABLED:
        if (c->kind != Kind::timer)
            return UIEAttributeInvalid;
        *value = c->enabled ? 1 : 0;
        return 0;
    case ATTR_CTRL_MODE:
        if (c->kind == Kind::timer || c->kind == Kind::decoration)
            return UIEAttributeInvalid;
        *value = c->indicator ? VAL_INDICATOR : VAL_HOT;
        return 0;
    case ATTR_PRECISION:
        if (c->kind != Kind::numeric_double)
            return UIEAttributeInvalid;
        *value = c->digits;
        return 0;
    default:
        return UIEAttributeInvalid;
    }
}

// A frame's title, every other control's label.
static std::string &label_text(Control &c)
{
    return c.kind == Kind::decoration ? c.title : c.label;
}

static int set_ctrl_attribute(int panelHandle, int controlID, int attribute, const char *value)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (attribute != ATTR_LABEL_TEXT)
        return UIEAttributeInvalid;
    if (!value)
        return UIEValueInvalid;
    label_text(*c) = value;
    notify({panelHandle, controlID});
    return 0;
}

static int get_ctrl_attribute(int panelHandle, int controlID, int attribute, char *value, size_t size)
{
    Control *c = nullptr;
    if (int st = check_control(panelHandle, controlID, &c); st < 0)
        return st;
    if (attribute != ATTR_LABEL_TEXT)
        return UIEAttributeInvalid;
    if (!value || size == 0)
        return UIEValueInvalid;
    const std::string &text = label_text(*c);
    const std::size_t n = std::min(text.size(), size - 1);
    std::memcpy(value, text.data(), n);
    value[n] = '\0';
    return 0;
}

static int new_ctrl(int panelHandle, int controlStyle, const char *label, int top, int left)
{
    Runtime &r = rt();
    if (!r.initialized)
        return UIENotInitialized;
    Panel *p = find_panel(panelHandle);
    if (!p)
        return UIEHandleInvalid;
    if (controlStyle != CTRL_NUMERIC)
        return UIEValueInvalid;
    int id = 0;
    for (auto &c : p->controls)
        id = std::max(id, c.id);
    if (id == INT_MAX)
        return UIEOutOfMemory;
    Control c;
    c.id = id + 1;
    c.label = label ? label : "";
    c.kind = Kind::numeric_double;
    c.created = true;
    if (auto tip = p->tips.find(c.label); tip != p->tips.end())
        c.tip = tip->second;
    c.digits = kind_info(c.kind).digits;
    c.top = top;
    c.left = left;
    c.width = kind_info(c.kind).width;
    c.height = kind_info(c.kind).height;
    p->controls.push_back(c);
    resolve_traces(panelHandle);
    notify({panelHandle, 0});  // the charts may follow the new control
    return c.id;
}

// The operations of userint.h: each runs its step above and, when the
// program's calls are traced, writes its line.

extern "C" int InitCVIRTE(void *hInstance, char *argv[], void *reserved)
{
    return traced(init_cvirte(hInstance, argv, reserved), [] { return std::string("InitCVIRTE()"); });
}

extern "C" int LoadPanel(int parentPanelHandle, const char *filename, int panelResourceID)
{
    // The file's own name: where it was found differs from tree to tree.
    std::string name = filename ? fs::path(filename).filename().string() : "";
    return traced(load_panel(parentPanelHandle, filename, panelResourceID), [&] {
        return "LoadPanel" + call_args({std::to_string(parentPanelHandle), quoted(filename ? name.c_str() : nullptr),
                                   std::to_string(panelResourceID)});
    });
}

extern "C" int DisplayPanel(int panelHandle)
{
    return traced(display_panel(panelHandle), [&] { return "DisplayPanel" + call_args({std::to_string(panelHandle)}); });
}

extern "C" int RunUserInterface(void)
{
    if (tracing_calls())
        trace_call("RunUserInterface() begins");
    return traced(run_user_interface(), [] { return std::string("RunUserInterface()"); });
}

extern "C" int QuitUserInterface(int returnCode)
{
    return traced(quit_user_interface(returnCode),
                  [&] { return "QuitUserInterface" + call_args({std::to_string(returnCode)}); });
}

extern "C" int DiscardPanel(int panelHandle)
{
    return traced(discard_panel(panelHandle), [&] { return "DiscardPanel" + call_args({std::to_string(panelHandle)}); });
}

int SetCtrlVal(int panelHandle, int controlID, int value)
{
    return traced(set_ctrl_val(panelHandle, controlID, static_cast<double>(value)),
                  [&] { return value_call("SetCtrlVal", panelHandle, controlID, std::to_string(value)); });
}

int SetCtrlVal(int panelHandle, int controlID, double value)
{
    return traced(set_ctrl_val(panelHandle, controlID, value),
                  [&] { return value_call("SetCtrlVal", panelHandle, controlID, traced_number(value)); });
}

int GetCtrlVal(int panelHandle, int controlID, int *value)
{
    int st = get_ctrl_val(panelHandle, controlID, value);
    return traced(st, [&] {
        return value_call("GetCtrlVal", panelHandle, controlID, st == 0 ? "-> " + std::to_string(*value) : "-");
    });
}

int GetCtrlVal(int panelHandle, int controlID, double *value)
{
    int st = get_ctrl_val(panelHandle, controlID, value);
    return traced(st, [&] {
        return value_call("GetCtrlVal", panelHandle, controlID, st == 0 ? "-> " + traced_number(*value) : "-");
    });
}

extern "C" int SetCtrlAttribute(int panelHandle, int controlID, int attribute, int value)
{
    return traced(set_ctrl_attribute(panelHandle, controlID, attribute, value), [&] {
        return attribute_call("SetCtrlAttribute", panelHandle, controlID, attribute, std::to_string(value));
    });
}

extern "C" int GetCtrlAttribute(int panelHandle, int controlID, int attribute, int *value)
{
    int st = get_ctrl_attribute(panelHandle, controlID, attribute, value);
    return traced(st, [&] {
        return attribute_call("GetCtrlAttribute", panelHandle, controlID, attribute,
                              st == 0 ? "-> " + std::to_string(*value) : "-");
    });
}

int SetCtrlAttribute(int panelHandle, int controlID, int attribute, const char *value)
{
    return traced(set_ctrl_attribute(panelHandle, controlID, attribute, value), [&] {
        return attribute_call("SetCtrlAttribute", panelHandle, controlID, attribute, quoted(value));
    });
}

int GetCtrlAttribute(int panelHandle, int controlID, int attribute, char *value, size_t size)
{
    int st = get_ctrl_attribute(panelHandle, controlID, attribute, value, size);
    return traced(st, [&] {
        return attribute_call("GetCtrlAttribute", panelHandle, controlID, attribute,
                              st == 0 ? "-> " + quoted(value) : "-");
    });
}

extern "C" int NewCtrl(int panelHandle, int controlStyle, const char *label, int top, int left)
{
    return traced(new_ctrl(panelHandle, controlStyle, label, top, left), [&] {
        return "NewCtrl" + call_args({std::to_string(panelHandle), std::to_string(controlStyle), quoted(label),
                                 std::to_string(top), std::to_string(left)});
    });
}

extern "C" const char *GetUILErrorString(int status)
{
    switch (status) {
    case UIENoError: return "No error.";
    case UIEHandleInvalid: return "The panel handle is invalid.";
    case UIEInvalidControlId: return "The control is not on the panel.";
    case UIEAttributeInvalid: return "The attribute is not valid for the control.";
    case UIEValueInvalid: return "The value is not valid.";
    case UIEFileNotFound: return "The panel file cannot be found or opened.";
    case UIEPanelFileInvalid: return "The panel file is not valid.";
    case UIEResourceNotFound: return "The panel is not in the panel file.";
    case UIECallbackNotFound: return "A callback named in the panel file is not registered.";
    case UIENotInitialized: return "The run-time is not initialised.";
    case UIEFrontEndFailed: return "The window system cannot be started.";
    case UIECtrlTypeInvalid: return "The operation does not apply to this kind of control.";
    case UIEOutOfMemory: return "Out of memory.";
    default: return status >= 0 ? "No error." : "Unknown run-time error.";
    }
}
