/*
 * The target board as the bench sees it: a component on the DAQ's 24 digital
 * lines with two analog outputs (its DAC) wired into the bench's analog side.
 *
 * Lines are bits of a 24-bit word, bit port*8+line: ports 0 and 1 the
 * address/data word (port 0 the low byte), port 2 line 0 the address strobe
 * (active high), line 1 the read strobe and line 2 the write strobe (active low).
 *
 * Time is the bench's clock in nanoseconds; the board has no clock of its own
 * beyond it. Calls come in time order: a board advances to the time given and
 * then acts.
 *
 * A board library is a shared object exporting ksim_board_entry(); the bench
 * loads it with dlopen. The C++ model of the board is the same interface
 * linked in. One board object serves one thread at a time.
 *
 * The bench refuses a table of another abi, one shorter than its own, and one
 * with a NULL name or function; only the four signal functions may all be NULL
 * together (signal_count NULL: no signals).
 */
#ifndef KORVANE_BOARD_PORT_H
#define KORVANE_BOARD_PORT_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define KSIM_BOARD_ABI 1

#define KSIM_BOARD_BUS_MASK 0x00FFFFu
#define KSIM_BOARD_ADDRESS_STROBE (1u << 16)
#define KSIM_BOARD_READ_STROBE (1u << 17)
#define KSIM_BOARD_WRITE_STROBE (1u << 18)

typedef struct ksim_board ksim_board; /* one board, opaque */

typedef struct ksim_board_api {
    uint32_t abi;  /* KSIM_BOARD_ABI */
    uint32_t size; /* sizeof(ksim_board_api) of the library: later versions only append */
    /* What the board is, for --version and the window title, e.g. "rtl korvane_board". */
    const char *name;
    /* Lines the board pulls to a level of its own when nobody drives them
     * (stronger than the DAQ's pull-downs), and those levels. */
    uint32_t pull_mask;
    uint32_t pull_levels;

    /* A new board at power-on (registers and memory 0); NULL when it cannot be made. */
    ksim_board *(*open)(void);
    void (*close)(ksim_board *b);
    /* Power-cycles the board. Outside signals (see drive) go back to their defaults. */
    void (*reset)(ksim_board *b);

    /* From time t_ns on, the lines are at these levels (the DAQ's drive, the
     * board's own drive and the pulls, as the bench resolves them). */
    void (*lines)(ksim_board *b, int64_t t_ns, uint32_t levels);
    /* The lines the board drives at time t_ns, and their levels. */
    void (*drive)(ksim_board *b, int64_t t_ns, uint32_t *mask, uint32_t *levels);
    /* Volts at DAC output ch (0 or 1) at time t_ns. */
    double (*dac_volts)(ksim_board *b, int ch, int64_t t_ns);

    /* Back door: a register's word (slave, 13-bit register address) without a bus
     * cycle, or set as the board's own logic would. 0, or -1 where no slave answers. */
    int (*read_reg)(ksim_board *b, int slave, int address, int64_t t_ns, uint16_t *word);
    int (*poke_reg)(ksim_board *b, int slave, int address, uint16_t word, int64_t t_ns);

    /* Outside signals by name: "adc0" "adc1" (volts on an ADC input in place of the
     * DAC; NaN ends it), "adc-stuck" (non-zero: conversions never end), "dac0-off"
     * "dac1-off" (non-zero: that DAC output stays at 0 V). 0, or -1 for a name the
     * board does not know. probe reads "adc0" "adc1" (the ADC's inputs). */
    int (*drive_signal)(ksim_board *b, const char *name, double value);
    int (*probe)(ksim_board *b, const char *name, int64_t t_ns, double *value);

    /* The bench's clock moved by delta without time passing for the board (a clock
     * switch): whatever the board has running stays where it was relative to now. */
    void (*shift_time)(ksim_board *b, int64_t delta);

    /* Signals inside the board, for the bench's VCD (signal_count NULL or 0: none).
     * A name is a path with '.' between scopes ("korvane_board.address_word");
     * widths are 1 to 64 bits. watch() asks for change(ctx, t_ns, i, value) at every
     * change of signal i from now on, in time order and at times up to the time of
     * the call that made them; a NULL change stops it. */
    int (*signal_count)(ksim_board *b);
    const char *(*signal_name)(ksim_board *b, int i, int *width);
    uint64_t (*signal_value)(ksim_board *b, int i);
    void (*watch)(ksim_board *b, void *ctx, void (*change)(void *ctx, int64_t t_ns, int i, uint64_t value));
} ksim_board_api;

/* The one symbol a board library exports. */
typedef const ksim_board_api *(*ksim_board_entry_fn)(void);
#define KSIM_BOARD_ENTRY "ksim_board_entry"

#ifdef __cplusplus
}
#endif

#endif
