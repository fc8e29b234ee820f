// korvane's side door to the simulated bench, beside the driver interface and
// never through it: the script verbs that look at and act on the bench, the
// bench's clock shared with the run-time, and the --trace and --vcd files.
// The panel code knows nothing of it; main calls it at start-up.
//
// Script verbs. With a driver other than the simulated bench (the real
// bench) a probe is skipped ("skipped: not the simulated bench"), so a
// script's other checks still run there; drive and fault fail with a clear
// message, as what follows them would not hold:
//   probe NAME VALUE [TOLERANCE]  a bench value: ao0 ao1 ai0..ai7 dac0 dac1 (volts,
//                                 default tolerance 0.002 V), port0..port2 (line
//                                 levels as a byte), live-tasks, contention (exact)
//   probe reg SLAVE ADDRESS VALUE a board register's word (exact)
//   drive NAME VALUE              ai4..ai7 (volts), adc0 adc1 (the ADC's input,
//                                 volts; nan ends it), adc-stuck on|off
//   fault FUNCTION CODE [COUNT]   the next COUNT calls (default 1) of a driver
//                                 function fail with CODE; COUNT "always": every call
//   fault clear                   no more faults
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace app::simlink {

// In script mode the bench's driver calls take time on the run-time's
// virtual clock, so timers and the bench keep one time. In the window both
// run on real time and the bench keeps its own clock. Call after
// ui::configure; nothing happens with another driver.
void share_clock();

// Opens the call trace of whatever driver is loaded (empty: none) and the
// simulated bench's VCD (empty: none; vcd_lines: 1-bit wires only, for sigrok).
// Returns "" or the line to print when a file cannot be written or the VCD is
// asked of another driver.
std::string open_outputs(const std::string &trace_file, const std::string &vcd_file, bool vcd_lines = false);

// Closes what open_outputs opened. Returns "" or a line per file that could
// not be written whole (a full disk, a write error).
std::string close_outputs(const std::string &trace_file, const std::string &vcd_file);

// The simulated bench's board: board ("model", "rtl" or a board library's
// path), else $KORVANE_BOARD, else the bench's default (the C++ model).
// Returns "" or the line to print when the board cannot be loaded, or when
// --board is given with another driver ($KORVANE_BOARD is then ignored).
std::string choose_board(const std::string &board);
// The board in use ("model", "rtl korvane_board", ...), "" with another driver.
std::string board_name();

// True when the loaded driver is the simulated bench.
bool bench_present();
// "WHAT needs the simulated bench (HINT), but no driver is loaded (...)" or
// "..., but the driver in use is NI-DAQmx (...)": why a bench-only request is
// refused; HINT names the choice that picks the bench ("--daq sim").
std::string needs_bench(const std::string &what, const std::string &hint = "");

// Subcommands: the bench runs on a virtual clock of its own, as fast as it
// can, so bench time is what the real bench would take. Returns a reader of
// that clock, or an empty function with another driver.
std::function<int64_t()> use_bench_clock();

// --sim-state FILE: the simulated board's memory and registers kept in FILE
// between commands. lock_board_state takes FILE's lock (FILE.lock beside it,
// an flock) before it is read, waiting up to $KORVANE_STATE_WAIT seconds
// (default 10) while another process holds it; "" or the reason. A stop
// signal ends the wait.
std::string lock_board_state(const std::string &path);
// The state from FILE (a FILE that does not exist yet is a board at
// power-up). Returns "" or the reason; a file that is no such state is left
// as it is.
std::string load_board_state(const std::string &path);
// Writes it whole or not at all (atomic_file.h) and releases the lock.
// Returns "" or the reason.
std::string save_board_state(const std::string &path);
// Releases the lock without writing (a command refused before its work).
void unlock_board_state();

// The simulated board's memory and registers as text (what --sim-state
// keeps), and such a text put back (the Python module's reset between
// tests). "" or the reason.
std::string board_state(std::string &text);
std::string set_board_state(const std::string &text);

// What the verbs probe, drive and fault do, for the Python module's side
// door: "" or why not (another driver, an unknown name, a refused fault).
// count: the next COUNT matching calls fail, 0: every one from the next on.
std::string inject_fault(const std::string &function, int code, int count);
std::string clear_faults();
std::string drive(const std::string &name, double value);
std::string probe(const std::string &name, double &value);
std::string probe_reg(int slave, int address, unsigned &word);

// What --sim-state cannot keep of the board in use: "" when its state is
// kept (the C++ model; a board whose back door answers for slave 0 or 2),
// else the line to warn with once (a board without back-door ports).
std::string board_state_warning();

// --bench-verb: one drive or fault line of script mode ("drive adc-stuck on")
// applied to the bench before a subcommand. Returns "" or the reason.
std::string bench_verb(const std::string &line);

// Registers probe, drive and fault with the run-time's script mode.
void register_verbs();

}  // namespace app::simlink
