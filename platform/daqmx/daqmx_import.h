// The DAQ driver import layer: loads a driver library on first use, resolves
// every entry point, and forwards the DAQmx* calls of NIDAQmx.h to it.
//
// A library that cannot be loaded makes every operation return -200397; an
// entry point that is missing makes that operation return -200398. For these
// two codes DAQmxGetErrorString gives fixed texts of its own.
#pragma once

#include <string>

namespace daqmx {

// Which driver to load. "sim" is the simulated bench, "nidaqmx" the real
// NI-DAQmx for Linux (libnidaqmx.so, then libnidaqmx.so.1), anything else a
// path to a library. An empty choice means: the environment variable
// KORVANE_DAQ if set, else the real driver when it loads, else the bench.
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
    std::string choice;         // what was asked for: "sim", "nidaqmx", a path, or "" (default)
    std::string path;           // the library file that was loaded or last tried
    std::string error;          // dlerror() text of a failed load
    std::string missing;        // names of entry points not found, comma separated
    std::string description() const;  // one line for the log pane, the window title and --version
};

// What the loader did (after load() or the first driver call).
const LoaderInfo &info();

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

}  // namespace daqmx
