/*
 * avalon: Avalon memory-mapped bus master bit-banged over the DAQ's three
 * digital ports, and the DAC and ADC of slave 2. Operations return nothing;
 * every failing library call inside them prints one error report line and the
 * operation goes on.
 */
#ifndef KORVANE_AVALON_H
#define KORVANE_AVALON_H

#ifdef __cplusplus
extern "C" {
#endif

void avalonInit(void);
void avalonDeinit(void);
void avalonWriteFullAddress(unsigned char slave, unsigned short address);
void avalonWrite(unsigned char slave, unsigned short address, unsigned short data);
void avalonRead(unsigned char slave, unsigned short address, unsigned short *data);
/* 1 when the address phase of the last write or read cycle wrote nothing to
 * some port (one without output lines configured: the library's "nothing
 * written", status 1), so the cycle never reached the board; else 0. */
int avalonLastCycleUnsent(void);

void avalonDACInit(void);
void avalonDACDeinit(void);
void avalonDACSetCode(unsigned char channel, unsigned char code);
void avalonDACSetVoltage(unsigned char channel, double volts);
int avalonDACvoltage2code(double volts);
double avalonDACcode2voltage(int code);

void avalonADCInit(void);
void avalonADCDeinit(void);
void avalonADCGetCodeByStart(unsigned char channel, int *code);

#ifdef __cplusplus
}
#endif

#endif
