##
## korvane's Avalon bus as seen on the DAQ's digital lines.
##

import sigrokdecode as srd

# Channel indices: 16 data lines, the three strobes, then the optional flag.
DATA = tuple(range(16))
ALE, RD, WR = 16, 17, 18
CONTENTION = 19

# Annotation classes.
A_ADDRESS, A_WRITE, A_READ, A_WRITE_CYCLE, A_READ_CYCLE, A_ERROR = range(6)


# Ids and names are the line names of korvane's VCD, which PulseView matches
# against the decoder's channel names.
def channel(name, desc):
    return {'id': name, 'name': name, 'desc': desc}


def data_channels():
    return tuple(channel('port%d_line%d' % divmod(i, 8), 'Bus bit %d (D%d)' % (i, i)) for i in DATA)


class Decoder(srd.Decoder):
    api_version = 3
    id = 'korvane_avalon'
    name = 'korvane Avalon'
    longname = 'korvane bit-banged Avalon bus'
    desc = 'Avalon memory-mapped bus driven over three 8-bit DAQ ports.'
    license = 'gplv2+'
    inputs = ['logic']
    outputs = ['korvane_avalon']
    tags = ['Embedded/industrial']
    channels = data_channels() + (
        channel('port2_line0', 'Address strobe (active high)'),
        channel('port2_line1', 'Read strobe (active low)'),
        channel('port2_line2', 'Write strobe (active low)'),
    )
    optional_channels = (
        channel('contention', 'Lines driven by the DAQ and the board at once (simulated bench)'),
    )
    options = ()
    annotations = (
        ('address', 'Address phase'),
        ('write', 'Write data'),
        ('read', 'Read data'),
        ('write-cycle', 'Write cycle'),
        ('read-cycle', 'Read cycle'),
        ('error', 'Bus error'),
    )
    annotation_rows = (
        ('phases', 'Phases', (A_ADDRESS, A_WRITE, A_READ)),
        ('cycles', 'Cycles', (A_WRITE_CYCLE, A_READ_CYCLE)),
        ('errors', 'Errors', (A_ERROR,)),
    )

    def __init__(self):
        self.reset()

    def reset(self):
        self.address = None  # (start sample, address word) of the pending address phase

    def start(self):
        self.out_ann = self.register(srd.OUTPUT_ANN)
        # For stacked decoders: ['WRITE' or 'READ', (slave, register, data)].
        self.out_python = self.register(srd.OUTPUT_PYTHON)

    def ann(self, ss, es, cls, texts):
        self.put(ss, es, self.out_ann, [cls, texts])

    @staticmethod
    def word(pins):
        w = 0
        for i in DATA:
            w |= pins[i] << i
        return w

    def data_edges(self):
        return [{i: 'e'} for i in DATA]

    def address_phase(self, pins):
        # The slave latches the word while the strobe is high: the last word
        # before the falling edge counts.
        ss, word = self.samplenum, self.word(pins)
        while True:
            pins = self.wait([{ALE: 'f'}] + self.data_edges())
            if self.matched[0]:
                break
            word = self.word(pins)
        slave, reg = word & 7, word >> 3
        self.ann(ss, self.samplenum, A_ADDRESS,
                 ['Address: slave %d, register 0x%04X' % (slave, reg),
                  'Addr %d:0x%X' % (slave, reg), 'A'])
        self.address = (ss, word)

    def take_address(self):
        # Every strobe needs an address phase of its own.
        a, self.address = self.address, None
        return a

    def no_address(self, ss, es, what):
        self.ann(ss, es, A_ERROR, ['%s strobe without an address phase' % what, 'No address', 'E'])

    def write_cycle(self, pins):
        ss, data = self.samplenum, self.word(pins)  # taken on the falling edge
        a = self.take_address()
        self.wait({WR: 'r'})
        es = self.samplenum
        self.ann(ss, es, A_WRITE, ['Write data 0x%04X' % data, 'W 0x%04X' % data, 'W'])
        if a is None:
            self.no_address(ss, es, 'Write')
        else:
            slave, reg = a[1] & 7, a[1] >> 3
            self.ann(a[0], es, A_WRITE_CYCLE,
                     ['Write: slave %d, register 0x%04X, data 0x%04X' % (slave, reg, data),
                      'W %d:0x%X=0x%04X' % (slave, reg, data), 'W'])
            self.put(a[0], es, self.out_python, ['WRITE', (slave, reg, data)])

    def read_cycle(self, pins):
        # The slave drives the word while the strobe is low; the master reads
        # it before the strobe rises, when the slave lets go.
        ss, data = self.samplenum, self.word(pins)
        a = self.take_address()
        watch_contention = self.watch_contention
        contention_ss = ss if watch_contention and pins[CONTENTION] == 1 else None
        conds = [{RD: 'r'}] + self.data_edges()
        if watch_contention:
            conds.append({CONTENTION: 'r'})
        while True:
            pins = self.wait(conds)
            if self.matched[0]:
                break
            data = self.word(pins)
            if watch_contention and self.matched[-1] and contention_ss is None:
                contention_ss = self.samplenum
        es = self.samplenum
        self.ann(ss, es, A_READ, ['Read data 0x%04X' % data, 'R 0x%04X' % data, 'R'])
        if a is None:
            self.no_address(ss, es, 'Read')
        if contention_ss is not None:
            self.ann(contention_ss, es, A_ERROR,
                     ['Contention on the data lines during a read', 'Contention', 'C'])
        if a is not None:
            slave, reg = a[1] & 7, a[1] >> 3
            self.ann(a[0], es, A_READ_CYCLE,
                     ['Read: slave %d, register 0x%04X, data 0x%04X' % (slave, reg, data),
                      'R %d:0x%X=0x%04X' % (slave, reg, data), 'R'])
            self.put(a[0], es, self.out_python, ['READ', (slave, reg, data)])

    def decode(self):
        # Start from an idle bus: no strobe active. An optional channel that is
        # not assigned reads 0xff (this, not has_channel(): libsigrokdecode 0.5
        # drops a reference to the bool that returns, and Python aborts at exit).
        pins = self.wait({ALE: 'l', RD: 'h', WR: 'h'})
        self.watch_contention = pins[CONTENTION] in (0, 1)
        while True:
            pins = self.wait([{ALE: 'r'}, {RD: 'f'}, {WR: 'f'}])
            if pins[RD] == 0 and pins[WR] == 0:
                ss = self.samplenum
                self.wait({RD: 'h', WR: 'h'})
                self.ann(ss, self.samplenum, A_ERROR,
                         ['Read and write strobes active at once', 'RD# and WR#', 'E'])
                self.address = None
            elif self.matched[0]:
                self.address_phase(pins)
            elif self.matched[1]:
                self.read_cycle(pins)
            else:
                self.write_cycle(pins)
