/*
 * Test-only entry points of vekta: not for the program's own modules.
 */
#ifndef KORVANE_VEKTA_TESTING_H
#define KORVANE_VEKTA_TESTING_H

#ifdef __cplusplus
extern "C" {
#endif

/* Puts the library's records back to their values at program load: last
 * error code 0 and an empty text, slot 2, every port entry empty, no analog
 * task, no remembered byte, both options records at their defaults. The
 * driver is not called: tasks the library held are simply forgotten, so reset
 * the driver (the simulated bench) as well. */
void vekta_resetState(void);

/* Number of tasks whose clear failed and that wait to be cleared again. */
int vekta_staleTaskCount(void);

#ifdef __cplusplus
}
#endif

#endif
