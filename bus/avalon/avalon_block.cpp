/*
 * Block transfers: see avalon_block.h. The cycles are avalon.cpp's, step for
 * step.
 */
#include "avalon_block.h"

#include "korvane_board.h"
#include "vekta.h"
#include "vekta_report.h"

namespace {

namespace kb = korvane::board;

/* Control bytes of port 2: the read and write strobes are active low */
constexpr unsigned char CTRL_IDLE = kb::kReadStrobe | kb::kWriteStrobe;
constexpr unsigned char CTRL_ADDRESS = kb::kAddressStrobe | kb::kReadStrobe | kb::kWriteStrobe;
constexpr unsigned char CTRL_WRITE = kb::kReadStrobe;
constexpr unsigned char CTRL_READ = kb::kWriteStrobe;
constexpr int PORT_LOW = kb::kPortLow, PORT_HIGH = kb::kPortHigh, PORT_CTRL = kb::kPortStrobes;
constexpr unsigned char MASK_OUTPUT = 255, MASK_INPUT = 0;

/* One library call of a cycle: reported as everywhere, and remembered. */
struct Cycle {
    bool failed = false;
    void operator()(int status)
    {
        vekta_report(status);
        if (status < 0) failed = true;
    }
};

unsigned char low_byte(unsigned char slave, unsigned short address)
{
    return (unsigned char)((((unsigned int)address << kb::kSlaveBits) | slave) & 0xFF);
}

unsigned char high_byte(unsigned short address)
{
    return (unsigned char)((address >> (8 - kb::kSlaveBits)) & 0xFF);
}

void strobe_address(Cycle &step)
{
    step(vekta_portOut(PORT_CTRL, CTRL_ADDRESS));
    step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
}

}  // namespace

extern "C" int avalonReadBlock(unsigned char slave, unsigned short address, unsigned short *words, int count)
{
    if (count <= 0) return 0;
    Cycle step;
    step(vekta_portOut(PORT_LOW, low_byte(slave, address)));
    step(vekta_portOut(PORT_HIGH, high_byte(address)));
    strobe_address(step);
    for (int i = 0; i < count; i++) {
        const unsigned short here = (unsigned short)(address + i);
        step(vekta_portMask(PORT_LOW, MASK_INPUT));
        step(vekta_portMask(PORT_HIGH, MASK_INPUT));
        step(vekta_portOut(PORT_CTRL, CTRL_READ));
        unsigned char high = 0, low = 0;
        step(vekta_portIn(PORT_HIGH, &high));
        step(vekta_portIn(PORT_LOW, &low));
        step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
        words[i] = (unsigned short)((high << 8) | low);

        const bool more = i + 1 < count && !step.failed;
        if (more) {
            /* While the ports are inputs a port write only sets the byte that
             * the library writes again when the port turns back to output: the
             * ports come back driving the next address instead of this one. */
            const unsigned short next = (unsigned short)(here + 1);
            step(vekta_portOut(PORT_LOW, low_byte(slave, next)));
            step(vekta_portOut(PORT_HIGH, high_byte(next)));
        }
        step(vekta_portMask(PORT_LOW, MASK_OUTPUT));
        step(vekta_portMask(PORT_HIGH, MASK_OUTPUT));
        if (step.failed) return i;
        if (more) strobe_address(step);
        if (step.failed) return i + 1;
    }
    return count;
}

extern "C" int avalonWriteBlock(unsigned char slave, unsigned short address, const unsigned short *words, int count)
{
    for (int i = 0; i < count; i++) {
        const unsigned short here = (unsigned short)(address + i);
        Cycle step;
        step(vekta_portOut(PORT_LOW, low_byte(slave, here)));
        step(vekta_portOut(PORT_HIGH, high_byte(here)));
        strobe_address(step);
        step(vekta_portOut(PORT_LOW, (unsigned char)(words[i] & 0xFF)));
        step(vekta_portOut(PORT_HIGH, (unsigned char)(words[i] >> 8)));
        step(vekta_portOut(PORT_CTRL, CTRL_WRITE));
        step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
        if (step.failed) return i;
    }
    return count;
}
