/*
 * Block transfers: see avalon_block.h. The cycles are avalon.cpp's pin for
 * pin, over vekta's port groups instead of its single ports.
 */
#include "avalon/avalon_block.h"

#include "avalon/korvane_board.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

namespace {

namespace kb = avalon::board;

/* Control bytes of port 2: the read and write strobes are active low */
constexpr unsigned char CTRL_IDLE = kb::kReadStrobe | kb::kWriteStrobe;
constexpr unsigned char CTRL_ADDRESS = kb::kAddressStrobe | kb::kReadStrobe | kb::kWriteStrobe;
constexpr unsigned char CTRL_WRITE = kb::kReadStrobe;
constexpr unsigned char CTRL_READ = kb::kWriteStrobe;
constexpr int PORT_LOW = kb::kPortLow, PORT_HIGH = kb::kPortHigh, PORT_CTRL = kb::kPortStrobes;
constexpr unsigned char MASK_OUTPUT = 255, MASK_INPUT = 0;
constexpr unsigned char MASK_CTRL = kb::kAddressStrobe | kb::kReadStrobe | kb::kWriteStrobe;

/* One library call of a cycle: reported as everywhere, and remembered. */
struct Cycle {
    bool failed = false;
    void operator()(int status)
    {
        vekta_report(status);
        if (status < 0) failed = true;
    }
};

/* The two data ports move as one group, port 0 the low byte; the strobes
 * are a group of their own on port 2. */
constexpr int DATA_PORTS = PORT_HIGH - PORT_LOW + 1;
static_assert(PORT_HIGH == PORT_LOW + 1, "the data ports are neighbours, low byte first");

void data_out(Cycle &step, unsigned short word)
{
    const unsigned char bytes[DATA_PORTS] = {(unsigned char)(word & 0xFF), (unsigned char)(word >> 8)};
    step(vekta_portGroupOut(PORT_LOW, DATA_PORTS, bytes));
}

void data_mask(Cycle &step, unsigned char mask)
{
    step(vekta_portGroupMask(PORT_LOW, DATA_PORTS, mask));
}

void control(Cycle &step, unsigned char byte)
{
    step(vekta_portGroupOut(PORT_CTRL, 1, &byte));
}

/* A strobe is asserted only while every call of the block so far went well:
 * after a failure the lines need not hold what it would latch (a port that
 * kept the address where the data should be, or the previous word where the
 * address should be, or data ports still driving when the board is asked to
 * drive them). Going back to idle is always tried. */
void strobe(Cycle &step, unsigned char byte)
{
    if (!step.failed) control(step, byte);
}

unsigned short address_word(unsigned char slave, unsigned short address)
{
    return (unsigned short)((((unsigned int)address << kb::kSlaveBits) | slave) & 0xFFFF);
}

/* Takes the ports for a block: the strobes idle and the data ports driving
 * `first`, both groups started (a group writes its ports' bytes as it starts). */
void take_bus(Cycle &step, unsigned short first)
{
    control(step, CTRL_IDLE);
    step(vekta_portGroupMask(PORT_CTRL, 1, MASK_CTRL));
    data_out(step, first);
    data_mask(step, MASK_OUTPUT);
}

/* Gives the ports back to their own configurations; a failure there makes
 * the last word count as failed, so that a block never ends in a success it
 * did not have. */
int give_back(int done, int count)
{
    const int status = vekta_portGroupRelease();
    vekta_report(status);
    return status < 0 && done == count ? count - 1 : done;
}


/* The single-port path: avalonRead's and avalonWrite's calls, one port at a
 * time, no group to take or give back. A read's next address goes out while
 * the data ports are inputs (the library writes it as they turn back to
 * output), as on the group path. */
void single_address(Cycle &step, unsigned char slave, unsigned short address)
{
    const unsigned short word = address_word(slave, address);
    step(vekta_portOut(PORT_LOW, (unsigned char)(word & 0xFF)));
    step(vekta_portOut(PORT_HIGH, (unsigned char)(word >> 8)));
}

void single_strobe(Cycle &step, unsigned char byte)
{
    if (!step.failed) step(vekta_portOut(PORT_CTRL, byte));
}

void single_data_mask(Cycle &step, unsigned char mask)
{
    step(vekta_portMask(PORT_LOW, mask));
    step(vekta_portMask(PORT_HIGH, mask));
}

}  // namespace

extern "C" int avalonReadCycles(unsigned char slave, unsigned short address, unsigned short *words, int count)
{
    Cycle step;
    single_address(step, slave, address);
    for (int i = 0; i < count; i++) {
        single_strobe(step, CTRL_ADDRESS);
        step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
        single_data_mask(step, MASK_INPUT);
        single_strobe(step, CTRL_READ);
        unsigned char high = 0, low = 0;
        if (!step.failed) step(vekta_portIn(PORT_HIGH, &high));
        if (!step.failed) step(vekta_portIn(PORT_LOW, &low));
        step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
        words[i] = (unsigned short)((high << 8) | low);
        const bool more = i + 1 < count && !step.failed;
        if (more) single_address(step, slave, (unsigned short)(address + i + 1));
        single_data_mask(step, MASK_OUTPUT);
        if (step.failed) return i;
    }
    return count;
}

extern "C" int avalonWriteCycles(unsigned char slave, unsigned short address, const unsigned short *words, int count)
{
    Cycle step;
    for (int i = 0; i < count; i++) {
        single_address(step, slave, (unsigned short)(address + i));
        single_strobe(step, CTRL_ADDRESS);
        step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
        if (!step.failed) {
            step(vekta_portOut(PORT_LOW, (unsigned char)(words[i] & 0xFF)));
            step(vekta_portOut(PORT_HIGH, (unsigned char)(words[i] >> 8)));
        }
        single_strobe(step, CTRL_WRITE);
        step(vekta_portOut(PORT_CTRL, CTRL_IDLE));
        if (step.failed) return i;
    }
    return count;
}

/* The group path's reads of the addresses at(0), at(1), ... in one hold of
 * the bus. */
template <class At>
static int read_group(unsigned char slave, At at, unsigned short *words, int count)
{
    if (count <= 0) return 0;
    Cycle step;
    take_bus(step, address_word(slave, at(0)));
    strobe(step, CTRL_ADDRESS);
    control(step, CTRL_IDLE);
    int done = count;
    for (int i = 0; i < count; i++) {
        data_mask(step, MASK_INPUT);
        strobe(step, CTRL_READ);
        unsigned char bytes[DATA_PORTS] = {0, 0};
        if (!step.failed) step(vekta_portGroupIn(PORT_LOW, DATA_PORTS, bytes));
        control(step, CTRL_IDLE);
        words[i] = (unsigned short)((bytes[1] << 8) | bytes[0]);

        const bool more = i + 1 < count && !step.failed;
        /* While the ports are inputs a write only sets the bytes the group
         * writes when it turns back to output: the ports come back driving
         * the next address instead of this one. */
        if (more) data_out(step, address_word(slave, at(i + 1)));
        data_mask(step, MASK_OUTPUT);
        if (step.failed) {
            done = i;
            break;
        }
        if (more) {
            control(step, CTRL_ADDRESS);
            control(step, CTRL_IDLE);
            if (step.failed) {
                done = i + 1;
                break;
            }
        }
    }
    return give_back(done, count);
}

extern "C" int avalonReadGroup(unsigned char slave, unsigned short address, unsigned short *words, int count)
{
    return read_group(slave, [address](int i) { return (unsigned short)(address + i); }, words, count);
}

extern "C" int avalonReadList(unsigned char slave, const unsigned short *addresses, unsigned short *words, int count)
{
    return read_group(slave, [addresses](int i) { return addresses[i]; }, words, count);
}

extern "C" int avalonWriteGroup(unsigned char slave, unsigned short address, const unsigned short *words, int count)
{
    if (count <= 0) return 0;
    Cycle step;
    take_bus(step, address_word(slave, address));
    int done = count;
    for (int i = 0; i < count && done == count; i++) {
        const unsigned short here = (unsigned short)(address + i);
        if (i > 0) data_out(step, address_word(slave, here));
        strobe(step, CTRL_ADDRESS);
        control(step, CTRL_IDLE);
        if (!step.failed) data_out(step, words[i]);
        strobe(step, CTRL_WRITE);
        control(step, CTRL_IDLE);
        if (step.failed) done = i;
    }
    return give_back(done, count);
}

extern "C" int avalonReadBlock(unsigned char slave, unsigned short address, unsigned short *words, int count)
{
    if (count <= 0) return 0;
    return count < AVALON_GROUP_FROM_WORDS ? avalonReadCycles(slave, address, words, count)
                                           : avalonReadGroup(slave, address, words, count);
}

extern "C" int avalonWriteBlock(unsigned char slave, unsigned short address, const unsigned short *words, int count)
{
    if (count <= 0) return 0;
    return count < AVALON_GROUP_FROM_WORDS ? avalonWriteCycles(slave, address, words, count)
                                           : avalonWriteGroup(slave, address, words, count);
}
