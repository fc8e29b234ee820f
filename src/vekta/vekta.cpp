/*
 * vekta: hardware access library of the bench's NI 6251 DAQ module.
 *
 * Plain procedural module: the last error state, the `cache` record of slot,
 * port configurations and analog tasks, and the two analog options records
 * live here for the life of the process. Every device operation ends the same
 * way: one status, set by the CHECK and CALL macros (vekta_core.h), then
 * successExit() or, from the Error: label, failExit().
 *
 * This file holds that shared core: the last error state and the two exits,
 * the library's records, the task table (tasks whose clear failed, cleared
 * again later), slot selection and close. The operations are beside it:
 * the digital ports in vekta_ports.cpp, the port groups in
 * vekta_port_groups.cpp, the analog outputs and inputs in vekta_analog.cpp.
 */
#include <stdlib.h>
#include <string.h>

#include "korvane/NIDAQmx.h"
#include "base/korvane_base.h"
#include "vekta/vekta.h"
#include "vekta/vekta_core.h"
#include "vekta/vekta_devices.h"
#include "vekta/vekta_testing.h"
/* ------------------------------------------------------------------ */
/* Last error state                                                   */
/* ------------------------------------------------------------------ */

static int lastErrorCode = 0;
static char lastErrorBuffer[VEKTA_ERROR_TEXT_SIZE];

int vekta_SetLastError(int code)
{
    int old = lastErrorCode;
    lastErrorCode = code;
    return old;
}

int vekta_GetLastError(void)
{
    return lastErrorCode;
}

char *vekta_GetLastErrorBuffer(void)
{
    return lastErrorBuffer;
}

int vekta_PrintLastError(void)
{
    ErrorPrintf("Error = %i, %s\n", lastErrorCode, lastErrorBuffer);
    return lastErrorCode;
}

/* Text of a failure whose message the driver cannot give (its error-text call
 * fails or is missing): never the previous failure's words. */
#define MSG_NO_DRIVER_TEXT "no text from the driver for this status"

void checkReport(int line, const char *cond, const char *msg)
{
    /* "ERORR" is deliberate: callers and logs match the reports as shipped. */
    if (msg)
        Fmt(lastErrorBuffer, "ASSERT ERORR: %s, line %i: %s: %s", "vekta", line, cond, msg);
    else
        Fmt(lastErrorBuffer, "ASSERT ERORR: %s, line %i: %s", "vekta", line, cond);
}

/* The largest message taken from the driver when it is asked for its size. */
#define DRIVER_TEXT_MAX (1 << 20)

/* Puts the driver's message of a status into the last error text, cut to its
 * first 1023 bytes. A driver cuts a long message itself (answering with a
 * warning) or refuses a buffer too small for it (answering "buffer too small
 * for string"): then the message is fetched whole into a buffer of the size
 * the driver names and its beginning kept. */
static void driverText(int status)
{
    int st = DAQmxGetErrorString(status, lastErrorBuffer, VEKTA_ERROR_TEXT_SIZE);
    if (st == DAQmxErrorBufferTooSmallForString) {
        int size = DAQmxGetErrorString(status, NULL, 0);
        char *whole = size > 0 ? (char *)malloc(size < DRIVER_TEXT_MAX ? (size_t)size : DRIVER_TEXT_MAX) : NULL;
        st = -1;
        if (whole != NULL) {
            uInt32 n = (uInt32)(size < DRIVER_TEXT_MAX ? size : DRIVER_TEXT_MAX);
            st = DAQmxGetErrorString(status, whole, n);
            if (st >= 0) {
                whole[n - 1] = '\0';
                Fmt(lastErrorBuffer, "%s", whole);
            }
            free(whole);
        }
    }
    if (st < 0)
        Fmt(lastErrorBuffer, "%s", MSG_NO_DRIVER_TEXT);
    lastErrorBuffer[VEKTA_ERROR_TEXT_SIZE - 1] = '\0';
}

/* Failure exit of the completion rule: a driver status brings the driver's
 * message, a failed check (status 0) becomes -1 and keeps its report. */
int failExit(int status)
{
    if (status != 0)
        driverText(status);
    else
        status = -1;
    lastErrorCode = status;
    return status;
}

/* Success exit of the completion rule. */
int successExit(int status)
{
    lastErrorCode = status;
    return status;
}

/* ------------------------------------------------------------------ */
/* The library's records                                              */
/* ------------------------------------------------------------------ */

/* Values at program load (constant-initialised, before any code runs). */
static constexpr VektaCache cacheAtLoad()
{
    VektaCache c{};
    c.slot = 2;
    for (int p = 0; p < PORT_SIZE; p++) {
        for (int k = 0; k < PORT_CONFIGS; k++)
            c.port[p][k] = PortConfig{-1, 0, 0};
        c.portValue[p] = -1;
    }
    return c;
}
static constexpr AnalogOpt optAtLoad = {-1, "OnboardClock", 1000.0, -1, "", 0.0, 0};

VektaCache cache = cacheAtLoad();
/* The options of the analog outputs (dacOpt) and of the analog inputs
 * (anlgClock: clock, trigger and fetch mask alike, not only the clock). The
 * names stay: the failed checks' reports quote them ("dacOpt.maskFetch ..."). */
AnalogOpt dacOpt = optAtLoad;
AnalogOpt anlgClock = optAtLoad;

/* Tasks whose clear failed and that no entry or channel owns any longer:
 * cleared again before the next task is created (one of them may hold the
 * name it needs) and at every close, once each time, for as long as it takes:
 * the task lives on in the driver under its name until a clear succeeds. Only
 * a clear answered with "invalid task" drops a handle, for then it names no
 * task any more. Each name exists once in the driver: at most one per port,
 * direction and mask, and one per analog channel. */
#define STALE_MAX (PORT_SIZE * 256 * 2 + ANALOG_SIZEo + ANALOG_SIZEi)
static TaskHandle staleTask[STALE_MAX];
int staleCount = 0;

/* Port groups, most recently used first, and the ports they hold (a bit per port). */
static constexpr struct GroupsAtLoad {
    PortGroup g[PORT_GROUP_CONFIGS];
} groupsAtLoad = {{groupEmpty, groupEmpty, groupEmpty, groupEmpty}};
PortGroup groups[PORT_GROUP_CONFIGS] = {groupEmpty, groupEmpty, groupEmpty, groupEmpty};
int groupHeld = 0;
static_assert(PORT_GROUP_CONFIGS == 4, "groups and groupsAtLoad name four entries");

void vekta_resetState(void)
{
    lastErrorCode = 0;
    memset(lastErrorBuffer, 0, sizeof lastErrorBuffer);
    cache = cacheAtLoad();
    dacOpt = optAtLoad;
    anlgClock = optAtLoad;
    memset(staleTask, 0, sizeof staleTask);
    staleCount = 0;
    memcpy(groups, groupsAtLoad.g, sizeof groups);
    groupHeld = 0;
    deviceHintRearm();
}

const VektaCache *vekta_cacheView(void)
{
    return &cache;
}

const AnalogOpt *vekta_dacOptView(void)
{
    return &dacOpt;
}

const AnalogOpt *vekta_anlgClockView(void)
{
    return &anlgClock;
}

const PortGroup *vekta_portGroupView(void)
{
    return groups;
}

int vekta_staleTaskCount(void)
{
    return staleCount;
}
/* ------------------------------------------------------------------ */
/* The task table                                                     */
/* ------------------------------------------------------------------ */

/* True when a call on a task failed with "invalid task": the handle names no
 * task any more. Its owner forgets it, and its next operation makes the task
 * again, as after a close. */
bool taskGone(int status)
{
    return status == DAQmxErrorInvalidTask;
}

/* Clears a task that no entry or channel owns any longer; one whose clear
 * fails goes to the stale list unless the driver no longer knows it. Returns
 * the clear's status. */
int taskDrop(TaskHandle task)
{
    int st = DAQmxClearTask(task);
    if (st < 0 && st != DAQmxErrorInvalidTask && staleCount < STALE_MAX)
        staleTask[staleCount++] = task;
    return st;
}

/* True when a port entry or an analog channel of the cache holds the handle. */
static bool taskOwned(TaskHandle task)
{
    for (int port = 0; port < PORT_SIZE; port++)
        for (int k = 0; k < PORT_CONFIGS; k++)
            if (cache.port[port][k].writeTask == task || cache.port[port][k].readTask == task)
                return true;
    for (int i = 0; i < ANALOG_SIZEo; i++)
        if (cache.ao[i] == task)
            return true;
    for (int i = 0; i < ANALOG_SIZEi; i++)
        if (cache.ai[i] == task)
            return true;
    for (int k = 0; k < PORT_GROUP_CONFIGS; k++)
        if (groups[k].writeTask == task || groups[k].readTask == task)
            return true;
    return false;
}

/* Clears the tasks left over by failed clears, each once; keeps those that
 * fail again unless the driver no longer knows the task at all. A driver that
 * freed a task despite a failing clear may have handed its handle to a new
 * task since: a handle the cache holds again is dropped, never cleared. */
void staleClearAll(void)
{
    int kept = 0;
    for (int i = 0; i < staleCount; i++) {
        TaskHandle task = staleTask[i];
        if (taskOwned(task))
            continue;
        int st = DAQmxClearTask(task);
        if (st >= 0 || st == DAQmxErrorInvalidTask)
            continue;
        staleTask[kept++] = task;
    }
    for (int i = kept; i < staleCount; i++)
        staleTask[i] = 0;
    staleCount = kept;
}

/* DAQmxCreateTask into an entry's handle field; a failed create owns no
 * task, so the field goes back to 0 whatever the driver left in it. */
int createTask(const char *name, TaskHandle *field)
{
    int st = DAQmxCreateTask(name, field);
    if (st < 0)
        *field = 0;
    return st;
}

/* ------------------------------------------------------------------ */
/* Slot selection and close                                           */
/* ------------------------------------------------------------------ */

int vekta_ni6251Slot(int slot)
{
    cache.slot = slot;
    deviceHintRearm();
    vekta_SetLastError(0);
    return 0;
}

int vekta_ni6251Close(void)
{
    int status = -1;

    for (int idx = 0; idx < ANALOG_SIZEo; idx++)
        CALL(aoTaskClear(idx));
    for (int idx = 0; idx < ANALOG_SIZEi; idx++)
        CALL(aiTaskClear(idx));
    CALL(portCloseAll());
    return successExit(status);

Error:
    return failExit(status);
}
