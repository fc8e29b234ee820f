/*
 * korvane: the main panel of the bench operator program.
 *
 * Control identifiers of panel 1 of korvane.uir, written the way the panel
 * editor writes its header: one #define per control, named as the control's
 * constant name in the panel file. The identifiers are the panel file's; the
 * test panel_constants_test checks every pair against korvane.uir.
 */
#ifndef KORVANE_H
#define KORVANE_H

/* Panel resource of the main panel */
#define PANEL 1

/* Hardware commands (control 4 is Close: the one control the main module
 * dims while the hardware is closed) */
#define OPEN_BTN 2
#define DEFAULT_BTN 3
#define CLOSE_BTN 4
#define OPEN_ONLY_CTRL CLOSE_BTN

/* Analog area */
#define AO1_NUMERIC 8
#define AO0_NUMERIC 11
#define AO_LINK_TOGGLE 12
#define AI_TIMER 24

/* Avalon area */
#define DAC_VOUT2 9
#define DAC_VOUT1 10
#define AV_INIT_BTN 13
#define AV_DEINIT_BTN 14
#define AV_READ_DATA 30
#define AV_READ_ADDR 31
#define AV_READ_SLAVE 32
#define AV_WRITE_BTN 33
#define AV_WRITE_DATA 34
#define AV_WRITE_ADDR 35
#define AV_WRITE_SLAVE 36
#define DAC_CTRL_BIT2 37
#define DAC_CTRL_BIT0 38
#define AV_READ_BTN 39
#define DAC_CTRL_BIT1 40
#define AV_SET_I_BTN 41
#define AV_I_ACK_BTN 42
#define ADC_VIN2 43
#define ADC_VIN2_CODE 44
#define ADC_VIN1 45
#define DAC_VOUT2_CODE 46
#define DAC_VOUT1_CODE 47
#define ADC_VIN1_CODE 48
#define AVALON_TIMER 49

/* Digital port area */
#define PORT_OUT_2 15
#define PORT_OUT_1 16
#define PORT_OUT_0 17
#define PORT_MASK_2 18
#define PORT_IN_2 19
#define PORT_IN_1 20
#define PORT_MASK_1 21
#define PORT_IN_0 22
#define PORT_MASK_0 23
#define PORT_TIMER 25
#define PORT_DEFAULT_BTN 26
#define PORT_MODE_INPUT_BTN 27
#define PORT_MODE_OUTPUT_BTN 28

/* Decorations: the titled frames of the three areas and the command row */
#define PORT_FRAME 50
#define ANALOG_FRAME 51
#define AVALON_FRAME 52
#define COMMAND_FRAME 53

/* The chart of the analog inputs and the ADC channels */
#define SIGNAL_CHART 54

/* End of the panel file's constants */

#ifdef __cplusplus
extern "C" {
#endif

/* Main panel handle (the load status if loading failed) */
extern int panelHandle;
/* 1 while the hardware is open, else 0 */
extern int pxi_opened;

/* Main module */
int panelCB(int panel, int event, void *callbackData, int eventData1, int eventData2);
void pxi_draw_gui(void);
void pxi_open(void);
void pxi_close(void);
void pxi_default(void);
int pxi_open_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int pxi_close_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int pxi_default_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
/* Registers every callback of the panel file by its name; before LoadPanel. */
void korvane_register_callbacks(void);

/* Area interface: draw at start-up, open, close and default steps */
void port_draw_gui(void);
void port_open(void);
void port_close(void);
void port_default(void);

void analog_draw_gui(void);
void analog_open(void);
void analog_close(void);
void analog_default(void);

void avalon_draw_gui(void);
void avalon_open(void);
void avalon_close(void);
void avalon_default(void);

/* Digital port area callbacks */
int write_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int mask_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int port_timer_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int port_default_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int port_mode_input_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int port_mode_output_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* Avalon area callbacks */
int avalon_init_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_deinit_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int a_write_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int a_read_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_dac_control_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_vout1_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_vout2_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_vout1_code_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_vout2_code_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int set_i_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int i_ack_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int avalon_timer_cb(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

/* Analog area callbacks */
int ai_timer_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int ao0_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int ao1_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);
int ao0ao1_CB(int panel, int control, int event, void *callbackData, int eventData1, int eventData2);

#ifdef __cplusplus
}

#include <string>

/* Checks that the loaded main panel has every control the program uses, with
 * the right kind: "" or the one line to report. */
std::string korvane_check_panel(int panel);
/* The driver in use in a few words: "simulated bench", "NI-DAQmx",
 * "incomplete driver" (entry points missing), "no driver". */
std::string korvane_driver_name(void);
/* Gives the run-time's status line its facts: the driver ("SIMULATED BENCH"
 * in capitals), the hardware's state and the driver calls counted by the
 * import layer. */
void korvane_share_status(void);
/* Marks the hardware area's frame when the driver is not the hardware:
 * "Hardware \u2014 SIMULATED BENCH" or "Hardware \u2014 NO DRIVER". */
void korvane_mark_driver(int panel);
#endif

#endif
