/* How a driver or board library marks the C functions it exports: visible in
 * an ELF library built with hidden visibility; __declspec(dllexport) in a
 * Windows DLL (without it MinGW exports every symbol). The one place outside
 * src/base's platform layer that tells the two systems apart. */
#ifndef KORVANE_EXPORT_H
#define KORVANE_EXPORT_H

#ifdef _WIN32
#define KORVANE_EXPORT __declspec(dllexport)
#else
#define KORVANE_EXPORT __attribute__((visibility("default")))
#endif

#endif
