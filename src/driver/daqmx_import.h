// The DAQ driver import layer: loads a driver library on first use, resolves
// every entry point, and forwards the DAQmx* calls of NIDAQmx.h to it.
//
// A library that cannot be loaded makes every operation return -200397; an
// entry point that is missing makes that operation return -200398. For these
// two codes DAQmxGetErrorString gives fixed texts of its own.
#pragma once

#include <functional>
#include <string>

namespace driver {

// Which driver to load. "sim" is the simulated bench, "nidaqmx" the real
// NI-DAQmx for Linux (libnidaqmx.so, then libnidaqmx.so.1), anything else a
// path to a library. An empty choice means: the environment variable
// KORVANE_DAQ if set, else the real driver; the bench only where NI-DAQmx is
// not installed at all (neither name where the dynamic linker looks). An
// installed driver that does not load is no driver: every call fails.
// Takes effect at the next load; a library already loaded is unloaded.
void select(const std::string &choice);

// Loads the chosen library now (it is otherwise loaded by the first call).
// Returns true when a library is loaded and every entry point resolved.
bool load();

// Unloads the library; the next driver call loads it again.
void unload();

struct LoaderInfo {
    bool attempted = false;     // a load has been tried
    bool loaded = false;        // the library is loaded (entry points may still be missing)
    bool simulated = false;     // the loaded library is korvane's simulated bench
    bool stand_in = false;      // the bench taken because NI-DAQmx is not installed (nothing chose it)
    std::string choice;         // what was asked for: "sim", "nidaqmx", a path, or "" (default)
    std::string path;           // the library file that was loaded or last tried
    std::string error;          // dlerror() text of a failed load
    std::string missing;        // names of entry points not found, comma separated
    bool installed = false;     // NI-DAQmx was tried and is where the dynamic linker looks, loaded or not
    std::string found;          // the NI-DAQmx file the dynamic linker would take ("" if none)
    std::string description() const;  // one line for the log pane, the window title and --version
    // With stand_in, the one line every command says on standard error (else ""):
    // nothing the bench answers may be taken for the hardware's.
    std::string stand_in_note() const;
};

// What the loader did (after load() or the first driver call).
const LoaderInfo &info();

// Called once per load, at the first driver call that fails for want of a
// library (-200397), with info().description(): the subcommands name the
// file tried and why it did not load beside the first report line.
void set_failure_notice(std::function<void(const std::string &line)> notice);

// Where the system's loader would find a bare library name (base::platform::
// library_search): the folders of LD_LIBRARY_PATH, its cache
// (/etc/ld.so.cache), then its default folders; on Windows korvane.exe's
// folder, the system folders, then PATH; "" when none holds it.
std::string linker_finds(const std::string &name);

// Driver calls through this layer since the process started, and those that
// failed (a negative status): the window's status line shows their rates.
struct CallCounts {
    unsigned long long calls = 0, failed = 0;
};
CallCounts call_counts();
void count_call(int status);

// A symbol of the loaded library other than the DAQmx* entry points (the
// simulated bench's back door); nullptr when not loaded or not present.
void *symbol(const char *name);

// Where the simulated bench library is: in lib/korvane beside the
// executable's bin/ (an installed tree), beside the executable, else the
// build tree's copy.
std::string sim_library_path();

}  // namespace driver
