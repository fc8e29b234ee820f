// Script-mode verbs that look at and act on the simulated bench:
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

namespace korvane {

// Registers probe, drive and fault with the run-time's script mode. With a
// driver other than the simulated bench every use of them fails with a clear
// message.
void register_bench_verbs();

}  // namespace korvane
