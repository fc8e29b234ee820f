// The registries: callbacks by name (bound by LoadPanel) and the program's
// script verbs; the last failure's line.

#include "ui/state.h"

namespace ui {

using namespace detail;

namespace detail {

void set_last_failure(const std::string &line) { rt().last_failure = line; }

const Verb *find_verb(const std::string &name)
{
    auto it = rt().verbs.find(name);
    return it == rt().verbs.end() ? nullptr : &it->second;
}

CtrlCallbackPtr find_ctrl_callback(const std::string &name)
{
    auto it = rt().ctrl_cbs.find(name);
    return it == rt().ctrl_cbs.end() ? nullptr : it->second;
}

PanelCallbackPtr find_panel_callback(const std::string &name)
{
    auto it = rt().panel_cbs.find(name);
    return it == rt().panel_cbs.end() ? nullptr : it->second;
}

}  // namespace detail

int RegisterCallback(const char *name, CtrlCallbackPtr fn)
{
    if (!name || !*name || !fn)
        return UIEValueInvalid;
    rt().ctrl_cbs[name] = fn;
    return 0;
}

int RegisterCallback(const char *name, PanelCallbackPtr fn)
{
    if (!name || !*name || !fn)
        return UIEValueInvalid;
    rt().panel_cbs[name] = fn;
    return 0;
}

namespace script {
void register_verb(const std::string &name, int min_args, int max_args, Verb fn)
{
    rt().verbs[name] = detail::Verb{min_args, max_args, std::move(fn), ""};
}

void register_verbs(std::span<const ProgramVerb> verbs)
{
    for (const ProgramVerb &v : verbs)
        rt().verbs[v.name] = detail::Verb{v.min_args, v.max_args, v.run, v.arguments};
}

std::map<std::string, std::string> registered_verbs()
{
    std::map<std::string, std::string> res;
    for (const auto &[name, verb] : rt().verbs)
        res[name] = verb.arguments;
    return res;
}
}  // namespace script

}  // namespace ui
