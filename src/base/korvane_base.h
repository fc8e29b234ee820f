/*
 * The toolkit-free base of korvane's run-time: report output, the debugger
 * break and the small formatting helpers. The hardware library and the bus
 * master use these alone; the panel run-time (userint.h) adds panels,
 * controls and the event loop on top.
 */
#ifndef KORVANE_BASE_H
#define KORVANE_BASE_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

/* printf-style text on the run-time's error output: standard error and the
 * window's log pane. Windows-1251 bytes in the text are shown as UTF-8. */
int ErrorPrintf(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* printf-style note for the operator: the window's log pane (and what a
 * script's expect-log reads) but not standard error; not an error report. */
int NotePrintf(const char *format, ...) __attribute__((format(printf, 1, 2)));

/* Stops in an attached debugger (SIGTRAP); without one it does nothing. */
void Breakpoint(void);

/* 0 when the two texts, from the given indexes on, are equal; <0 or >0 as
 * strcmp. caseSensitive 0 compares without regard to ASCII case. */
int CompareStrings(const char *string1, int string1Index, const char *string2, int string2Index,
                   int caseSensitive);

/* The quiet NaN whose two high bytes are 7F F8 and whose other bytes are 0. */
double NotANumber(void);

/* Fmt's workhorse: formats %s, %i and %d items into target of the given
 * size, always NUL-ended; returns the length written, or -1 when the text
 * was cut to fit. Use Fmt. */
int FmtN(char *target, size_t size, const char *format, ...);

#ifdef __cplusplus
}

/* Formats into a character array, never past its end. */
template <size_t N, class... Args>
inline int Fmt(char (&target)[N], const char *format, Args... args)
{
    return FmtN(target, N, format, args...);
}
#endif /* __cplusplus */

#endif
