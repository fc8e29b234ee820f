/*
 * vekta's digital ports, one port at a time: the four most recently used
 * configurations (masks) of each port, each with its write task of the output
 * lines and its read task of the input lines, and the byte last written.
 * The records, the exits and the task table are the core's (vekta.cpp,
 * vekta_core.h); the port groups (vekta_port_groups.cpp) take the ports from
 * here and give them back.
 */
#include <string.h>

#include "korvane/NIDAQmx.h"
#include "base/korvane_base.h"
#include "vekta/vekta.h"
#include "vekta/vekta_core.h"

/* ------------------------------------------------------------------ */
/* Digital ports                                                      */
/* ------------------------------------------------------------------ */

/* Appends "PXI1Slot<slot>/port<port>/line<n>" for every line whose mask bit
 * equals bitValue, comma separated, in ascending line order. */
void lineList(char (&name)[PORT_NAME_SIZE], int port, int mask, int bitValue)
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
int portTaskRelease(TaskHandle task)
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

/* Passes on the status of a call on a port task; a task the driver no longer
 * knows is forgotten (its field goes to 0), so the port's next operation
 * builds it again from the kept mask. */
int portTaskCall(TaskHandle *field, int st)
{
    if (taskGone(st))
        *field = 0;
    return st;
}

/* Starts a port task, if there is one. */
int portTaskStart(TaskHandle *field)
{
    if (*field == 0)
        return 0;
    return portTaskCall(field, DAQmxStartTask(*field));
}

/* Writes one sample on demand: a byte for each port of the task. */
int portTaskWrite(TaskHandle *field, const uInt8 *bytes)
{
    return portTaskCall(field, DAQmxWriteDigitalU8(*field, 1, 1, DIGITAL_TIMEOUT, DAQmx_Val_GroupByChannel, bytes,
                                                   NULL, NULL));
}

/* Stops a write task and a read task (those there are), the write task first;
 * the first failure ends it. */
int portTasksStop(TaskHandle *writeTask, TaskHandle *readTask)
{
    int st;

    if (*writeTask != 0) {
        st = portTaskCall(writeTask, DAQmxStopTask(*writeTask));
        if (st < 0)
            return st;
    }
    if (*readTask != 0) {
        st = portTaskCall(readTask, DAQmxStopTask(*readTask));
        if (st < 0)
            return st;
    }
    return 0;
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
int portTaskUnmake(TaskHandle *field, int st)
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
 * as a new configuration gets them (then *wrote, if given, is set). A task
 * that could not be made whole is cleared again; one made whole stays. */
static int portEntryRebuild(int port, bool start, bool *wrote = nullptr)
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
        st = portTaskStart(&e->readTask);
        if (st < 0)
            return st;
    }
    if (makeWrite && cache.portValue[port] != -1) {
        uInt8 byte = (uInt8)(cache.portValue[port] & 0xFF);
        st = portTaskWrite(&e->writeTask, &byte);
        if (st < 0)
            return st;
        if (wrote)
            *wrote = true;
    }
    return 0;
}

/* Starts the read task of entry k and writes the port's remembered byte again
 * (the write's auto-start starts the write task). */
int portEntryStart(int port, int k)
{
    PortConfig *e = &cache.port[port][k];
    PortConfig *front = &cache.port[port][0];
    int st;

    st = portTaskStart(&e->readTask);
    if (st < 0)
        return st;
    if (cache.portValue[port] != -1 && front->mask != -1 && front->writeTask != 0) {
        uInt8 byte = (uInt8)(cache.portValue[port] & 0xFF);
        st = portTaskWrite(&front->writeTask, &byte);
        if (st < 0)
            return st;
    }
    return 0;
}

int portEntryStop(int port, int k)
{
    PortConfig *e = &cache.port[port][k];
    return portTasksStop(&e->writeTask, &e->readTask);
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

int portCloseAll(void)
{
    (void)groupCloseAll();
    for (int port = 0; port < PORT_SIZE; port++)
        for (int k = 0; k < PORT_CONFIGS; k++)
            (void)portEntryClear(port, k);
    if (staleCount > 0)
        staleClearAll();
    return 0;
}

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
    bool written = false;
    PortConfig *front;

    CHECK(292, 0 <= port && port < PORT_SIZE, MSG_PORT_RANGE);
    if (groupHeld & (1 << port))
        CALL(groupReleaseAll());

    cache.portValue[port] = data;
    front = &cache.port[port][0];
    /* A rebuilt write task gets the remembered byte, which is `data`: that
     * is the write. */
    if (portEntryLost(port))
        CALL(portEntryRebuild(port, true, &written));
    if (!written && front->mask != -1 && front->writeTask != 0) {
        uInt8 byte = data;
        CALL(portTaskWrite(&front->writeTask, &byte));
    }
    return successExit(status);

Error:
    return failExit(status);
}

int vekta_portReadsLines(int port)
{
    if (port < 0 || port >= PORT_SIZE)
        return 0;
    const PortConfig *front = &cache.port[port][0];
    return front->mask != -1 && (front->readTask != 0 || front->writeTask != 0);
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
