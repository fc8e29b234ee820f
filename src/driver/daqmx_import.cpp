// The DAQ driver import layer: every DAQmx* function of NIDAQmx.h forwards to
// the entry point of the same name in a driver library loaded with dlopen on
// first use. No library: -200397 from every operation; a missing entry point:
// -200398 from that operation only. Every call, whatever the library, goes
// through the call trace (daqmx_trace.h).
#include "driver/daqmx_import.h"

#include <dlfcn.h>

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
#undef KORVANE_ENUM
        e_count
};

const char *const kEntryNames[e_count] = {
#define KORVANE_NAME(name, method, params, args, show) #name,
    DAQMX_ENTRY_POINTS(KORVANE_NAME)
    DAQMX_ATTRIBUTE_GETTERS(KORVANE_NAME)
#undef KORVANE_NAME
};

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
// Fills or empties g_untraced from the loader's state.
void publish_untraced(const Loader &l);

// A driver library that can hook into the trace and the exit: the simulated bench.
void hook_into_trace(void *handle)
{
    driver::trace::set_notes_hook(
        handle ? reinterpret_cast<driver::trace::NotesHook>(::dlsym(handle, "ksim_call_notes")) : nullptr);
    auto flush = handle ? reinterpret_cast<void (*)()>(::dlsym(handle, "ksim_flush")) : nullptr;
    driver::set_signal_flush_hook(flush);
    if (flush) driver::flush_on_signals();
}

// A larger cache is not looked in (some MB on a system with many libraries).
constexpr size_t kMaxLinkerCache = size_t{64} << 20;

// The paths /etc/ld.so.cache gives for a library name (any architecture).
// The cache is glibc's "glibc-ld.so.cache1.1" table, alone or after the old
// "ld.so-1.7.0" one; its string offsets count from the new table's start.
std::vector<std::string> cached_paths(const std::string &name)
{
    std::vector<std::string> found;
    std::string data;
    if (!base::files::read_bounded("/etc/ld.so.cache", data, false, kMaxLinkerCache).empty()) return found;
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        if (at + 4 <= data.size()) std::memcpy(&v, data.data() + at, 4);
        return v;
    };
    size_t base = 0;
    if (data.compare(0, 11, "ld.so-1.7.0") == 0) base = (16 + static_cast<size_t>(u32(12)) * 12 + 7) & ~size_t{7};
    static const char kNew[] = "glibc-ld.so.cache1.1";
    if (data.size() < base + 48 || data.compare(base, sizeof kNew - 1, kNew) != 0) return found;
    const size_t count = u32(base + 20);
    auto text = [&](uint32_t offset) -> std::string {
        const size_t at = base + offset;
        if (at >= data.size()) return {};
        return std::string(data.c_str() + at, strnlen(data.c_str() + at, data.size() - at));
    };
    for (size_t i = 0; i < count && base + 48 + (i + 1) * 24 <= data.size(); ++i) {
        const size_t entry = base + 48 + i * 24;
        if (text(u32(entry + 4)) == name) found.push_back(text(u32(entry + 8)));
    }
    return found;
}

}  // namespace

namespace driver {

// Looks where the dynamic linker looks for a bare library name: the folders
// of LD_LIBRARY_PATH, its cache, then its default folders.
std::string linker_finds(const std::string &name)
{
    std::error_code ec;
    auto holds = [&](const std::string &dir) {
        const fs::path p = fs::path(dir.empty() ? "." : dir) / name;
        return fs::exists(p, ec) ? p.string() : std::string();
    };
    if (const char *env = std::getenv("LD_LIBRARY_PATH")) {
        std::string dirs = env;
        for (size_t from = 0; from <= dirs.size();) {
            size_t to = dirs.find_first_of(":;", from);
            if (to == std::string::npos) to = dirs.size();
            if (std::string p = holds(dirs.substr(from, to - from)); !p.empty()) return p;
            from = to + 1;
        }
    }
    for (const std::string &p : cached_paths(name))
        if (fs::exists(p, ec)) return p;
    for (const char *dir : {"/lib/x86_64-linux-gnu", "/usr/lib/x86_64-linux-gnu", "/lib64", "/usr/lib64", "/lib",
                            "/usr/lib"})
        if (std::string p = holds(dir); !p.empty()) return p;
    return "";
}

}  // namespace driver

namespace {

// Tries to open one file; on success resolves every entry point.
bool try_open(Loader &l, const std::string &path)
{
    l.info.path = path;
    // A bare name: the file the dynamic linker would take gets the same checks.
    const std::string file = path.find('/') == std::string::npos ? driver::linker_finds(path) : path;
    if (std::string fault = file.empty() ? "" : base::files::library_fault(file); !fault.empty()) {
        l.info.error = file + ": " + fault;
        return false;
    }
    ::dlerror();
    void *h = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) {
        const char *e = ::dlerror();
        l.info.error = e ? e : "cannot load " + path;
        return false;
    }
    l.handle = h;
    l.info.loaded = true;
    l.info.error.clear();
    l.info.missing.clear();
    for (int i = 0; i < e_count; ++i) {
        l.entries[i] = ::dlsym(h, kEntryNames[i]);
        if (!l.entries[i]) {
            if (!l.info.missing.empty()) l.info.missing += ",";
            l.info.missing += kEntryNames[i];
        }
    }
    // korvane's own bench wherever it is found, under its name or NI-DAQmx's
    // (lib/korvane/nidaqmx on LD_LIBRARY_PATH): named by the file it is.
    l.info.simulated = ::dlsym(h, "ksim_present") != nullptr;
    if (l.info.simulated && !file.empty()) l.info.path = file;
    hook_into_trace(h);
    return true;
}

// NI-DAQmx by its two names. When it does not load, whether it is installed
// at all (either name where the dynamic linker looks) and, if so, why the
// file found did not load; else why the first name did not.
bool try_real_driver(Loader &l)
{
    if (try_open(l, "libnidaqmx.so")) return true;
    std::string first_error = l.info.error;
    if (try_open(l, "libnidaqmx.so.1")) return true;
    const std::string found = driver::linker_finds("libnidaqmx.so");
    const std::string found_1 = driver::linker_finds("libnidaqmx.so.1");
    l.info.installed = !found.empty() || !found_1.empty();
    if (found.empty() && !found_1.empty()) {
        l.info.found = found_1;  // its error is the one kept from the second try
        return false;
    }
    l.info.found = found;
    l.info.path = "libnidaqmx.so";
    l.info.error = first_error;
    return false;
}

void close_locked(Loader &l)
{
    hook_into_trace(nullptr);
    void *handle = l.handle;
    l.handle = nullptr;
    std::fill(std::begin(l.entries), std::end(l.entries), nullptr);
    publish_untraced(l);  // before the library goes
    if (handle) ::dlclose(handle);
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
            if (!try_open(l, driver::sim_library_path())) {
                // Neither: say why the real driver is missing, that is what was wanted first.
                l.info.path = "libnidaqmx.so";
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

constexpr bool kAnswersItself[e_count] = {
#define KORVANE_LOCAL(name, method, params, args, show) Local<e_##name>::kAnswers,
    DAQMX_ENTRY_POINTS(KORVANE_LOCAL)
    DAQMX_ATTRIBUTE_GETTERS(KORVANE_LOCAL)
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
    return ::dlsym(l.handle, name);
}

std::string sim_library_path()
{
    const auto dirs = base::paths::candidate_dirs(base::paths::self_exe(), KORVANE_INSTALL_PRIVATE_LIBDIR);
    std::error_code ec;
    for (const std::string &dir : dirs)
        if (fs::is_regular_file(fs::path(dir) / "libkorvane-sim.so", ec)) return (fs::path(dir) / "libkorvane-sim.so").string();
    const std::string built = KORVANE_SIM_BUILD_PATH;
    if (!built.empty()) return built;
    return dirs.empty() ? std::string("libkorvane-sim.so") : (fs::path(dirs.front()) / "libkorvane-sim.so").string();
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
        // The real driver is tried under two names; say so, with the first one's error.
        const std::string tried = path == "libnidaqmx.so" ? path + " (nor libnidaqmx.so.1)" : path;
        return "driver: none \xE2\x80\x94 cannot load " + tried + ": " + error;
    }
    std::string d = simulated ? "driver: simulated bench (" + path + ")" : "driver: NI-DAQmx (" + path + ")";
    if (!missing.empty()) d += ", missing entry points: " + missing;
    return d;
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
            }                                                                                     \
            driver::trace::Line(#name, status, started) show.done();                              \
            count(status);                                                                        \
            return status;                                                                        \
        }();                                                                                      \
    }
DAQMX_ENTRY_POINTS(KORVANE_FORWARD)
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
#undef KORVANE_FORWARD_GETTER

}  // extern "C"
