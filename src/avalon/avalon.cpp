/*
 * avalon: Avalon memory-mapped bus master over the DAQ's three digital ports.
 * Ports 0 and 1 carry the multiplexed 16-bit address/data word (port 0 the
 * low byte); port 2 line 0 is the address strobe (active high), line 1 the
 * read strobe and line 2 the write strobe (both active low). Every port
 * operation that fails prints its error report line; the cycle goes on.
 */
#include <math.h>
#include <stddef.h>

#include "avalon/avalon.h"
#include "base/korvane_base.h"
#include "avalon/korvane_board.h"
#include "vekta/vekta.h"
#include "vekta/vekta_report.h"

namespace kb = avalon::board;

/* Control bytes of port 2: the read and write strobes are active low */
#define CTRL_IDLE (kb::kReadStrobe | kb::kWriteStrobe)
#define CTRL_ADDRESS (kb::kAddressStrobe | kb::kReadStrobe | kb::kWriteStrobe)
#define CTRL_WRITE kb::kReadStrobe
#define CTRL_READ kb::kWriteStrobe

#define PORT_LOW kb::kPortLow
#define PORT_HIGH kb::kPortHigh
#define PORT_CTRL kb::kPortStrobes

#define MASK_OUTPUT 255
#define MASK_INPUT 0
#define MASK_CTRL (kb::kAddressStrobe | kb::kReadStrobe | kb::kWriteStrobe)

#define SLAVE_PERIPH kb::kSlavePeripherals

/* Status reads of one ADC conversion before it counts as stuck. A
 * conversion takes a few microseconds, one read cycle far longer. */
#define ADC_POLL_LIMIT 100

/* What the code of a conversion that never finished is set to. */
#define ADC_NO_RESULT (-1)

void avalonInit(void)
{
    vekta_report(vekta_portMask(PORT_LOW, MASK_OUTPUT));
    vekta_report(vekta_portMask(PORT_HIGH, MASK_OUTPUT));
    vekta_report(vekta_portMask(PORT_CTRL, MASK_CTRL));
    vekta_report(vekta_portOut(PORT_CTRL, CTRL_IDLE));
}

void avalonDeinit(void)
{
}

/* Whether the last address phase wrote nothing to some port. */
static int cycleUnsent = 0;

/* A port write of the address phase: reported, and "nothing written" noted. */
static void addressOut(int port, unsigned char byte)
{
    int status = vekta_portOut(port, byte);
    if (status == 1)
        cycleUnsent = 1;
    vekta_report(status);
}

void avalonWriteFullAddress(unsigned char slave, unsigned short address)
{
    /* slave is not masked: bits above its three OR into the register bits */
    unsigned int word = ((unsigned int)address << kb::kSlaveBits) | slave;

    cycleUnsent = 0;
    addressOut(PORT_LOW, (unsigned char)(word & 0xFF));
    addressOut(PORT_HIGH, (unsigned char)((address >> (8 - kb::kSlaveBits)) & 0xFF));
    addressOut(PORT_CTRL, CTRL_ADDRESS);
    addressOut(PORT_CTRL, CTRL_IDLE);
}

int avalonLastCycleUnsent(void)
{
    return cycleUnsent;
}

void avalonWrite(unsigned char slave, unsigned short address, unsigned short data)
{
    avalonWriteFullAddress(slave, address);
    vekta_report(vekta_portOut(PORT_LOW, (unsigned char)(data & 0xFF)));
    vekta_report(vekta_portOut(PORT_HIGH, (unsigned char)(data >> 8)));
    vekta_report(vekta_portOut(PORT_CTRL, CTRL_WRITE));
    vekta_report(vekta_portOut(PORT_CTRL, CTRL_IDLE));
}

void avalonRead(unsigned char slave, unsigned short address, unsigned short *data)
{
    unsigned short word;
    unsigned char byte;

    avalonWriteFullAddress(slave, address);
    vekta_report(vekta_portMask(PORT_LOW, MASK_INPUT));
    vekta_report(vekta_portMask(PORT_HIGH, MASK_INPUT));
    vekta_report(vekta_portOut(PORT_CTRL, CTRL_READ));

    /* A read that fails delivers 0 for its byte, as the pulled-down lines. */
    byte = 0;
    vekta_report(vekta_portIn(PORT_HIGH, &byte));
    word = byte;
    word = (unsigned short)(word << 8);
    byte = 0;
    vekta_report(vekta_portIn(PORT_LOW, &byte));
    word |= byte;

    vekta_report(vekta_portOut(PORT_CTRL, CTRL_IDLE));
    vekta_report(vekta_portMask(PORT_LOW, MASK_OUTPUT));
    vekta_report(vekta_portMask(PORT_HIGH, MASK_OUTPUT));

    if (data != NULL)
        *data = word;
}

void avalonDACInit(void)
{
    avalonWrite(SLAVE_PERIPH, kb::reg::kDacControl,
                kb::bit::kDacChannel0 | kb::bit::kDacChannel1 | kb::bit::kDacReference);
}

void avalonDACDeinit(void)
{
    avalonWrite(SLAVE_PERIPH, kb::reg::kDacControl, 0);
}

void avalonDACSetCode(unsigned char channel, unsigned char code)
{
    avalonWrite(SLAVE_PERIPH, channel == 0 ? kb::reg::kDacCode0 : kb::reg::kDacCode1, code);
}

int avalonDACvoltage2code(double volts)
{
    double scaled = (double)kb::kDacCodeMax * (volts / kb::kDacFullScale) + 0.5;

    /* Clamped before the conversion, so any volts (NaN too) give 0..255. */
    if (isnan(scaled) || scaled < 0.0)
        return 0;
    if (scaled > (double)kb::kDacCodeMax)
        return kb::kDacCodeMax;
    return (int)scaled;
}

double avalonDACcode2voltage(int code)
{
    return code * (kb::kDacFullScale / kb::kDacCodeMax);
}

void avalonDACSetVoltage(unsigned char channel, double volts)
{
    avalonDACSetCode(channel, (unsigned char)(avalonDACvoltage2code(volts) & 0xFF));
}

void avalonADCInit(void)
{
    avalonWrite(SLAVE_PERIPH, kb::reg::kAdcConfig, 3);
    avalonWrite(SLAVE_PERIPH, kb::reg::kAdcSpare0, 0);
    avalonWrite(SLAVE_PERIPH, kb::reg::kAdcSpare1, 0);
    avalonWrite(SLAVE_PERIPH, kb::reg::kAdcSpare2, 0);
}

void avalonADCDeinit(void)
{
}

void avalonADCGetCodeByStart(unsigned char channel, int *code)
{
    unsigned short word = 0;
    int polls = 0;

    avalonWrite(SLAVE_PERIPH, kb::reg::kAdcCommand, kb::bit::kAdcStart);
    do {
        if (polls == ADC_POLL_LIMIT) {
            ErrorPrintf("ADC conversion on channel %u not finished after %i status reads\n", channel, polls);
            Breakpoint();
            if (code != NULL)
                *code = ADC_NO_RESULT;
            return;
        }
        avalonRead(SLAVE_PERIPH, kb::reg::kAdcCommand, &word);
        polls++;
    } while (word & kb::bit::kAdcBusy);

    avalonRead(SLAVE_PERIPH, channel == 0 ? kb::reg::kAdcResult0 : kb::reg::kAdcResult1, &word);
    if (code != NULL)
        *code = word;
}
