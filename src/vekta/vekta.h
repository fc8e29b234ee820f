/*
 * vekta: hardware access library of the bench's NI 6251 DAQ module.
 * Small blocking calls that create their DAQ tasks on first use and keep them
 * until vekta_ni6251Close. Every operation returns a status: negative on
 * failure (a driver error code, or -1 for a failed argument check), else 0,
 * 1 or a positive driver warning. The words of a failure are in the last
 * error text (vekta_GetLastErrorBuffer).
 */
#ifndef KORVANE_VEKTA_H
#define KORVANE_VEKTA_H

#include "korvane/NIDAQmx.h"

#ifdef __cplusplus
extern "C" {
#endif

#define PORT_SIZE 3
#define PORT_CONFIGS 4
#define ANALOG_SIZEo 2
#define ANALOG_SIZEi 8
#define VEKTA_ERROR_TEXT_SIZE 1024
#define VEKTA_SOURCE_SIZE 256

/* Last error state */
int vekta_SetLastError(int code);
int vekta_GetLastError(void);
char *vekta_GetLastErrorBuffer(void);
int vekta_PrintLastError(void);

/* Digital ports */
typedef struct {
    int mask;             /* direction mask 0..255 (bit set: output), -1 empty */
    TaskHandle writeTask; /* task of the output lines, 0 if none */
    TaskHandle readTask;  /* task of the input lines, 0 if none */
} PortConfig;

int vekta_portMask(int port, unsigned char mask);
int vekta_portOut(int port, unsigned char data);
int vekta_portIn(int port, unsigned char *data);
/* 1 when vekta_portIn reads the port's lines through the driver (the port's
 * current configuration has a task), 0 when it gives 0 without a driver call
 * (no configuration, or no such port). Asks the library's record alone: no
 * driver call, the last error state unchanged. */
int vekta_portReadsLines(int port);

/* Port groups: a run of whole ports moved together through one task per
 * direction, with a channel per port, for transfers that turn ports around at
 * every word (the bus master's block transfers). A group's tasks are started
 * explicitly and run while it is current, so its reads and writes cost the
 * access alone, without the driver's implicit start and stop around each. The
 * driver lets one running task hold a line: a group takes its ports from their
 * own configurations (whose tasks stop) until vekta_portGroupRelease, or any
 * port operation on one of them, gives them back (the groups' tasks stop; each
 * port's current configuration starts again and writes its remembered byte, as
 * vekta_portMask does). A group's bytes are the ports' remembered bytes. Up to
 * PORT_GROUP_CONFIGS groups are kept, their tasks until vekta_ni6251Close. */
#define PORT_GROUP_CONFIGS 4
typedef struct {
    int first;            /* first port of the run; -1 empty */
    int count;            /* ports in the run */
    int mask;             /* direction mask of each port of the run */
    TaskHandle writeTask; /* the output lines, a channel per port; 0 if none */
    TaskHandle readTask;  /* the input lines likewise; 0 if none */
    int current;          /* 1 while the group's tasks run */
} PortGroup;

/* Makes the run first..first+count-1 current with `mask` on each port: stops
 * any current group that shares a port with it, takes the ports, starts the
 * run's tasks (made on first use) and writes the ports' remembered bytes to
 * its output lines. 1 when it already was current. */
int vekta_portGroupMask(int first, int count, unsigned char mask);
/* Remembers data[0..count-1] as the ports' bytes and writes them, one call,
 * when the run is current with output lines (else 1, nothing written). */
int vekta_portGroupOut(int first, int count, const unsigned char *data);
/* Reads the run's ports, one call per direction, as vekta_portIn reads one:
 * output lines give the level driven, input lines the level read; 0 for a
 * run that is not current. */
int vekta_portGroupIn(int first, int count, unsigned char *data);
/* Stops the current groups and gives every port taken back. */
int vekta_portGroupRelease(void);

/* Analog options record: clock and start trigger pending per channel */
typedef struct {
    int maskClk;
    char clkSource[VEKTA_SOURCE_SIZE];
    double clkRate;
    int maskTrig;
    char trigSource[VEKTA_SOURCE_SIZE];
    double trigLevel;
    int maskFetch;
} AnalogOpt;

/* The library's record of slot, port configurations and analog tasks */
typedef struct {
    int slot;
    PortConfig port[PORT_SIZE][PORT_CONFIGS];
    TaskHandle ao[ANALOG_SIZEo];
    TaskHandle ai[ANALOG_SIZEi];
    int portValue[PORT_SIZE];
} VektaCache;

/* Analog output */
int vekta_analogOutClk(const char *source, double rate);
int vekta_analogOutTrigger(const char *source, double level);
int vekta_analogOut(int idx, double val);
int vekta_analogWriteEx(int idx, const double *warray, int size, double timeout);
int vekta_analogWrite(int idx, const double *warray, int size);
int vekta_analogOutStop(int idx);

/* Analog input */
int vekta_analogInClk(const char *source, double rate);
int vekta_analogInTrigger(const char *source, double level);
int vekta_analogIn(int idx, double *val);
int vekta_analogReadEx(int idx, double *warray, int size, int *sampsRead, double timeout);
int vekta_analogRead(int idx, double *warray, int size, int *sampsRead);
int vekta_analogFetchEx(int idx, double *warray, int size, int *sampsRead, double timeout);
int vekta_analogFetchStatus(void);
int vekta_analogInStop(int idx);

/* Slot selection and close */
int vekta_ni6251Slot(int slot);
int vekta_ni6251Close(void);

/* Devices the driver knows: `korvane devices`, the self-test's check of the
 * module, and the hint after a report of a missing device. Texts are cut to
 * their fields. */
#define VEKTA_PRODUCT_TYPE "PXI-6251"
#define VEKTA_DEVICE_TEXT_SIZE 256
typedef struct {
    char name[VEKTA_DEVICE_TEXT_SIZE];
    char productType[VEKTA_DEVICE_TEXT_SIZE];
    unsigned serialNum;
    int chassis; /* PXI chassis and slot; -1 for a device outside a PXI chassis */
    int slot;
} VektaDevice;

/* The device the library builds its channel names on: "PXI1Slot<slot>". */
int vekta_ni6251Device(char *name, int size);
/* The devices the driver knows, in its order: the first `size` into list,
 * how many it knows into *count. */
int vekta_deviceList(VektaDevice *list, int size, int *count);
/* One device's product type, serial number, chassis and slot. */
int vekta_deviceGet(const char *name, VektaDevice *device);
/* 1 for a driver status that says the device named is not there
 * (-200220 and its relatives), else 0. */
int vekta_deviceMissing(int status);
/* After such a report: one line naming the device the library looks for and
 * the devices the driver has, with what to do, once per slot selection (the
 * operator's Open). 1 and the line in text when it is due, else 0. Leaves
 * the last error state as it was. */
int vekta_deviceHint(char *text, int size);

/* Read-only views of the library's state, for tests and diagnostics. */
const VektaCache *vekta_cacheView(void);
const AnalogOpt *vekta_dacOptView(void);
const AnalogOpt *vekta_anlgClockView(void);
/* The PORT_GROUP_CONFIGS kept groups, most recently used first. */
const PortGroup *vekta_portGroupView(void);

#ifdef __cplusplus
}
#endif

#endif
