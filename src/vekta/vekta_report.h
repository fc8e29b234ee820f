/*
 * The error report line: how the panel and the bus master handle a failed
 * library call. On a negative status, one line "Error = %i, %s\n" with the
 * library's last error code and text goes to the run-time's error output,
 * then the debugger break; in every case the caller goes on. After a report
 * that the device is not there, once per Open, one more line names the
 * device looked for and the devices the driver has (vekta_deviceHint).
 */
#ifndef KORVANE_VEKTA_REPORT_H
#define KORVANE_VEKTA_REPORT_H

#include "base/korvane_base.h"
#include "vekta/vekta.h"

static inline void vekta_report(int status)
{
    if (status < 0) {
        ErrorPrintf("Error = %i, %s\n", vekta_GetLastError(), vekta_GetLastErrorBuffer());
        char hint[VEKTA_ERROR_TEXT_SIZE];
        if (vekta_deviceMissing(vekta_GetLastError()) && vekta_deviceHint(hint, (int)sizeof hint))
            ErrorPrintf("%s\n", hint);
        Breakpoint();
    }
}

#endif
