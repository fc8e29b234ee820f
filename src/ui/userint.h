/*
 * korvane's panel run-time: panels loaded from a panel file, controls,
 * callbacks bound by name, timers and the event loop, over the error output
 * and formatting helpers of korvane_base.h. The program calls these exactly
 * as it would call a LabWindows/CVI-style user-interface library.
 *
 * Statuses: negative on failure (see the UIE* codes), else 0 or a handle.
 */
#ifndef KORVANE_USERINT_H
#define KORVANE_USERINT_H

#include "base/korvane_base.h"

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Events passed to callbacks */
#define EVENT_COMMIT 1
#define EVENT_CLOSE 11
#define EVENT_TIMER_TICK 15
#define EVENT_DISCARD 16

/* Control attributes */
#define ATTR_DIMMED 500
#define ATTR_CTRL_MODE 620
#define ATTR_LABEL_TEXT 641 /* text: a control's label, a frame's title */
#define ATTR_PRECISION 735
#define ATTR_ENABLED 1271

/* Values of ATTR_CTRL_MODE */
#define VAL_INDICATOR 0
#define VAL_HOT 1

/* Control styles for NewCtrl */
#define CTRL_NUMERIC 100

/* Failure statuses of the run-time */
#define UIENoError 0
#define UIEHandleInvalid (-1)      /* no such panel */
#define UIEInvalidControlId (-2)   /* no such control on the panel */
#define UIEAttributeInvalid (-3)   /* attribute not known or not valid for the control */
#define UIEValueInvalid (-4)       /* attribute value out of range */
#define UIEFileNotFound (-5)       /* the panel file cannot be opened */
#define UIEPanelFileInvalid (-6)   /* syntax or content fault in the panel file */
#define UIEResourceNotFound (-7)   /* no panel with that resource number in the file */
#define UIECallbackNotFound (-8)   /* a callback name in the file is not registered */
#define UIENotInitialized (-9)     /* InitCVIRTE has not run */
#define UIEFrontEndFailed (-10)    /* the window system could not be started */
#define UIECtrlTypeInvalid (-11)   /* the operation does not apply to this kind of control */
#define UIEOutOfMemory (-12)

typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData, int eventData1,
                               int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1, int eventData2);

/* 0 on failure, non-zero on success. */
int InitCVIRTE(void *hInstance, char *argv[], void *reserved);
int LoadPanel(int parentPanelHandle, const char *filename, int panelResourceID);
int DisplayPanel(int panelHandle);
int RunUserInterface(void);
int QuitUserInterface(int returnCode);
int DiscardPanel(int panelHandle);
int SetCtrlAttribute(int panelHandle, int controlID, int attribute, int value);
int GetCtrlAttribute(int panelHandle, int controlID, int attribute, int *value);
int NewCtrl(int panelHandle, int controlStyle, const char *label, int top, int left);

/* Text of a UIE* status. */
const char *GetUILErrorString(int status);

#ifdef __cplusplus
}

/* Values: the control's data type decides what is stored; an int given to a
 * double control is converted, and a double given to an integer control is
 * rounded to the nearest integer. */
int SetCtrlVal(int panelHandle, int controlID, int value);
int SetCtrlVal(int panelHandle, int controlID, double value);
int GetCtrlVal(int panelHandle, int controlID, int *value);
int GetCtrlVal(int panelHandle, int controlID, double *value);

/* Text attributes (ATTR_LABEL_TEXT). The getter copies the text NUL-ended,
 * cut to the buffer's size; UIEValueInvalid for a NULL text or buffer. */
int SetCtrlAttribute(int panelHandle, int controlID, int attribute, const char *value);
int GetCtrlAttribute(int panelHandle, int controlID, int attribute, char *value, size_t size);

namespace ui {
/* Callbacks are bound by function name: the program registers each callback
 * under its name before LoadPanel, which resolves every name in the file. */
int RegisterCallback(const char *name, CtrlCallbackPtr fn);
int RegisterCallback(const char *name, PanelCallbackPtr fn);
}  // namespace ui

#endif /* __cplusplus */

#endif
