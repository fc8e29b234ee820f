##
## korvane's Avalon memory-mapped bus, bit-banged over the three digital ports
## of the bench's DAQ.
##

'''
This decoder shows the bus cycles korvane runs on the target board's Avalon
bus: ports 0 and 1 carry the multiplexed 16-bit address and data word (port 0
the low byte), port 2 line 0 is the address strobe (active high), line 1 the
read strobe and line 2 the write strobe (both active low).

A cycle is an address phase (the address strobe high; the address word is
register << 3 | slave) followed by a write strobe (the slave takes the data
word on the falling edge) or a read strobe (the slave drives the data word
until the strobe rises again).

The channels are named as the wires of korvane's VCD ("korvane --vcd FILE
--vcd-layout lines"), in the same order: sigrok-cli assigns them by position
when no assignment is given, PulseView by name. The optional contention
channel is the simulated bench's flag for lines driven by the DAQ and the
board at once.
'''

from .pd import Decoder
