/*
 * korvane: the main panel of the bench operator program. What the main module
 * shares with the areas: the panel handle, the open flag, the commands and the
 * area interface. The control numbers and the callbacks' prototypes are not
 * written here but in korvane.uir, from which the build writes korvane.h.
 */
#ifndef KORVANE_MAIN_H
#define KORVANE_MAIN_H

/* The panel's control numbers and callback prototypes, written at build time
 * from korvane.uir. */
#include "app/panel/korvane.h"

/* Control 4 (Close) is the one control the main module dims while the
 * hardware is closed. */
#define OPEN_ONLY_CTRL CLOSE_BTN

#ifdef __cplusplus
extern "C" {
#endif

/* Main panel handle (the load status if loading failed) */
extern int panelHandle;
/* 1 while the hardware is open, else 0 */
extern int pxi_opened;

/* Main module */
void pxi_draw_gui(void);
void pxi_open(void);
void pxi_close(void);
void pxi_default(void);
/* Registers every callback korvane.uir names, by its name; before LoadPanel
 * (written from the panel file). */
void korvane_register_callbacks(void);

/* Area interface: draw at start-up, open, close and default steps */
void port_draw_gui(void);
void port_open(void);
void port_close(void);
void port_default(void);

void analog_draw_gui(void);
void analog_open(void);
void analog_close(void);
void analog_default(void);

void avalon_draw_gui(void);
void avalon_open(void);
void avalon_close(void);
void avalon_default(void);

#ifdef __cplusplus
}

#include <span>
#include <string>

#include "ui/kinds.h"

/* The controls korvane works on, with their kinds (written from the panel
 * file; its frames and chart are only drawn). */
std::span<const ui::UsedControl> korvane_used_controls(void);

/* Checks that the loaded main panel has every control the program uses, with
 * the right kind: "" or the one line to report. */
std::string korvane_check_panel(int panel);
/* The driver in use in a few words: "simulated bench", "NI-DAQmx",
 * "incomplete driver" (entry points missing), "no driver". */
std::string korvane_driver_name(void);
/* Gives the run-time's status line its facts: the driver ("SIMULATED BENCH"
 * in capitals), the hardware's state and the driver calls counted by the
 * import layer. */
void korvane_share_status(void);
/* Marks the hardware area's frame when the driver is not the hardware:
 * "Hardware \u2014 SIMULATED BENCH" or "Hardware \u2014 NO DRIVER". */
void korvane_mark_driver(int panel);
#endif

#endif /* KORVANE_MAIN_H */
