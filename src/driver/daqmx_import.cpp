// The DAQ driver import layer: every DAQmx* function of NIDAQmx.h forwards to
// the entry point of the same name in a driver library loaded with dlopen on
// first use. No library: -200397 from every operation; a missing entry point:
// -200398 from that operation only. Every call, whatever the library, goes
// through the call trace (daqmx_trace.h).
#include "driver/daqmx_import.h"

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <mutex>
#include <system_error>
#include <type_traits>
#include <vector>

#include "korvane/NIDAQmx.h"
#include "driver/daqmx_entries.h"
#include "base/korvane_files.h"
#include "base/korvane_paths.h"
#include "base/platform.h"
#include "driver/daqmx_trace.h"
#include "driver/out_file.h"

#ifndef KORVANE_SIM_BUILD_PATH
#define KORVANE_SIM_BUILD_PATH ""
#endif


namespace {

namespace fs = std::filesystem;

enum Entry : int {
#define KORVANE_ENUM(name, method, params, args, show) e_##name,
    DAQMX_ENTRY_POINTS(KORVANE_ENUM)
    DAQMX_ATTRIBUTE_GETTERS(KORVANE_ENUM)
    DAQMX_CLIENT_ENTRY_POINTS(KORVANE_ENUM)
    DAQMX_UNMODELLED_ENTRY_POINTS(KORVANE_ENUM)
    DAQMX_CLIENT_ATTRIBUTE_GETTERS(KORVANE_ENUM)
    DAQMX_ATTRIBUTE_SETTERS(KORVANE_ENUM)
#undef KORVANE_ENUM
        e_count
};

const char *const kEntryNames[e_count] = {
#define KORVANE_NAME(name, method, params, args, show) #name,
    DAQMX_ENTRY_POINTS(KORVANE_NAME)
    DAQMX_ATTRIBUTE_GETTERS(KORVANE_NAME)
    DAQMX_CLIENT_ENTRY_POINTS(KORVANE_NAME)
    DAQMX_UNMODELLED_ENTRY_POINTS(KORVANE_NAME)
    DAQMX_CLIENT_ATTRIBUTE_GETTERS(KORVANE_NAME)
    DAQMX_ATTRIBUTE_SETTERS(KORVANE_NAME)
#undef KORVANE_NAME
};

// The entry points korvane itself calls come first; a library lacking one of
// them is "missing" it. The others are there for NI's clients (the bench's).
constexpr int kKorvaneCalls = 0
#define KORVANE_COUNT(name, method, params, args, show) +1
    DAQMX_ENTRY_POINTS(KORVANE_COUNT) DAQMX_ATTRIBUTE_GETTERS(KORVANE_COUNT);
#undef KORVANE_COUNT

struct Loader {
    std::mutex mutex;
    std::atomic<bool> attempted{false};
    void *handle = nullptr;
    void *entries[e_count] = {};
    std::string choice;
    driver::LoaderInfo info;
    std::function<void(const std::string &)> notice;  // told once of a library that did not load
    std::atomic<bool> noticed{false};
};

Loader &loader()
{
    static Loader l;
    return l;
}

// The loaded library's entry points for the untraced path: null while none
// is loaded, for an entry point it lacks and for the calls the layer answers
// itself, which take the full path.
std::atomic<void *> g_untraced[e_count];
// The loaded driver is not the bench: its texts go through
// base::platform::driver_text_to_utf8 (nicaiu.dll's are in the ANSI code page).
std::atomic<bool> g_texts_converted{false};
// Fills or empties g_untraced from the loader's state.
void publish_untraced(const Loader &l);

// A driver library that can hook into the trace and the exit: the simulated bench.
void hook_into_trace(void *handle)
{
    driver::trace::set_notes_hook(
        reinterpret_cast<driver::trace::NotesHook>(base::platform::library_symbol(handle, "ksim_call_notes")));
    auto flush = reinterpret_cast<void (*)()>(base::platform::library_symbol(handle, "ksim_flush"));
    driver::set_signal_flush_hook(flush);
    if (flush) driver::flush_on_signals();
}

}  // namespace

namespace driver {

// Looks where the system's loader looks for a bare library name.
std::string linker_finds(const std::string &name)
{
    return base::platform::library_search(name);
}

}  // namespace driver

namespace {

// Tries to open one file; on success resolves every entry point.
bool try_open(Loader &l, const std::string &path)
{
    l.info.path = path;
    // A bare name: the file the system's loader would take gets the same checks.
    const std::string file = base::platform::is_bare_name(path) ? driver::linker_finds(path) : path;
    if (std::string fault = file.empty() ? "" : base::files::library_fault(file); !fault.empty()) {
        l.info.error = file + ": " + fault;
        return false;
    }
    void *h = base::platform::open_library(path, l.info.error);
    if (!h) return false;
    l.handle = h;
    l.info.loaded = true;
    l.info.error.clear();
    l.info.missing.clear();
    for (int i = 0; i < e_count; ++i) {
        l.entries[i] = base::platform::library_symbol(h, kEntryNames[i]);
        if (!l.entries[i] && i < kKorvaneCalls) {
            if (!l.info.missing.empty()) l.info.missing += ",";
            l.info.missing += kEntryNames[i];
        }
    }
    // korvane's own bench wherever it is found, under its name or NI-DAQmx's
    // (lib/korvane/nidaqmx on LD_LIBRARY_PATH): named by the file it is.
    l.info.simulated = base::platform::library_symbol(h, "ksim_present") != nullptr;
    if (l.info.simulated && !file.empty()) l.info.path = file;
    g_texts_converted = !l.info.simulated;
    hook_into_trace(h);
    return true;
}

// NI-DAQmx by its names (libnidaqmx.so, then libnidaqmx.so.1; nicaiu.dll).
// When it does not load, whether it is installed at all (a name where the
// system's loader looks) and, if so, why the file found did not load; else
// why the first name did not.
bool try_real_driver(Loader &l)
{
    const std::vector<std::string> names = base::platform::driver_library_names();
    std::vector<std::string> errors;
    for (const std::string &name : names) {
        if (try_open(l, name)) return true;
        errors.push_back(l.info.error);
    }
    for (size_t i = 0; i < names.size(); ++i) {
        if (std::string found = driver::linker_finds(names[i]); !found.empty()) {
            l.info.installed = true;
            l.info.found = found;
            l.info.path = names[i];
            l.info.error = errors[i];
            return false;
        }
    }
    l.info.path = names.front();
    l.info.error = errors.front();
    return false;
}

void close_locked(Loader &l)
{
    hook_into_trace(nullptr);
    void *handle = l.handle;
    l.handle = nullptr;
    std::fill(std::begin(l.entries), std::end(l.entries), nullptr);
    publish_untraced(l);  // before the library goes
    base::platform::close_library(handle);
    l.info = driver::LoaderInfo{};
    l.info.choice = l.choice;
    l.noticed.store(false);
    l.attempted.store(false, std::memory_order_release);
}

void load_locked(Loader &l)
{
    if (l.attempted.load(std::memory_order_acquire)) return;
    l.info = driver::LoaderInfo{};
    l.info.choice = l.choice;
    l.info.attempted = true;
    std::string choice = l.choice;
    if (choice.empty()) {
        const char *env = std::getenv("KORVANE_DAQ");
        if (env && *env) choice = env;
    }
    l.noticed.store(false);
    if (choice.empty()) {
        // The bench stands in only where NI-DAQmx is not installed at all: a
        // broken install is an error, never a simulation the operator takes
        // for the hardware.
        if (!try_real_driver(l) && !l.info.installed) {
            std::string real_error = l.info.error;
            if (try_open(l, driver::sim_library_path())) {
                l.info.stand_in = l.info.simulated;
            } else {
                // Neither: say why the real driver is missing, that is what was wanted first.
                l.info.path = base::platform::driver_library_names().front();
                l.info.error = real_error;
            }
        }
    } else if (choice == "sim") {
        try_open(l, driver::sim_library_path());
    } else if (choice == "nidaqmx") {
        try_real_driver(l);
    } else {
        try_open(l, choice);
    }
    publish_untraced(l);
    l.attempted.store(true, std::memory_order_release);
}

// The entry point to call, or the status to return instead.
void *entry(Entry e, int32 *status)
{
    Loader &l = loader();
    if (!l.attempted.load(std::memory_order_acquire)) {
        std::lock_guard<std::mutex> lock(l.mutex);
        load_locked(l);
    }
    if (!l.handle) {
        *status = DAQmxErrorCVIFailedToLoadDAQmxDLL;
        if (!l.noticed.exchange(true) && l.notice) l.notice(l.info.description());
        return nullptr;
    }
    if (!l.entries[e]) {
        *status = DAQmxErrorCVIFunctionNotFoundInDAQmxDLL;
        return nullptr;
    }
    return l.entries[e];
}

// The driver's sizing rule for error texts.
int32 copy_text(const char *text, char *buf, uInt32 size)
{
    size_t len = std::strlen(text);
    if (!buf || size == 0) return static_cast<int32>(len + 1);
    size_t n = std::min<size_t>(len, size - 1);
    std::memcpy(buf, text, n);
    buf[n] = '\0';
    return 0;
}

// A call the import layer answers itself, without the driver: none but the
// error texts of its own two codes.
template <Entry E>
struct Local {
    static constexpr bool kAnswers = false;
    int32 &status;
    template <class... A>
    bool operator()(A...) const
    {
        return false;
    }
};

template <>
struct Local<e_DAQmxGetErrorString> {
    static constexpr bool kAnswers = true;
    int32 &status;
    bool operator()(int32 code, char *buf, uInt32 size) const
    {
        if (code == DAQmxErrorCVIFailedToLoadDAQmxDLL)
            status = copy_text(DAQMX_TEXT_LIBRARY_NOT_LOADED, buf, size);
        else if (code == DAQmxErrorCVIFunctionNotFoundInDAQmxDLL)
            status = copy_text(DAQMX_TEXT_ENTRY_POINT_MISSING, buf, size);
        else
            return false;
        return true;
    }
};

// What the layer does to a call's results after the driver: the error texts
// of a driver whose strings are not UTF-8 (g_texts_converted) become UTF-8.

template <Entry E>
struct After {
    int32 status;
    template <class... A>
    void operator()(A...) const
    {
    }
};

template <>
struct After<e_DAQmxGetErrorString> {
    int32 status;
    void operator()(int32, char *buf, uInt32 size) const
    {
        if (status >= 0 && buf && size > 0 && g_texts_converted.load(std::memory_order_relaxed))
            base::platform::driver_text_to_utf8(buf, size);
    }
};

constexpr bool kAnswersItself[e_count] = {
#define KORVANE_LOCAL(name, method, params, args, show) Local<e_##name>::kAnswers,
    DAQMX_ENTRY_POINTS(KORVANE_LOCAL)
    DAQMX_ATTRIBUTE_GETTERS(KORVANE_LOCAL)
    DAQMX_CLIENT_ENTRY_POINTS(KORVANE_LOCAL)
    DAQMX_UNMODELLED_ENTRY_POINTS(KORVANE_LOCAL)
    DAQMX_CLIENT_ATTRIBUTE_GETTERS(KORVANE_LOCAL)
    DAQMX_ATTRIBUTE_SETTERS(KORVANE_LOCAL)
#undef KORVANE_LOCAL
};

void publish_untraced(const Loader &l)
{
    for (int i = 0; i < e_count; ++i)
        g_untraced[i].store(l.handle && !kAnswersItself[i] ? l.entries[i] : nullptr, std::memory_order_release);
}

// Each thread counts its own calls, so that counting takes no locked
// instruction; the records are summed when read and never freed (a thread's
// calls count after it ended).
struct alignas(64) ThreadCalls {
    std::atomic<unsigned long long> calls{0}, failed{0};
    ThreadCalls *next = nullptr;
};
std::atomic<ThreadCalls *> g_thread_calls{nullptr};
thread_local ThreadCalls *t_calls = nullptr;

ThreadCalls *thread_calls()
{
    auto *c = new ThreadCalls;
    c->next = g_thread_calls.load();
    while (!g_thread_calls.compare_exchange_weak(c->next, c)) {
    }
    t_calls = c;
    return c;
}

// Only this thread writes its record: a load and a store, no read-modify-write.
inline void count(int32 status)
{
    ThreadCalls *c = t_calls ? t_calls : thread_calls();
    c->calls.store(c->calls.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    if (status < 0) c->failed.store(c->failed.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
}

}  // namespace

namespace driver {

void select(const std::string &choice)
{
    Loader &l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.choice = choice;
    close_locked(l);
}

bool load()
{
    Loader &l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    load_locked(l);
    return l.handle && l.info.missing.empty();
}

void unload()
{
    Loader &l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    close_locked(l);
}

const LoaderInfo &info()
{
    return loader().info;
}

void set_failure_notice(std::function<void(const std::string &)> notice)
{
    Loader &l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    l.notice = std::move(notice);
}

void *symbol(const char *name)
{
    Loader &l = loader();
    std::lock_guard<std::mutex> lock(l.mutex);
    if (!l.handle || !name) return nullptr;
    return base::platform::library_symbol(l.handle, name);
}

std::string sim_library_path()
{
    const auto dirs = base::paths::candidate_dirs(base::paths::self_exe(), KORVANE_INSTALL_PRIVATE_LIBDIR);
    const std::string name = base::platform::library_file("korvane-sim");
    std::error_code ec;
    for (const std::string &dir : dirs)
        if (fs::is_regular_file(fs::path(dir) / name, ec)) return (fs::path(dir) / name).string();
    const std::string built = KORVANE_SIM_BUILD_PATH;
    if (!built.empty()) return built;
    return dirs.empty() ? name : (fs::path(dirs.front()) / name).string();
}

void count_call(int status)
{
    count(status);
}

CallCounts call_counts()
{
    CallCounts n;
    for (const ThreadCalls *c = g_thread_calls.load(); c; c = c->next) {
        n.calls += c->calls.load(std::memory_order_relaxed);
        n.failed += c->failed.load(std::memory_order_relaxed);
    }
    return n;
}

std::string LoaderInfo::description() const
{
    if (!attempted) return "driver: not loaded yet";
    if (!loaded) {
        if (installed)
            return "driver: none \xE2\x80\x94 NI-DAQmx is installed (" + found + ") but does not load: " + error +
                   (choice.empty() ? "; the simulated bench is not used in its place (--daq sim to use it)" : "");
        // The real driver is tried under its names; say so, with the first one's error.
        const std::vector<std::string> names = base::platform::driver_library_names();
        const std::string tried = path == names.front() && names.size() > 1 ? path + " (nor " + names[1] + ")" : path;
        return "driver: none \xE2\x80\x94 cannot load " + tried + ": " + error;
    }
    std::string d = simulated ? "driver: simulated bench (" + path + ")" : "driver: NI-DAQmx (" + path + ")";
    if (stand_in) d += " in place of NI-DAQmx, which is not installed";
    if (!missing.empty()) d += ", missing entry points: " + missing;
    return d;
}

std::string LoaderInfo::stand_in_note() const
{
    if (!stand_in) return "";
    return "NI-DAQmx is not installed: korvane runs on its simulated bench, not on the hardware "
           "(--daq sim chooses the bench without this note)";
}

}  // namespace driver

extern "C" {

// Each entry point. Untraced, with the library loaded, a call that does not
// change the book of tasks: the driver's call and the count, a task the
// driver no longer knows forgotten. Else an answer of the layer's own or the
// driver's, then the call's line in the trace and the book; that path is a
// function of its own, so the common one saves no registers for it.
#define KORVANE_FORWARD(name, method, params, args, show)                                        \
    int32 name params                                                                             \
    {                                                                                             \
        using Book = std::remove_reference_t<decltype(driver::trace::Untraced<false>(0) show)>;    \
        if constexpr (!Book::kChanges) {                                                          \
            auto direct = reinterpret_cast<decltype(&::name)>(                                    \
                g_untraced[e_##name].load(std::memory_order_acquire));                           \
            if (direct && !driver::trace::on()) [[likely]] {                                       \
                const int32 status = direct args;                                                 \
                After<e_##name>{status} args;                                                     \
                if (status == DAQmxErrorInvalidTask) [[unlikely]]                                 \
                    driver::trace::forget(driver::trace::Untraced<false>(status) show.gone());      \
                count(status);                                                                    \
                return status;                                                                    \
            }                                                                                     \
        }                                                                                         \
        return [=]() __attribute__((noinline)) {                                                  \
            const int64_t started = driver::trace::host_start();                                   \
            int32 status = 0;                                                                     \
            if (!Local<e_##name>{status} args) {                                                  \
                auto fn = reinterpret_cast<decltype(&::name)>(entry(e_##name, &status));          \
                if (fn) status = fn args;                                                         \
                if (fn) After<e_##name>{status} args;                                             \
            }                                                                                     \
            driver::trace::Line(#name, status, started) show.done();                              \
            count(status);                                                                        \
            return status;                                                                        \
        }();                                                                                      \
    }
DAQMX_ENTRY_POINTS(KORVANE_FORWARD)
DAQMX_CLIENT_ENTRY_POINTS(KORVANE_FORWARD)
DAQMX_UNMODELLED_ENTRY_POINTS(KORVANE_FORWARD)
#undef KORVANE_FORWARD

// The getters of properties by ID: the size of a string property's buffer
// read from the variable arguments and passed on (the library's variadic
// entry point reads it the same way). An ID the table does not know passes
// size 0: a string property then only answers the size it needs, so the
// driver never writes into a buffer whose size the layer did not know.
#define KORVANE_FORWARD_GETTER(name, method, params, args, show)                                 \
    int32 name(DAQMX_UNPAREN params, ...)                                                         \
    {                                                                                             \
        DAQMX_GETTER_SIZE_ARG(size)                                                               \
        const int64_t started = driver::trace::host_start();                                       \
        int32 status = 0;                                                                         \
        if (auto fn = reinterpret_cast<decltype(&::name)>(entry(e_##name, &status)))              \
            status = fn(DAQMX_UNPAREN args, size);                                                \
        driver::trace::Line(#name, status, started) show.done();                                  \
        count(status);                                                                            \
        return status;                                                                            \
    }
DAQMX_ATTRIBUTE_GETTERS(KORVANE_FORWARD_GETTER)
DAQMX_CLIENT_ATTRIBUTE_GETTERS(KORVANE_FORWARD_GETTER)
#undef KORVANE_FORWARD_GETTER

// The setters of properties by ID: the value read from the variable arguments
// by the property's type and passed on as that type. An ID the table does not
// know cannot be passed on (its type is unknown): the layer answers -200233.
#define KORVANE_FORWARD_SETTER(name, method, params, args, show)                                 \
    int32 name(DAQMX_UNPAREN params, ...)                                                         \
    {                                                                                             \
        DAQMX_SETTER_VALUE_ARG(value)                                                             \
        const int64_t started = driver::trace::host_start();                                       \
        int32 status = 0;                                                                         \
        if (auto fn = reinterpret_cast<decltype(&::name)>(entry(e_##name, &status)))              \
            status = driver::attributes::pass_value(attribute, value,                             \
                                                    [&](auto v) { return fn(DAQMX_UNPAREN args, v); }); \
        driver::trace::Line(#name, status, started) show.done();                                  \
        count(status);                                                                            \
        return status;                                                                            \
    }
DAQMX_ATTRIBUTE_SETTERS(KORVANE_FORWARD_SETTER)
#undef KORVANE_FORWARD_SETTER

}  // extern "C"
