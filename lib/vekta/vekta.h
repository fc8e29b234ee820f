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

#include "NIDAQmx.h"

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

#ifdef __cplusplus
}
#endif

#endif
