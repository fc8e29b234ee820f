/*
 * vekta: hardware access library of the bench's NI 6251 DAQ module.
 *
 * Plain procedural module: the last error state, the `cache` record of slot,
 * port configurations and analog tasks, and the two analog options records
 * live here for the life of the process. Every device operation ends the same
 * way: one status, set by the CHECK and CALL macros, then successExit() or,
 * from the Error: label, failExit().
 */
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "korvane/NIDAQmx.h"
#include "base/korvane_base.h"
#include "vekta/vekta.h"
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

/* Messages of the checks. The Cyrillic ones are Windows-1251 bytes, kept as
 * they are in the reports. */
#define MSG_PORT_RANGE "\xcf\xee\xf0\xf2\x20\xe2\xed\xe5\x20\xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0" /* "Port out of range" */
#define MSG_RANGE "\xe2\xed\xe5\x20\xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0" /* "out of range" */
#define MSG_RANGE_STOP "\xe2\xed\xe5\x20\xe4\xe8\xef\xe0\xe7\xee\xed\xe0" /* "out of range"; the missing letter is part of the report */
#define MSG_NULL_PTR "NULL ptr"

/* Text of a failure whose message the driver cannot give (its error-text call
 * fails or is missing): never the previous failure's words. */
#define MSG_NO_DRIVER_TEXT "no text from the driver for this status"

static void checkReport(int line, const char *cond, const char *msg)
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
static int failExit(int status)
{
    if (status != 0)
        driverText(status);
    else
        status = -1;
    lastErrorCode = status;
    return status;
}

/* Success exit of the completion rule. */
static int successExit(int status)
{
    lastErrorCode = status;
    return status;
}

/* A check stores 1 or 0 in the status; 0 writes the report, which quotes the
 * condition exactly as written here, and fails. `line` is the check's fixed
 * number in the report, part of the report's text that callers and logs know:
 * it is not the line of this file and does not move when the file changes. */
#define CHECK(line, cond, msg)                    \
    do {                                          \
        status = (cond) ? 1 : 0;                  \
        if (!status) {                            \
            checkReport((line), #cond, (msg));    \
            goto Error;                           \
        }                                         \
    } while (0)

/* A call stores its status; a negative one fails. */
#define CALL(expr)                                \
    do {                                          \
        status = (expr);                          \
        if (status < 0)                           \
            goto Error;                           \
    } while (0)

/* ------------------------------------------------------------------ */
/* The library's records                                              */
/* ------------------------------------------------------------------ */

#define DIGITAL_TIMEOUT 10.0
#define PORT_NAME_SIZE 1024
#define ANALOG_NAME_SIZE 256

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

static VektaCache cache = cacheAtLoad();
/* The options of the analog outputs (dacOpt) and of the analog inputs
 * (anlgClock: clock, trigger and fetch mask alike, not only the clock). The
 * names stay: the failed checks' reports quote them ("dacOpt.maskFetch ..."). */
static AnalogOpt dacOpt = optAtLoad;
static AnalogOpt anlgClock = optAtLoad;

/* Tasks whose clear failed and that no entry or channel owns any longer:
 * cleared again before the next task is created (one of them may hold the
 * name it needs) and at every close, once each time, for as long as it takes:
 * the task lives on in the driver under its name until a clear succeeds. Only
 * a clear answered with "invalid task" drops a handle, for then it names no
 * task any more. Each name exists once in the driver: at most one per port,
 * direction and mask, and one per analog channel. */
#define STALE_MAX (PORT_SIZE * 256 * 2 + ANALOG_SIZEo + ANALOG_SIZEi)
static TaskHandle staleTask[STALE_MAX];
static int staleCount = 0;

/* Port groups, most recently used first, and the ports they hold (a bit per port). */
static constexpr PortGroup groupEmpty = {-1, 0, -1, 0, 0, 0};
static constexpr struct GroupsAtLoad {
    PortGroup g[PORT_GROUP_CONFIGS];
} groupsAtLoad = {{groupEmpty, groupEmpty, groupEmpty, groupEmpty}};
static PortGroup groups[PORT_GROUP_CONFIGS] = {groupEmpty, groupEmpty, groupEmpty, groupEmpty};
static int groupHeld = 0;
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
/* Digital ports                                                      */
/* ------------------------------------------------------------------ */

/* True when a call on a task failed with "invalid task": the handle names no
 * task any more. Its owner forgets it, and its next operation makes the task
 * again, as after a close. */
static bool taskGone(int status)
{
    return status == DAQmxErrorInvalidTask;
}

/* Clears a task that no entry or channel owns any longer; one whose clear
 * fails goes to the stale list unless the driver no longer knows it. Returns
 * the clear's status. */
static int taskDrop(TaskHandle task)
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
static void staleClearAll(void)
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

/* Appends "PXI1Slot<slot>/port<port>/line<n>" for every line whose mask bit
 * equals bitValue, comma separated, in ascending line order. */
static void lineList(char (&name)[PORT_NAME_SIZE], int port, int mask, int bitValue)
{
    size_t len = 0;
    const char *sep = "";
    name[0] = '\0';
    for (int line = 0; line < 8; line++) {
        if (((mask >> line) & 1) != bitValue)
            continue;
        FmtN(name + len, sizeof name - len, "%sPXI1Slot%i/port%i/line%i", sep, cache.slot, port, line);
        len = strlen(name);
        sep = ",";
    }
}

/* Stops (ignoring the outcome) and clears one task of a port. A task whose
 * clear fails is handed to the stale list so that it is never lost. Returns
 * the first failing status, else 0. */
static int portTaskRelease(TaskHandle task)
{
    int first = 0;
    int st = DAQmxStopTask(task);
    if (st < 0)
        first = st;
    st = taskDrop(task);
    if (st < 0 && first == 0)
        first = st;
    return first;
}

/* DAQmxCreateTask into an entry's handle field; a failed create owns no
 * task, so the field goes back to 0 whatever the driver left in it. */
static int createTask(const char *name, TaskHandle *field)
{
    int st = DAQmxCreateTask(name, field);
    if (st < 0)
        *field = 0;
    return st;
}

/* Passes on the status of a call on a port task; a task the driver no longer
 * knows is forgotten (its field goes to 0), so the port's next operation
 * builds it again from the kept mask. */
static int portTaskCall(TaskHandle *field, int st)
{
    if (taskGone(st))
        *field = 0;
    return st;
}

/* Creates one task of configuration `mask` with its channel into *field: the
 * write task of the output lines or the read task of the input lines (the
 * whole port for mask 255 or 0). On a failure *field holds the task if it was
 * created: the caller clears it. */
static int portTaskMake(int port, int mask, bool output, TaskHandle *field)
{
    char name[PORT_NAME_SIZE];
    int st;

    if (output)
        Fmt(name, "port%iW%i", port, mask);
    else
        Fmt(name, "port%iR%i", port, mask);
    st = createTask(name, field);
    if (st < 0)
        return st;
    if (mask == (output ? 255 : 0))
        Fmt(name, "PXI1Slot%i/port%i", cache.slot, port);
    else
        lineList(name, port, mask, output ? 1 : 0);
    if (output)
        return DAQmxCreateDOChan(*field, name, "w", DAQmx_Val_ChanForAllLines);
    return DAQmxCreateDIChan(*field, name, "r", DAQmx_Val_ChanForAllLines);
}

/* Clears a task half made by portTaskMake and empties its field; returns st. */
static int portTaskUnmake(TaskHandle *field, int st)
{
    if (*field != 0)
        (void)taskDrop(*field);
    *field = 0;
    return st;
}

/* Creates the tasks and channels of one configuration in entry k. On a
 * failure part-way the half-built entry is taken out again: the tasks it
 * created are cleared and the entries behind it move up one place, so the
 * port keeps its earlier configurations and every handle has one owner. */
static int portTaskCreate(int port, int k, int mask)
{
    PortConfig *entries = cache.port[port];
    PortConfig *e = &entries[k];
    int status = 0;

    /* Tasks of a clear that failed earlier may still hold a name we need. */
    if (staleCount > 0)
        staleClearAll();

    /* After a shift the handle fields are copies of the next entry's; a mask
     * of 0 or 255 leaves the other direction's field at 0. */
    e->mask = mask;
    e->writeTask = 0;
    e->readTask = 0;

    if (mask != 0)
        CALL(portTaskMake(port, mask, true, &e->writeTask));
    if (mask != 255)
        CALL(portTaskMake(port, mask, false, &e->readTask));
    return 0;

Error:
    (void)portTaskUnmake(&e->writeTask, status);
    (void)portTaskUnmake(&e->readTask, status);
    memmove(&entries[k], &entries[k + 1], (PORT_CONFIGS - 1 - k) * sizeof(PortConfig));
    entries[PORT_CONFIGS - 1].mask = -1;
    entries[PORT_CONFIGS - 1].writeTask = 0;
    entries[PORT_CONFIGS - 1].readTask = 0;
    return status;
}

/* True when the current configuration of a port lacks a task its mask calls
 * for: the driver answered "invalid task" for it. */
static bool portEntryLost(int port)
{
    const PortConfig *e = &cache.port[port][0];
    return e->mask != -1 && ((e->mask != 0 && e->writeTask == 0) || (e->mask != 255 && e->readTask == 0));
}

/* Builds again, from the kept mask, the tasks of a port's current
 * configuration that the driver no longer knows. With `start`, a rebuilt read
 * task is started and the remembered byte written into a rebuilt write task,
 * as a new configuration gets them. A task that could not be made whole is
 * cleared again; one made whole stays. */
static int portEntryRebuild(int port, bool start)
{
    PortConfig *e = &cache.port[port][0];
    const bool makeWrite = e->mask != 0 && e->writeTask == 0;
    const bool makeRead = e->mask != 255 && e->readTask == 0;
    int st;

    /* A task of a clear that failed earlier may still hold the name. */
    if (staleCount > 0)
        staleClearAll();
    if (makeWrite) {
        st = portTaskMake(port, e->mask, true, &e->writeTask);
        if (st < 0)
            return portTaskUnmake(&e->writeTask, st);
    }
    if (makeRead) {
        st = portTaskMake(port, e->mask, false, &e->readTask);
        if (st < 0)
            return portTaskUnmake(&e->readTask, st);
    }
    if (!start)
        return 0;
    if (makeRead) {
        st = portTaskCall(&e->readTask, DAQmxStartTask(e->readTask));
        if (st < 0)
            return st;
    }
    if (makeWrite && cache.portValue[port] != -1) {
        uInt8 byte = (uInt8)(cache.portValue[port] & 0xFF);
        st = portTaskCall(&e->writeTask, DAQmxWriteDigitalU8(e->writeTask, 1, 1, DIGITAL_TIMEOUT,
                                                             DAQmx_Val_GroupByChannel, &byte, NULL, NULL));
        if (st < 0)
            return st;
    }
    return 0;
}

/* Starts the read task of entry k and writes the port's remembered byte again
 * (the write's auto-start starts the write task). */
static int portEntryStart(int port, int k)
{
    PortConfig *e = &cache.port[port][k];
    PortConfig *front = &cache.port[port][0];
    int st;

    if (e->readTask != 0) {
        st = portTaskCall(&e->readTask, DAQmxStartTask(e->readTask));
        if (st < 0)
            return st;
    }
    if (cache.portValue[port] != -1 && front->mask != -1 && front->writeTask != 0) {
        uInt8 byte = (uInt8)(cache.portValue[port] & 0xFF);
        st = portTaskCall(&front->writeTask, DAQmxWriteDigitalU8(front->writeTask, 1, 1, DIGITAL_TIMEOUT,
                                                                 DAQmx_Val_GroupByChannel, &byte, NULL, NULL));
        if (st < 0)
            return st;
    }
    return 0;
}

static int portEntryStop(int port, int k)
{
    PortConfig *e = &cache.port[port][k];
    int st;

    if (e->writeTask != 0) {
        st = portTaskCall(&e->writeTask, DAQmxStopTask(e->writeTask));
        if (st < 0)
            return st;
    }
    if (e->readTask != 0) {
        st = portTaskCall(&e->readTask, DAQmxStopTask(e->readTask));
        if (st < 0)
            return st;
    }
    return 0;
}

/* Stops and clears the tasks of entry k and empties it. A failing stop does
 * not keep a task from being cleared, and a task whose clear fails goes to the
 * stale list: the entry is always left empty and no task is lost. */
static int portEntryClear(int port, int k)
{
    PortConfig *e = &cache.port[port][k];
    int first = 0;
    int st;

    e->mask = -1;
    if (e->writeTask != 0) {
        st = portTaskRelease(e->writeTask);
        if (st < 0 && first == 0)
            first = st;
        e->writeTask = 0;
    }
    if (e->readTask != 0) {
        st = portTaskRelease(e->readTask);
        if (st < 0 && first == 0)
            first = st;
        e->readTask = 0;
    }
    return first;
}

/* Moves entries 0..k-1 one place down, to 1..k; entry 0 keeps its content. */
static int portEntryShift(int port, int k)
{
    if (k > 0)
        memmove(&cache.port[port][1], &cache.port[port][0], (size_t)k * sizeof(PortConfig));
    return 0;
}

static int portEntryToFront(int port, int k)
{
    PortConfig saved = cache.port[port][k];
    portEntryShift(port, k);
    cache.port[port][0] = saved;
    return 0;
}

static int groupCloseAll(void);

static int portCloseAll(void)
{
    (void)groupCloseAll();
    for (int port = 0; port < PORT_SIZE; port++)
        for (int k = 0; k < PORT_CONFIGS; k++)
            (void)portEntryClear(port, k);
    if (staleCount > 0)
        staleClearAll();
    return 0;
}

static int groupReleaseAll(void);

int vekta_portMask(int portN, unsigned char mask)
{
    int status = -1;
    int k;
    PortConfig *entries;

    CHECK(250, 0 <= portN && portN < PORT_SIZE, MSG_PORT_RANGE);
    if (groupHeld & (1 << portN))
        CALL(groupReleaseAll());

    entries = cache.port[portN];
    for (k = 0; k < PORT_CONFIGS; k++) {
        if (entries[k].mask == mask || entries[k].mask == -1)
            break;
    }

    if (k == PORT_CONFIGS) {
        /* All four hold other masks: the least recently used one goes. */
        CALL(portEntryStop(portN, 0));
        CALL(portEntryClear(portN, PORT_CONFIGS - 1));
        CALL(portEntryShift(portN, PORT_CONFIGS - 1));
        CALL(portTaskCreate(portN, 0, mask));
        CALL(portEntryStart(portN, 0));
    } else if (entries[k].mask == -1) {
        if (k > 0) {
            CALL(portEntryStop(portN, 0));
            CALL(portEntryShift(portN, k));
        }
        CALL(portTaskCreate(portN, 0, mask));
        CALL(portEntryStart(portN, 0));
    } else if (k > 0) {
        CALL(portEntryStop(portN, 0));
        CALL(portEntryToFront(portN, k));
        if (portEntryLost(portN))
            CALL(portEntryRebuild(portN, false));
        CALL(portEntryStart(portN, 0));
    } else if (portEntryLost(portN)) {
        /* Entry 0 holds the mask, but the driver lost a task of it. */
        CALL(portEntryRebuild(portN, true));
    }
    /* else entry 0 already holds the mask: the status stays 1 */
    return successExit(status);

Error:
    return failExit(status);
}

int vekta_portOut(int port, unsigned char data)
{
    int status = -1;
    PortConfig *front;

    CHECK(292, 0 <= port && port < PORT_SIZE, MSG_PORT_RANGE);
    if (groupHeld & (1 << port))
        CALL(groupReleaseAll());

    cache.portValue[port] = data;
    if (portEntryLost(port))
        CALL(portEntryRebuild(port, true));
    front = &cache.port[port][0];
    if (front->mask != -1 && front->writeTask != 0) {
        uInt8 byte = data;
        CALL(portTaskCall(&front->writeTask, DAQmxWriteDigitalU8(front->writeTask, 1, 1, DIGITAL_TIMEOUT,
                                                                 DAQmx_Val_GroupByChannel, &byte, NULL, NULL)));
    }
    return successExit(status);

Error:
    return failExit(status);
}

int vekta_portIn(int port, unsigned char *data)
{
    int status = -1;
    uInt8 in = 0;
    uInt8 out = 0;
    PortConfig *front;

    CHECK(305, 0 <= port && port < PORT_SIZE, MSG_PORT_RANGE);
    CHECK(306, data != NULL, MSG_NULL_PTR);
    if (groupHeld & (1 << port))
        CALL(groupReleaseAll());

    if (portEntryLost(port))
        CALL(portEntryRebuild(port, true));
    front = &cache.port[port][0];
    if (front->mask != -1 && front->readTask != 0)
        CALL(portTaskCall(&front->readTask, DAQmxReadDigitalU8(front->readTask, 1, DIGITAL_TIMEOUT,
                                                               DAQmx_Val_GroupByChannel, &in, 1, NULL, NULL)));
    if (front->mask != -1 && front->writeTask != 0)
        CALL(portTaskCall(&front->writeTask, DAQmxReadDigitalU8(front->writeTask, 1, DIGITAL_TIMEOUT,
                                                                DAQmx_Val_GroupByChannel, &out, 1, NULL, NULL)));
    *data = (unsigned char)(((front->mask & out) | (~front->mask & in)) & 0xFF);
    return successExit(status);

Error:
    return failExit(status);
}

/* ------------------------------------------------------------------ */
/* Port groups                                                        */
/* ------------------------------------------------------------------ */

static int groupBits(int first, int count)
{
    return ((1 << count) - 1) << first;
}

/* The entry of a run with a mask, or -1. */
static int groupFind(int first, int count, int mask)
{
    for (int k = 0; k < PORT_GROUP_CONFIGS; k++)
        if (groups[k].first == first && groups[k].count == count && groups[k].mask == mask)
            return k;
    return -1;
}

/* The current group of a run, or NULL. */
static PortGroup *groupCurrent(int first, int count)
{
    for (int k = 0; k < PORT_GROUP_CONFIGS; k++)
        if (groups[k].current && groups[k].first == first && groups[k].count == count)
            return &groups[k];
    return NULL;
}

/* True when a group lacks a task its mask calls for: the driver answered
 * "invalid task" for it. */
static bool groupLost(const PortGroup *g)
{
    return (g->mask != 0 && g->writeTask == 0) || (g->mask != 255 && g->readTask == 0);
}

/* Creates one task of a group, a channel per port ("w<port>" or "r<port>"):
 * the output lines of each port or its input lines. On a failure *field holds
 * the task if it was created: the caller clears it. */
static int groupTaskMake(const PortGroup *g, bool output, TaskHandle *field)
{
    char name[PORT_NAME_SIZE];
    char chan[16];
    int st;

    if (output)
        Fmt(name, "ports%ito%iW%i", g->first, g->first + g->count - 1, g->mask);
    else
        Fmt(name, "ports%ito%iR%i", g->first, g->first + g->count - 1, g->mask);
    st = createTask(name, field);
    if (st < 0)
        return st;
    for (int port = g->first; port < g->first + g->count; port++) {
        if (g->mask == (output ? 255 : 0))
            Fmt(name, "PXI1Slot%i/port%i", cache.slot, port);
        else
            lineList(name, port, g->mask, output ? 1 : 0);
        if (output) {
            Fmt(chan, "w%i", port);
            st = DAQmxCreateDOChan(*field, name, chan, DAQmx_Val_ChanForAllLines);
        } else {
            Fmt(chan, "r%i", port);
            st = DAQmxCreateDIChan(*field, name, chan, DAQmx_Val_ChanForAllLines);
        }
        if (st < 0)
            return st;
    }
    return 0;
}

/* Makes the tasks a group lacks; one that could not be made whole is cleared
 * again. */
static int groupMakeMissing(PortGroup *g)
{
    int st;

    if (staleCount > 0)
        staleClearAll();
    if (g->mask != 0 && g->writeTask == 0) {
        st = groupTaskMake(g, true, &g->writeTask);
        if (st < 0)
            return portTaskUnmake(&g->writeTask, st);
    }
    if (g->mask != 255 && g->readTask == 0) {
        st = groupTaskMake(g, false, &g->readTask);
        if (st < 0)
            return portTaskUnmake(&g->readTask, st);
    }
    return 0;
}

/* The ports' remembered bytes, when every port of the group has one. */
static bool groupBytes(const PortGroup *g, uInt8 *bytes)
{
    for (int i = 0; i < g->count && i < PORT_SIZE; i++) {
        if (cache.portValue[g->first + i] == -1)
            return false;
        bytes[i] = (uInt8)(cache.portValue[g->first + i] & 0xFF);
    }
    return true;
}

/* Starts a group's tasks and writes the ports' remembered bytes to its output
 * lines. It is current from the first start on, so that a release stops what
 * did start. */
static int groupStart(PortGroup *g)
{
    uInt8 bytes[PORT_SIZE];
    int st;

    g->current = 1;
    if (g->readTask != 0) {
        st = portTaskCall(&g->readTask, DAQmxStartTask(g->readTask));
        if (st < 0)
            return st;
    }
    if (g->writeTask != 0) {
        st = portTaskCall(&g->writeTask, DAQmxStartTask(g->writeTask));
        if (st < 0)
            return st;
        if (groupBytes(g, bytes)) {
            st = portTaskCall(&g->writeTask, DAQmxWriteDigitalU8(g->writeTask, 1, 1, DIGITAL_TIMEOUT,
                                                                 DAQmx_Val_GroupByChannel, bytes, NULL, NULL));
            if (st < 0)
                return st;
        }
    }
    return 0;
}

/* Stops a group's tasks; it is current until both stopped. */
static int groupStop(PortGroup *g)
{
    int st;

    if (g->writeTask != 0) {
        st = portTaskCall(&g->writeTask, DAQmxStopTask(g->writeTask));
        if (st < 0)
            return st;
    }
    if (g->readTask != 0) {
        st = portTaskCall(&g->readTask, DAQmxStopTask(g->readTask));
        if (st < 0)
            return st;
    }
    g->current = 0;
    return 0;
}

/* Takes ports for a group: each one not yet taken stops its own current
 * configuration's tasks. */
static int groupTake(int bits)
{
    for (int port = 0; port < PORT_SIZE; port++) {
        const int bit = 1 << port;
        if (!(bits & bit) || (groupHeld & bit))
            continue;
        if (cache.port[port][0].mask != -1) {
            int st = portEntryStop(port, 0);
            if (st < 0)
                return st;
        }
        groupHeld |= bit;
    }
    return 0;
}

/* Stops every current group and gives the ports back: each port's current
 * configuration starts again, as vekta_portMask starts it. */
static int groupReleaseAll(void)
{
    int st;

    for (int k = 0; k < PORT_GROUP_CONFIGS; k++) {
        if (groups[k].current) {
            st = groupStop(&groups[k]);
            if (st < 0)
                return st;
        }
    }
    for (int port = 0; port < PORT_SIZE; port++) {
        const int bit = 1 << port;
        if (!(groupHeld & bit))
            continue;
        groupHeld &= ~bit;
        if (cache.port[port][0].mask != -1) {
            st = portEntryStart(port, 0);
            if (st < 0)
                return st;
        }
    }
    return 0;
}

/* Stops and clears a group's tasks and empties its entry; a task whose clear
 * fails goes to the stale list. Returns the first failing status. */
static int groupClear(PortGroup *g)
{
    int first = 0;
    int st;

    if (g->writeTask != 0) {
        st = portTaskRelease(g->writeTask);
        if (st < 0 && first == 0)
            first = st;
    }
    if (g->readTask != 0) {
        st = portTaskRelease(g->readTask);
        if (st < 0 && first == 0)
            first = st;
    }
    *g = groupEmpty;
    return first;
}

static int groupCloseAll(void)
{
    int first = 0;
    for (int k = 0; k < PORT_GROUP_CONFIGS; k++) {
        int st = groupClear(&groups[k]);
        if (st < 0 && first == 0)
            first = st;
    }
    groupHeld = 0;
    return first;
}

/* An entry for a new group: an empty one, else the least recently used one
 * that is not current, its tasks cleared first. */
static int groupSlot(void)
{
    for (int k = 0; k < PORT_GROUP_CONFIGS; k++)
        if (groups[k].first == -1)
            return k;
    for (int k = PORT_GROUP_CONFIGS - 1; k >= 0; k--) {
        if (!groups[k].current) {
            (void)groupClear(&groups[k]);
            return k;
        }
    }
    return -1; /* not reached: three ports hold at most three current groups */
}

static void groupToFront(int k)
{
    PortGroup saved = groups[k];
    memmove(&groups[1], &groups[0], (size_t)k * sizeof(PortGroup));
    groups[0] = saved;
}

int vekta_portGroupMask(int first, int count, unsigned char mask)
{
    int status = -1;
    int bits;
    int k;

    CHECK(330, 0 <= first && first < PORT_SIZE && 0 < count && count <= PORT_SIZE - first, MSG_PORT_RANGE);
    bits = groupBits(first, count);

    k = groupFind(first, count, mask);
    if (k >= 0 && groups[k].current) {
        /* Already current: made whole again if the driver lost a task. */
        if (groupLost(&groups[k])) {
            CALL(groupMakeMissing(&groups[k]));
            CALL(groupStart(&groups[k]));
        }
        return successExit(status);
    }
    for (int j = 0; j < PORT_GROUP_CONFIGS; j++)
        if (groups[j].current && (groupBits(groups[j].first, groups[j].count) & bits))
            CALL(groupStop(&groups[j]));
    CALL(groupTake(bits));
    if (k < 0) {
        k = groupSlot();
        groups[k].first = first;
        groups[k].count = count;
        groups[k].mask = mask;
        groups[k].writeTask = 0;
        groups[k].readTask = 0;
        groups[k].current = 0;
    }
    groupToFront(k);
    if (groupLost(&groups[0])) {
        status = groupMakeMissing(&groups[0]);
        if (status < 0) {
            /* A group half made is taken out again; its ports stay taken. */
            if (groups[0].writeTask == 0 && groups[0].readTask == 0) {
                memmove(&groups[0], &groups[1], (PORT_GROUP_CONFIGS - 1) * sizeof(PortGroup));
                groups[PORT_GROUP_CONFIGS - 1] = groupEmpty;
            }
            goto Error;
        }
    }
    CALL(groupStart(&groups[0]));
    return successExit(status);

Error:
    return failExit(status);
}

int vekta_portGroupOut(int first, int count, const unsigned char *data)
{
    int status = -1;
    PortGroup *g;

    CHECK(340, 0 <= first && first < PORT_SIZE && 0 < count && count <= PORT_SIZE - first, MSG_PORT_RANGE);
    CHECK(341, data != NULL, MSG_NULL_PTR);

    for (int i = 0; i < count; i++)
        cache.portValue[first + i] = data[i];
    g = groupCurrent(first, count);
    if (g != NULL && groupLost(g)) {
        CALL(groupMakeMissing(g));
        CALL(groupStart(g));
    } else if (g != NULL && g->writeTask != 0) {
        CALL(portTaskCall(&g->writeTask, DAQmxWriteDigitalU8(g->writeTask, 1, 1, DIGITAL_TIMEOUT,
                                                             DAQmx_Val_GroupByChannel, data, NULL, NULL)));
    }
    return successExit(status);

Error:
    return failExit(status);
}

int vekta_portGroupIn(int first, int count, unsigned char *data)
{
    int status = -1;
    uInt8 in[PORT_SIZE] = {0};
    uInt8 out[PORT_SIZE] = {0};
    PortGroup *g;

    CHECK(350, 0 <= first && first < PORT_SIZE && 0 < count && count <= PORT_SIZE - first, MSG_PORT_RANGE);
    CHECK(351, data != NULL, MSG_NULL_PTR);

    g = groupCurrent(first, count);
    if (g != NULL && groupLost(g)) {
        CALL(groupMakeMissing(g));
        CALL(groupStart(g));
    }
    if (g != NULL && g->readTask != 0)
        CALL(portTaskCall(&g->readTask, DAQmxReadDigitalU8(g->readTask, 1, DIGITAL_TIMEOUT, DAQmx_Val_GroupByChannel,
                                                           in, (uInt32)count, NULL, NULL)));
    if (g != NULL && g->writeTask != 0)
        CALL(portTaskCall(&g->writeTask, DAQmxReadDigitalU8(g->writeTask, 1, DIGITAL_TIMEOUT,
                                                            DAQmx_Val_GroupByChannel, out, (uInt32)count, NULL, NULL)));
    for (int i = 0; i < count; i++) {
        const int mask = g != NULL ? g->mask : 0;
        data[i] = (unsigned char)(((mask & out[i]) | (~mask & in[i])) & 0xFF);
    }
    return successExit(status);

Error:
    return failExit(status);
}

int vekta_portGroupRelease(void)
{
    int status = 0;

    CALL(groupReleaseAll());
    return successExit(status);

Error:
    return failExit(status);
}

/* ------------------------------------------------------------------ */
/* Analog options                                                     */
/* ------------------------------------------------------------------ */

/* Copies a source name into a record field; a name too long for the field is
 * cut to its 255 first characters (the driver then refuses the unknown name
 * at the next waveform operation rather than a setting being lost quietly). */
static void sourceCopy(char (&field)[VEKTA_SOURCE_SIZE], const char *source)
{
    if (source == NULL) {
        field[0] = '\0';
        return;
    }
    size_t n = strnlen(source, VEKTA_SOURCE_SIZE - 1);
    memcpy(field, source, n);
    field[n] = '\0';
}

static int optSetClock(AnalogOpt *opt, const char *source, double rate)
{
    sourceCopy(opt->clkSource, source);
    opt->clkRate = rate;
    opt->maskClk = -1;
    vekta_SetLastError(0);
    return 0;
}

static int optSetTrigger(AnalogOpt *opt, const char *source, double level)
{
    sourceCopy(opt->trigSource, source);
    opt->trigLevel = level;
    opt->maskTrig = -1;
    vekta_SetLastError(0);
    return 0;
}

/* Applies the clock and start trigger still pending for channel idx. */
static int analogApplyTiming(AnalogOpt *opt, TaskHandle task, int idx, uInt64 bufferLength)
{
    int bit = 1 << idx;
    int st;

    if (opt->maskClk & bit) {
        st = DAQmxCfgSampClkTiming(task, opt->clkSource, opt->clkRate, DAQmx_Val_Rising, DAQmx_Val_ContSamps,
                                   bufferLength);
        if (st < 0)
            return st;
        opt->maskClk &= ~bit;
    }
    if (opt->maskTrig & bit) {
        if (CompareStrings(opt->trigSource, 0, "", 0, 0) == 0)
            st = DAQmxDisableStartTrig(task);
        else
            st = DAQmxCfgAnlgEdgeStartTrig(task, opt->trigSource, DAQmx_Val_RisingSlope, opt->trigLevel);
        if (st < 0)
            return st;
        opt->maskTrig &= ~bit;
    }
    return 0;
}

/* ------------------------------------------------------------------ */
/* Analog tasks                                                       */
/* ------------------------------------------------------------------ */

/* Ends the creation of an analog channel's task, st being the status of its
 * channel creation. A task whose channel could not be made is cleared again,
 * so the channel's next operation starts over instead of using a task
 * without a channel. A new task has no timing yet: the channel's clock and
 * trigger become pending, so its first waveform or block operation configures
 * them (also after a close, which cleared the task that had them). */
static int analogTaskMade(TaskHandle *field, AnalogOpt *opt, int idx, int st)
{
    if (st < 0) {
        (void)taskDrop(*field);
        *field = 0;
        return st;
    }
    opt->maskClk |= 1 << idx;
    opt->maskTrig |= 1 << idx;
    return 0;
}

/* Clears an analog channel's task. The handle goes when the clear succeeds,
 * and also when the driver answers "invalid task": then it names no task
 * any more, and keeping it would fail every later close. The failure is
 * still returned. */
static int analogTaskClear(TaskHandle *field)
{
    if (*field == 0)
        return 0;
    int st = DAQmxClearTask(*field);
    if (st >= 0 || st == DAQmxErrorInvalidTask)
        *field = 0;
    return st < 0 ? st : 0;
}

/* ------------------------------------------------------------------ */
/* Analog output                                                      */
/* ------------------------------------------------------------------ */

static int aoTaskCreate(int idx)
{
    char name[ANALOG_NAME_SIZE];
    int st;

    /* A task of this channel whose clear failed may still hold the name. */
    if (staleCount > 0)
        staleClearAll();
    Fmt(name, "analog%io", idx);
    st = createTask(name, &cache.ao[idx]);
    if (st < 0)
        return st;
    Fmt(name, "PXI1Slot%i/ao%i", cache.slot, idx);
    st = DAQmxCreateAOVoltageChan(cache.ao[idx], name, "", -10.0, 10.0, DAQmx_Val_Volts, "");
    return analogTaskMade(&cache.ao[idx], &dacOpt, idx, st);
}

static int aoTaskClear(int idx)
{
    return analogTaskClear(&cache.ao[idx]);
}

int vekta_analogOutClk(const char *source, double rate)
{
    return optSetClock(&dacOpt, source, rate);
}

int vekta_analogOutTrigger(const char *source, double level)
{
    return optSetTrigger(&dacOpt, source, level);
}

int vekta_analogOut(int idx, double val)
{
    int status = -1;

    CHECK(385, 0 <= idx && idx < ANALOG_SIZEo, MSG_RANGE);

    if (cache.ao[idx] == 0)
        CALL(aoTaskCreate(idx));
    CALL(DAQmxWriteAnalogF64(cache.ao[idx], 1, 1, 1.0, DAQmx_Val_GroupByChannel, &val, NULL, NULL));
    return successExit(status);

Error:
    if (taskGone(status))
        cache.ao[idx] = 0;
    return failExit(status);
}

int vekta_analogWriteEx(int idx, const double *warray, int size, double timeout)
{
    int status = -1;
    int written = 0;

    CHECK(558, 0 <= idx && idx < ANALOG_SIZEo, MSG_RANGE);
    CHECK(559, warray != NULL, NULL);
    CHECK(560, size > 0, NULL);

    if (cache.ao[idx] == 0)
        CALL(aoTaskCreate(idx));
    if (dacOpt.maskFetch == (1 << idx))
        (void)vekta_analogOutStop(idx);
    CALL(analogApplyTiming(&dacOpt, cache.ao[idx], idx, (uInt64)size));

    while (written < size) {
        int32 count = 0;
        CALL(DAQmxWriteAnalogF64(cache.ao[idx], size - written, 1, timeout, DAQmx_Val_GroupByChannel,
                                 warray + written, &count, NULL));
        /* A write that takes nothing would loop for ever: count it as the
         * driver's write timeout. */
        if (count <= 0) {
            status = DAQmxErrorSamplesCanNotYetBeWritten;
            goto Error;
        }
        written += count > size - written ? size - written : count;
    }
    dacOpt.maskFetch = 1 << idx;
    return successExit(status);

Error:
    if (taskGone(status))
        cache.ao[idx] = 0;
    return failExit(status);
}

int vekta_analogWrite(int idx, const double *warray, int size)
{
    return vekta_analogWriteEx(idx, warray, size, 10.0);
}

int vekta_analogOutStop(int idx)
{
    int status = -1;

    CHECK(604, 0 <= idx && idx < ANALOG_SIZEo, MSG_RANGE);
    CHECK(605, dacOpt.maskFetch == (1<<idx), NULL);

    status = DAQmxStopTask(cache.ao[idx]);
    /* Without a task (cleared by a close, or one the driver no longer knows)
     * nothing can be generating: the bit goes even though the stop fails. */
    if (taskGone(status))
        cache.ao[idx] = 0;
    if (status >= 0 || cache.ao[idx] == 0)
        dacOpt.maskFetch = 0;
    if (status < 0)
        goto Error;
    return successExit(status);

Error:
    return failExit(status);
}

/* ------------------------------------------------------------------ */
/* Analog input                                                       */
/* ------------------------------------------------------------------ */

static int aiTaskCreate(int idx)
{
    char name[ANALOG_NAME_SIZE];
    int st;

    if (staleCount > 0)
        staleClearAll();
    Fmt(name, "analog%iI", idx);
    st = createTask(name, &cache.ai[idx]);
    if (st < 0)
        return st;
    Fmt(name, "PXI1Slot%i/ai%i", cache.slot, idx);
    st = DAQmxCreateAIVoltageChan(cache.ai[idx], name, "", DAQmx_Val_RSE, -10.0, 10.0, DAQmx_Val_Volts, "");
    return analogTaskMade(&cache.ai[idx], &anlgClock, idx, st);
}

static int aiTaskClear(int idx)
{
    return analogTaskClear(&cache.ai[idx]);
}

/* Reads size samples into warray, as many driver reads as it takes. */
static int blockRead(TaskHandle task, double *warray, int size, int *sampsRead, double timeout)
{
    int total = 0;
    int st = 0;

    while (total < size) {
        int32 count = 0;
        st = DAQmxReadAnalogF64(task, size - total, timeout, DAQmx_Val_GroupByChannel, warray + total,
                                (uInt32)(size - total), &count, NULL);
        if (st < 0)
            return st;
        /* A read that brings nothing would loop for ever: count it as the
         * driver's read timeout. */
        if (count <= 0)
            return DAQmxErrorSamplesNotYetAvailable;
        total += count > size - total ? size - total : count;
    }
    if (sampsRead != NULL)
        *sampsRead = size;
    return st;
}

/* One second of samples at the clock rate, by truncation; a rate that is not
 * a number or not positive gives 0 and one beyond the 64-bit range the
 * largest length, so the conversion is always defined (the driver judges
 * the rate itself). */
static uInt64 bufferLengthOf(double rate)
{
    if (!(rate > 0.0))
        return 0;
    if (rate >= 18446744073709551616.0)
        return UINT64_MAX;
    return (uInt64)rate;
}

int vekta_analogInClk(const char *source, double rate)
{
    return optSetClock(&anlgClock, source, rate);
}

int vekta_analogInTrigger(const char *source, double level)
{
    return optSetTrigger(&anlgClock, source, level);
}

int vekta_analogIn(int idx, double *val)
{
    int status = -1;

    CHECK(395, 0 <= idx && idx < ANALOG_SIZEi, MSG_RANGE);
    CHECK(396, val != NULL, NULL);

    if (cache.ai[idx] == 0)
        CALL(aiTaskCreate(idx));
    CALL(DAQmxReadAnalogF64(cache.ai[idx], 1, 1.0, DAQmx_Val_GroupByChannel, val, 1, NULL, NULL));
    return successExit(status);

Error:
    if (taskGone(status))
        cache.ai[idx] = 0;
    return failExit(status);
}

int vekta_analogReadEx(int idx, double *warray, int size, int *sampsRead, double timeout)
{
    int status = -1;

    CHECK(430, 0 <= idx && idx < ANALOG_SIZEi, MSG_RANGE);
    CHECK(431, warray != NULL, NULL);
    CHECK(432, size > 0, NULL);

    if (cache.ai[idx] == 0)
        CALL(aiTaskCreate(idx));
    CALL(analogApplyTiming(&anlgClock, cache.ai[idx], idx, (uInt64)size));
    CALL(blockRead(cache.ai[idx], warray, size, sampsRead, timeout));
    CALL(DAQmxStopTask(cache.ai[idx]));
    return successExit(status);

Error:
    if (taskGone(status))
        cache.ai[idx] = 0;
    return failExit(status);
}

int vekta_analogRead(int idx, double *warray, int size, int *sampsRead)
{
    return vekta_analogReadEx(idx, warray, size, sampsRead, 10.0);
}

int vekta_analogFetchEx(int idx, double *warray, int size, int *sampsRead, double timeout)
{
    int status = -1;

    CHECK(469, 0 <= idx && idx < ANALOG_SIZEi, MSG_RANGE);
    CHECK(470, warray != NULL, NULL);
    CHECK(471, size > 0, NULL);

    if (anlgClock.maskFetch == 0) {
        if (cache.ai[idx] == 0)
            CALL(aiTaskCreate(idx));
        CALL(analogApplyTiming(&anlgClock, cache.ai[idx], idx, bufferLengthOf(anlgClock.clkRate)));
        anlgClock.maskFetch = 1 << idx;
    }
    /* Another channel's acquisition runs: refused, nothing read or changed. */
    CHECK(481, anlgClock.maskFetch == (1<<idx), NULL);

    CALL(blockRead(cache.ai[idx], warray, size, sampsRead, timeout));
    return successExit(status);

Error:
    if (taskGone(status))
        cache.ai[idx] = 0;
    return failExit(status);
}

int vekta_analogFetchStatus(void)
{
    int result = anlgClock.maskFetch != 0 ? 1 : 0;
    vekta_SetLastError(result);
    return result;
}

int vekta_analogInStop(int idx)
{
    int status = -1;

    CHECK(518, 0 <= idx && idx < ANALOG_SIZEi, MSG_RANGE_STOP);
    CHECK(519, anlgClock.maskFetch == (1<<idx), NULL);

    status = DAQmxStopTask(cache.ai[idx]);
    /* Without a task (cleared by a close, or one the driver no longer knows)
     * no acquisition can run: the bit goes even though the stop fails, or no
     * channel could ever fetch again. */
    if (taskGone(status))
        cache.ai[idx] = 0;
    if (status >= 0 || cache.ai[idx] == 0)
        anlgClock.maskFetch = 0;
    if (status < 0)
        goto Error;
    return successExit(status);

Error:
    return failExit(status);
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
