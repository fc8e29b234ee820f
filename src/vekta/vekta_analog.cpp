/*
 * vekta's analog outputs and inputs: a task per channel, single values and
 * blocks, the continuous acquisition (fetch) and generation, and the options
 * records (dacOpt, anlgClock) whose clock and trigger reach a channel's task
 * at its next waveform or block operation. The records, the exits and the
 * task table are the core's (vekta.cpp, vekta_core.h).
 */
#include <stdint.h>
#include <string.h>

#include "korvane/NIDAQmx.h"
#include "base/korvane_base.h"
#include "vekta/vekta.h"
#include "vekta/vekta_core.h"
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

/* Stops the running generation or acquisition of a channel's task. Without a
 * task (cleared by a close, or one the driver no longer knows) nothing can be
 * running: the fetch bit goes even though the stop fails, or no channel could
 * ever start again. */
static int analogFetchStop(TaskHandle *field, AnalogOpt *opt)
{
    int st = DAQmxStopTask(*field);
    if (taskGone(st))
        *field = 0;
    if (st >= 0 || *field == 0)
        opt->maskFetch = 0;
    return st;
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

int aoTaskClear(int idx)
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

    status = analogFetchStop(&cache.ao[idx], &dacOpt);
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

int aiTaskClear(int idx)
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

    status = analogFetchStop(&cache.ai[idx], &anlgClock);
    if (status < 0)
        goto Error;
    return successExit(status);

Error:
    return failExit(status);
}
