/*
 * Back door of the simulated bench, beside the driver API and never through it.
 * Exported by libkorvane-sim.so next to the DAQmx* entry points. Tests and
 * korvane's script mode reach these with driver::symbol() (or link the bench's
 * core directly); code above the driver interface never uses them.
 *
 * All functions are C, return 0 on success and -1 on a bad argument unless
 * said otherwise.
 */
#ifndef KORVANE_KSIM_BACKDOOR_H
#define KORVANE_KSIM_BACKDOOR_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ksim_present: always 1; lets a caller tell the bench from a real driver. */

/* ksim_reset: power-cycles the bench: every task gone, lines undriven, board registers,
 * memory and DAC/ADC at 0, faults and counters cleared, noise seed back to
 * its default. The clock and the slot stay. (The client's reset also clears
 * the import layer's in-memory trace and the task names it learnt.) */

/* Time. By default the bench runs on the real steady clock and a call that
 * would wait sleeps. Every driver call takes a realistic time on the bench's
 * clock (about 4 us for an on-demand digital access, 10 us for an analog one,
 * tens of us to create a task or channel), virtual time included; a read with
 * an infinite timeout gives up after an hour of bench time (-200474). ksim_use_virtual_clock() switches to an internal virtual
 * clock starting at 0; ksim_attach_clock() to an outside one (korvane's
 * run-time shares its virtual clock this way): now() reads it, sleep() lets
 * time pass on it. A null now_ns goes back to the real steady clock.
 * Switching clocks keeps running acquisitions and conversions where they were
 * relative to the new clock's now, and an open VCD's time runs on without a jump. */
/* ksim_advance_ns lets virtual time pass (no effect on the real clock). */

/* ksim_set_slot: the PXI slot the device sits in (default 2): the device is "PXI1Slot<slot>". */
/* ksim_set_device: the device's name in the driver, as NI MAX may name it ("Dev1"; NULL or
 * "" keeps it), and the product type it reports (default "PXI-6251"; NULL or "" keeps it),
 * for tests of how korvane finds its device; the bench behaves as a 6251 whatever it
 * reports. -1 for a name with a '/', ',' or space. ksim_reset and ksim_set_slot give the
 * name "PXI1Slot<slot>" back; ksim_reset the product type too. The bench answers
 * DAQmxGetSysDevNames with its one device, and DAQmxGetDevProductType,
 * DAQmxGetDevSerialNum (0x01A5C3F1), DAQmxGetDevPXIChassisNum (1) and
 * DAQmxGetDevPXISlotNum (the slot) for it. */

/* Counters: ksim_live_tasks, ksim_contention_count, ksim_driver_calls (DAQmx*
 * calls made since reset). */
/* ksim_set_seed: the seed of the inputs' noise. */

/* ksim_probe: a bench value by name: "ao0" "ao1" (volts at the output), "ai0".."ai7"
 * (volts at the input), "port0".."port2" (line levels as a byte), "dac0" "dac1"
 * (volts), "live-tasks", "contention". Returns -1 for an unknown name.
 * Also: "ai8".."ai15" (unwired, 0 V), "adc0" "adc1" (the board ADC's inputs,
 * volts), "apfi0" "apfi1" (the analog trigger inputs, volts). Input values are
 * those at the pins, before the DAQ's quantisation and noise. */

/* ksim_probe_reg: a board register's word (slave 0: memory words 0..8191; slave 2: DAC/ADC).
 * Slave 2: 0x00 DAC control (bit 0/1 channel 0/1 on, bit 2 reference on),
 * 0x02/0x03 DAC codes, 0x10 ADC configuration (bit 2: raise the interrupt
 * request at the end of each conversion), 0x11 ADC command/status (write: bit 0
 * starts a conversion of both channels, bit 1 acknowledges the interrupt
 * request, bit 2 raises it; read: bit 0 busy for 20 us, bit 2 request pending),
 * 0x12..0x14 plain registers, 0x16/0x17 the 12-bit results (0.0025 V a code).
 * Other addresses of slave 2 read 0; other slaves do not answer. */
/* ksim_poke_reg writes a board register directly, as the board's own logic would. */

/* ksim_board_state: the board's memory and registers as text (korvane
 * --sim-state keeps it in a file between processes), copied out NUL-ended;
 * returns the size needed (NUL included). ksim_set_board_state puts such a
 * text back; for a text that is not one it changes nothing and returns minus
 * the number of the first line (from 1) that is not as such a text has it. */

/* ksim_drive: an outside signal: "ai4".."ai7" (volts), "adc0" "adc1" (override the
 * ADC's input, volts; NaN ends the override), "dac0-off" "dac1-off" (non-zero:
 * that DAC output stays at 0 V whatever its registers say), "adc-stuck"
 * (non-zero: the ADC never finishes a conversion). Returns -1 for an unknown name.
 * Also: NaN on "ai4".."ai7" gives back the wired source (the 1 Hz sine, 2.5 V,
 * ground); "apfi0" "apfi1" (volts on the analog trigger inputs, 0 by default). */

/* ksim_set_board: the target board on the digital ports: "model" (or NULL, "":
 * the C++ model), "rtl" (the reference board in Verilog, libkorvane-board-rtl.so
 * beside this library or in the build tree) or the path of a board library
 * (korvane/board_plugin.h). The new board starts at power-on. -1, the board kept,
 * when it cannot be loaded, with the reason copied to error (NUL-ended).
 * ksim_board_name: the board in use, e.g. "model" or "rtl korvane_board". */

/* ksim_fault: fault injection (ksim_fault_clear ends every one). function: a driver function name ("DAQmxWriteDigitalU8"),
 * or "*" for any. task: a task name, or NULL/"" for any task. The nth
 * matching call from now (1 = the next one) fails with code; with always
 * non-zero every matching call from that one on fails. Several faults may be
 * armed at once. A failing call has no other effect, but for -200088 (invalid
 * task) on a call that names a live task: as on the driver, where that code
 * means the handle no longer names a task, the task ends as if cleared
 * elsewhere. Returns -1, arming
 * nothing, for a name that is not a DAQmx function of NIDAQmx.h, a code
 * that is not negative, or nth below 1. */

/* ksim_vcd_file: VCD of the 24 digital lines and the decoded bus (address strobe, read and
 * write strobes, address and data words), readable by GTKWave. NULL stops: -1
 * when the file it closes could not be written whole (a full disk).
 * Written in blocks, and whole at close, at exit and on SIGINT, SIGTERM,
 * SIGHUP and SIGQUIT (out_file.h).
 * ksim_vcd_layout: the layout of the VCD files opened after it:
 * KSIM_VCD_VECTORS (the default, as above) or KSIM_VCD_LINES (1-bit wires
 * only: the 24 lines and contention, which sigrok reads too). -1 for another value. */
enum { KSIM_VCD_VECTORS = 0, KSIM_VCD_LINES = 1 };

/* The back door's functions, as one list for the library's exported face and
 * for its client (ksim_client.h): X(return type, name without "ksim_",
 * parameter list, argument list). */
#define KSIM_BACK_DOOR(X)                                                                                       \
    X(int, present, (void), ())                                                                                 \
    X(void, reset, (void), ())                                                                                  \
    X(void, use_virtual_clock, (void), ())                                                                      \
    X(void, attach_clock, (void *ctx, int64_t (*now_ns)(void *ctx), void (*sleep_ns)(void *ctx, int64_t ns)),  \
      (ctx, now_ns, sleep_ns))                                                                                  \
    X(int64_t, now_ns, (void), ())                                                                              \
    X(void, advance_ns, (int64_t ns), (ns))                                                                     \
    X(int, set_slot, (int slot), (slot))                                                                        \
    X(int, set_device, (const char *name, const char *product_type), (name, product_type))                      \
    X(void, set_seed, (uint32_t seed), (seed))                                                                  \
    X(int, live_tasks, (void), ())                                                                              \
    X(long, contention_count, (void), ())                                                                       \
    X(long, driver_calls, (void), ())                                                                           \
    X(int, probe, (const char *name, double *value), (name, value))                                             \
    X(int, probe_reg, (int slave, int address, unsigned *word), (slave, address, word))                         \
    X(int, poke_reg, (int slave, int address, unsigned word), (slave, address, word))                           \
    X(size_t, board_state, (char *buf, size_t size), (buf, size))                                               \
    X(int, set_board_state, (const char *text), (text))                                                         \
    X(int, drive, (const char *name, double value), (name, value))                                              \
    X(int, set_board, (const char *choice, char *error, size_t size), (choice, error, size))                        \
    X(const char *, board_name, (void), ())                                                                     \
    X(int, fault, (const char *function, const char *task, int code, int nth, int always),                      \
      (function, task, code, nth, always))                                                                      \
    X(void, fault_clear, (void), ())                                                                            \
    X(int, vcd_file, (const char *path), (path))                                                                \
    X(int, vcd_layout, (int layout), (layout))

#define KSIM_DECLARE(ret, name, params, args) ret ksim_##name params;
KSIM_BACK_DOOR(KSIM_DECLARE)
#undef KSIM_DECLARE

/* For the import layer's call trace (daqmx_trace.h), looked up when the
 * library is loaded, not part of the back door: the bench time at which the
 * last driver call began, and the notes that call made, each a line ending in
 * '\n' (a bus contention, the DAQ and the board driving the same lines, the
 * DAQ's level winning):
 *   # contention: port0 0xff port1 0xff port2 0x00 driven by DAQ and board
 * The text stays valid until the next driver call. */
const char *ksim_call_notes(int64_t *began_ns);
/* Writes out the VCD's buffer and its closing time stamp and puts the file in
 * its place; safe in a signal handler (the process ends after it). */
void ksim_flush(void);

#ifdef __cplusplus
}
#endif

#endif
