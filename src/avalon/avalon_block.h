/*
 * Block transfers over the Avalon bus master: runs of consecutive addresses
 * of one slave, for dumps, loads and the self-test. Each word is one complete
 * bus cycle with the pin sequence of avalonRead/avalonWrite. A few words go
 * through the single ports as those do; longer blocks through vekta's port
 * groups: ports 0 and 1 as one group (a task per direction over
 * both, whose bytes move in one call) and the strobes as another, their tasks
 * started for the block so that no access pays the driver's implicit start
 * and stop; a data port's turn is a stop and a start. The ports go back to
 * their own configurations at the end of every block. A block read drives the
 * next address while turning the data ports back to output, so consecutive
 * words share that step. Failing library calls print their error report line
 * as in every bus operation; unlike those, a block stops after the first
 * cycle that had a failing call and says where, and asserts no strobe after
 * a failing call (the lines may not hold what the strobe would latch).
 */
#ifndef KORVANE_AVALON_BLOCK_H
#define KORVANE_AVALON_BLOCK_H

#ifdef __cplusplus
extern "C" {
#endif

/* From this many words on a block moves through the port groups; a shorter
 * one runs avalonRead's and avalonWrite's single-port cycles, which need no
 * group to be taken and given back (bench_bus measures the crossover). */
#define AVALON_GROUP_FROM_WORDS 2

/* Reads count words from address, address+1, ... into words. Returns the
 * number of words read by cycles without a failure: count when all went
 * well, else the index of the failed word (whose cycle was cut short at the
 * failing call: no strobe after it, strobes idle and data ports back to
 * output; its word is not to be trusted). */
int avalonReadBlock(unsigned char slave, unsigned short address, unsigned short *words, int count);

/* Writes count words to address, address+1, ...; returns as avalonReadBlock. */
int avalonWriteBlock(unsigned char slave, unsigned short address, const unsigned short *words, int count);

/* The two paths the block transfers choose between, by count: the single-port
 * cycles and the port groups. Same results and same failure rule. */
int avalonReadCycles(unsigned char slave, unsigned short address, unsigned short *words, int count);
int avalonWriteCycles(unsigned char slave, unsigned short address, const unsigned short *words, int count);
int avalonReadGroup(unsigned char slave, unsigned short address, unsigned short *words, int count);
int avalonWriteGroup(unsigned char slave, unsigned short address, const unsigned short *words, int count);

/* Reads the words at count addresses of one slave, in this order, in one hold
 * of the port groups (a register table); returns as avalonReadBlock. */
int avalonReadList(unsigned char slave, const unsigned short *addresses, unsigned short *words, int count);

#ifdef __cplusplus
}
#endif

#endif
