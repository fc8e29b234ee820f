// Script-mode verbs that look at and act on the simulated bench:
//   probe NAME VALUE [TOLERANCE]   probe reg SLAVE ADDRESS VALUE
//   drive NAME VALUE               fault FUNCTION CODE [COUNT|always]   fault clear
#pragma once

namespace korvane {

// Registers probe, drive and fault with the run-time's script mode. With a
// driver other than the simulated bench every use of them fails with a clear
// message.
void register_bench_verbs();

}  // namespace korvane
