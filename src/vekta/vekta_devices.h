/*
 * vekta's device queries, the library's own side: the hint after a report of
 * a missing device is given once per slot selection (the operator's Open).
 */
#ifndef KORVANE_VEKTA_DEVICES_H
#define KORVANE_VEKTA_DEVICES_H

/* Makes the hint due again: at every slot selection and at a reset. */
void deviceHintRearm(void);

#endif
