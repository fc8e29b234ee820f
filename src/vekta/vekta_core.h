/*
 * vekta's shared core, for the library's own files only (vekta.cpp,
 * vekta_ports.cpp, vekta_port_groups.cpp, vekta_analog.cpp): not installed,
 * not for the program's modules, which take vekta.h. It holds the messages of
 * the checks, the CHECK and CALL macros and the two exits that end every
 * device operation, the library's records, the task table, and what the ports,
 * the port groups and the close call of one another.
 *
 * Hidden: a shared object the library is linked into (the Python module)
 * exports none of these names; they stay the library's own.
 */
#ifndef KORVANE_VEKTA_CORE_H
#define KORVANE_VEKTA_CORE_H

#include "korvane/NIDAQmx.h"
#include "vekta/vekta.h"

#pragma GCC visibility push(hidden)

/* Messages of the checks. The Cyrillic ones are Windows-1251 bytes, kept as
 * they are in the reports. */
#define MSG_PORT_RANGE "\xcf\xee\xf0\xf2\x20\xe2\xed\xe5\x20\xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0" /* "Port out of range" */
#define MSG_RANGE "\xe2\xed\xe5\x20\xe4\xe8\xe0\xef\xe0\xe7\xee\xed\xe0" /* "out of range" */
#define MSG_RANGE_STOP "\xe2\xed\xe5\x20\xe4\xe8\xef\xe0\xe7\xee\xed\xe0" /* "out of range"; the missing letter is part of the report */
#define MSG_NULL_PTR "NULL ptr"

/* Writes the report of a failed check into the last error text. */
void checkReport(int line, const char *cond, const char *msg);
/* The exits of every operation (vekta.cpp). */
int failExit(int status);
int successExit(int status);

/* A check stores 1 or 0 in the status; 0 writes the report, which quotes the
 * condition exactly as the check writes it, and fails. `line` is the check's
 * fixed number in the report, part of the report's text that callers and logs
 * know: it is not the line of a file and does not move when a file changes. */
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

#define DIGITAL_TIMEOUT 10.0
#define PORT_NAME_SIZE 1024
#define ANALOG_NAME_SIZE 256

/* The library's records (vekta.cpp): the slot, the port configurations and
 * the analog tasks; the analog options of the outputs (dacOpt) and of the
 * inputs (anlgClock); the port groups, most recently used first, and the
 * ports they hold (a bit per port). */
extern VektaCache cache;
extern AnalogOpt dacOpt;
extern AnalogOpt anlgClock;
extern PortGroup groups[PORT_GROUP_CONFIGS];
extern int groupHeld;
static constexpr PortGroup groupEmpty = {-1, 0, -1, 0, 0, 0};

/* The task table (vekta.cpp): how many tasks whose clear failed wait to be
 * cleared again, and the calls every kind of task shares. */
extern int staleCount;
bool taskGone(int status);
int taskDrop(TaskHandle task);
void staleClearAll(void);
int createTask(const char *name, TaskHandle *field);

/* Ports (vekta_ports.cpp), used by the port groups and the close. */
void lineList(char (&name)[PORT_NAME_SIZE], int port, int mask, int bitValue);
int portTaskRelease(TaskHandle task);
int portTaskCall(TaskHandle *field, int st);
int portTaskStart(TaskHandle *field);
int portTaskWrite(TaskHandle *field, const uInt8 *bytes);
int portTasksStop(TaskHandle *writeTask, TaskHandle *readTask);
int portTaskUnmake(TaskHandle *field, int st);
int portEntryStart(int port, int k);
int portEntryStop(int port, int k);
int portCloseAll(void);

/* Port groups (vekta_port_groups.cpp), used by the ports. */
int groupReleaseAll(void);
int groupCloseAll(void);

/* Analog channels (vekta_analog.cpp), used by the close. */
int aoTaskClear(int idx);
int aiTaskClear(int idx);

#pragma GCC visibility pop

#endif
