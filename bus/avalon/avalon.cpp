/*
 * avalon: Avalon memory-mapped bus master over the DAQ's three digital ports.
 * Ports 0 and 1 carry the multiplexed 16-bit address/data word (port 0 the
 * low byte); port 2 line 0 is the address strobe (active high), line 1 the
 * read strobe and line 2 the write strobe (both active low). Every port
 * operation that fails prints its error report line; the cycle goes on.
 */
#include <math.h>
#include <stddef.h>

#include "avalon.h"
#include "korvane_base.h"
#include "vekta.h"
#include "vekta_report.h"

/* Control bytes of port 2 */
#define CTRL_IDLE 6
#define CTRL_ADDRESS 7
#define CTRL_WRITE 2
#define CTRL_READ 4

#define PORT_LOW 0
#define PORT_HIGH 1
#define PORT_CTRL 2

#define MASK_OUTPUT 255
#define MASK_INPUT 0
#define MASK_CTRL 7

/* Slave 2: DAC and ADC registers */
#define SLAVE_PERIPH 2
#define REG_DAC_CONTROL 0x00
#define REG_DAC_CODE0 0x02
#define REG_DAC_CODE1 0x03
#define REG_ADC_CONFIG 0x10
#define REG_ADC_COMMAND 0x11
#define REG_ADC_RESULT0 0x16
#define REG_ADC_RESULT1 0x17

#define DAC_FULL_SCALE 3.3

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

void avalonWriteFullAddress(unsigned char slave, unsigned short address)
{
    unsigned int word = ((unsigned int)address << 3) | slave;

    vekta_report(vekta_portOut(PORT_LOW, (unsigned char)(word & 0xFF)));
    vekta_report(vekta_portOut(PORT_HIGH, (unsigned char)((address >> 5) & 0xFF)));
    vekta_report(vekta_portOut(PORT_CTRL, CTRL_ADDRESS));
    vekta_report(vekta_portOut(PORT_CTRL, CTRL_IDLE));
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
    avalonWrite(SLAVE_PERIPH, REG_DAC_CONTROL, 7);
}

void avalonDACDeinit(void)
{
    avalonWrite(SLAVE_PERIPH, REG_DAC_CONTROL, 0);
}

void avalonDACSetCode(unsigned char channel, unsigned char code)
{
    avalonWrite(SLAVE_PERIPH, channel == 0 ? REG_DAC_CODE0 : REG_DAC_CODE1, code);
}

int avalonDACvoltage2code(double volts)
{
    double scaled = 255.0 * (volts / DAC_FULL_SCALE) + 0.5;

    /* Clamped before the conversion, so any volts (NaN too) give 0..255. */
    if (isnan(scaled) || scaled < 0.0)
        return 0;
    if (scaled > 255.0)
        return 255;
    return (int)scaled;
}

double avalonDACcode2voltage(int code)
{
    return code * (DAC_FULL_SCALE / 255);
}

void avalonDACSetVoltage(unsigned char channel, double volts)
{
    avalonDACSetCode(channel, (unsigned char)(avalonDACvoltage2code(volts) & 0xFF));
}

void avalonADCInit(void)
{
    avalonWrite(SLAVE_PERIPH, REG_ADC_CONFIG, 3);
    avalonWrite(SLAVE_PERIPH, 0x12, 0);
    avalonWrite(SLAVE_PERIPH, 0x13, 0);
    avalonWrite(SLAVE_PERIPH, 0x14, 0);
}

void avalonADCDeinit(void)
{
}

void avalonADCGetCodeByStart(unsigned char channel, int *code)
{
    unsigned short word = 0;
    int polls = 0;

    avalonWrite(SLAVE_PERIPH, REG_ADC_COMMAND, 1);
    do {
        if (polls == ADC_POLL_LIMIT) {
            ErrorPrintf("ADC conversion on channel %u not finished after %i status reads\n", channel, polls);
            Breakpoint();
            if (code != NULL)
                *code = ADC_NO_RESULT;
            return;
        }
        avalonRead(SLAVE_PERIPH, REG_ADC_COMMAND, &word);
        polls++;
    } while (word & 1);

    avalonRead(SLAVE_PERIPH, channel == 0 ? REG_ADC_RESULT0 : REG_ADC_RESULT1, &word);
    if (code != NULL)
        *code = word;
}
