/*
 * vekta's port groups: a run of adjacent ports written and read as one, by
 * one task per direction with a channel per port. A group takes its ports
 * from their own configurations (vekta_ports.cpp) while it is current and
 * gives them back at the next single-port operation on one of them.
 */
#include <string.h>

#include "korvane/NIDAQmx.h"
#include "base/korvane_base.h"
#include "vekta/vekta.h"
#include "vekta/vekta_core.h"
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
    st = portTaskStart(&g->readTask);
    if (st < 0)
        return st;
    if (g->writeTask != 0) {
        st = portTaskStart(&g->writeTask);
        if (st < 0)
            return st;
        if (groupBytes(g, bytes)) {
            st = portTaskWrite(&g->writeTask, bytes);
            if (st < 0)
                return st;
        }
    }
    return 0;
}

/* Stops a group's tasks; it is current until both stopped. */
static int groupStop(PortGroup *g)
{
    int st = portTasksStop(&g->writeTask, &g->readTask);

    if (st < 0)
        return st;
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
int groupReleaseAll(void)
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

int groupCloseAll(void)
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
        CALL(portTaskWrite(&g->writeTask, data));
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
