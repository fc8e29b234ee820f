/*
 * Back door of the simulated bench, beside the driver API and never through it.
 * Exported by libkorvane-sim.so next to the DAQmx* entry points. Tests and
 * korvane's script mode reach these with daqmx::symbol() (or link the bench's
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

/* Always 1: lets a caller tell the bench from a real driver. */
int ksim_present(void);

/* Power-cycles the bench: every task gone, lines undriven, board registers,
 * memory and DAC/ADC at 0, faults, counters and in-memory trace cleared,
 * noise seed back to its default. The clock and the slot stay. */
void ksim_reset(void);

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
void ksim_use_virtual_clock(void);
void ksim_attach_clock(void *ctx, int64_t (*now_ns)(void *ctx), void (*sleep_ns)(void *ctx, int64_t ns));
int64_t ksim_now_ns(void);
/* Lets virtual time pass (no effect on the real clock). */
void ksim_advance_ns(int64_t ns);

/* The PXI slot the device sits in (default 2): the device is "PXI1Slot<slot>". */
int ksim_set_slot(int slot);
void ksim_set_seed(uint32_t seed);

/* Counters. */
int ksim_live_tasks(void);
long ksim_contention_count(void);
long ksim_driver_calls(void); /* DAQmx* calls made since reset */

/* probe: a bench value by name: "ao0" "ao1" (volts at the output), "ai0".."ai7"
 * (volts at the input), "port0".."port2" (line levels as a byte), "dac0" "dac1"
 * (volts), "live-tasks", "contention". Returns -1 for an unknown name.
 * Also: "ai8".."ai15" (unwired, 0 V), "adc0" "adc1" (the board ADC's inputs,
 * volts), "apfi0" "apfi1" (the analog trigger inputs, volts). Input values are
 * those at the pins, before the DAQ's quantisation and noise. */
int ksim_probe(const char *name, double *value);
/* A board register's word (slave 0: memory words 0..8191; slave 2: DAC/ADC).
 * Slave 2: 0x00 DAC control (bit 0/1 channel 0/1 on, bit 2 reference on),
 * 0x02/0x03 DAC codes, 0x10 ADC configuration (bit 2: raise the interrupt
 * request at the end of each conversion), 0x11 ADC command/status (write: bit 0
 * starts a conversion of both channels, bit 1 acknowledges the interrupt
 * request, bit 2 raises it; read: bit 0 busy for 20 us, bit 2 request pending),
 * 0x12..0x14 plain registers, 0x16/0x17 the 12-bit results (0.0025 V a code).
 * Other addresses of slave 2 read 0; other slaves do not answer. */
int ksim_probe_reg(int slave, int address, unsigned *word);
/* Writes a board register directly, as the board's own logic would. */
int ksim_poke_reg(int slave, int address, unsigned word);

/* drive: an outside signal: "ai4".."ai7" (volts), "adc0" "adc1" (override the
 * ADC's input, volts; NaN ends the override), "dac0-off" "dac1-off" (non-zero:
 * that DAC output stays at 0 V whatever its registers say), "adc-stuck"
 * (non-zero: the ADC never finishes a conversion). Returns -1 for an unknown name.
 * Also: NaN on "ai4".."ai7" gives back the wired source (the 1 Hz sine, 2.5 V,
 * ground); "apfi0" "apfi1" (volts on the analog trigger inputs, 0 by default). */
int ksim_drive(const char *name, double value);

/* Fault injection. function: a driver function name ("DAQmxWriteDigitalU8"),
 * or "*" for any. task: a task name, or NULL/"" for any task. The nth
 * matching call from now (1 = the next one) fails with code; with always
 * non-zero every matching call from that one on fails. Several faults may be
 * armed at once. A failing call has no other effect, but for -200088 (invalid
 * task) on a call that names a live task: as on the driver, where that code
 * means the handle no longer names a task, the task ends as if cleared
 * elsewhere. Returns -1, arming
 * nothing, for a name that is not a DAQmx function of NIDAQmx.h, a code
 * that is not negative, or nth below 1. */
int ksim_fault(const char *function, const char *task, int code, int nth, int always);
void ksim_fault_clear(void);

/* Trace: one line per driver call, "Function(arguments) = status":
 *   a task handle is shown by its task name (0 for the null handle, ? for an
 *   unknown one); strings in double quotes, NULL for a null pointer; integers
 *   in decimal; float64 with %g; an out-pointer given as & ; uInt8 arrays as
 *   {0x8a,0x00} and float64 arrays as {2.5,1} (data written, or data read
 *   after the call; at most 8 values, then ",..." ); e.g.
 *   DAQmxCreateTask("port0W255", &) = 0
 *   DAQmxWriteDigitalU8(port0W255, 1, 1, 10, 0, {0x8a}, NULL, NULL) = 0
 * Lines that begin with "#" are the bench's notes, not calls, e.g. a bus
 * contention (the DAQ and the board driving the same lines; the DAQ's level wins):
 *   # contention: port0 0xff port1 0xff port2 0x00 driven by DAQ and board
 * ksim_trace_file writes to a file (NULL or "" stops). The in-memory trace
 * keeps every line while capture is on; ksim_trace_text copies it out,
 * NUL-ended, and returns the size needed (NUL included). */
int ksim_trace_file(const char *path);
void ksim_trace_capture(int on);
void ksim_trace_clear(void);
size_t ksim_trace_text(char *buf, size_t size);

/* VCD of the 24 digital lines and the decoded bus (address strobe, read and
 * write strobes, address and data words), readable by GTKWave. NULL stops. */
int ksim_vcd_file(const char *path);

#ifdef __cplusplus
}
#endif

#endif
