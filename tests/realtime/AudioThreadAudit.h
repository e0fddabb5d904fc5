#pragma once

// The interface of libvulpane-rt-audit.so, an LD_PRELOAD library that counts what a thread does
// while it is marked as running audio: heap calls (malloc family, every operator new and delete),
// file, folder and console calls, mutex and read-write lock waits longer than 50 microseconds,
// and every condition-variable or semaphore wait and sleep. Each different
// call site is kept with a short backtrace and the step the driver named when it entered.
//
// A driver looks these up with dlsym(RTLD_DEFAULT, ...): when they are missing the library is not
// preloaded. Nothing here allocates except vulpane_audit_report, which runs outside any section.
extern "C" {
// Marks the calling thread as in audio until vulpane_audit_leave. `step` must stay valid for the
// whole run (a string literal); `detail` is a number shown with it (a parameter index, a program).
void vulpane_audit_enter(const char* step, int detail);
void vulpane_audit_leave(void);
// Calls counted so far, over every kind.
unsigned long long vulpane_audit_total(void);
// Prints the counts per call and every recorded call site to fd; returns the total.
unsigned long long vulpane_audit_report(int fd);
}

using VulpaneAuditEnter = void (*)(const char*, int);
using VulpaneAuditLeave = void (*)();
using VulpaneAuditTotal = unsigned long long (*)();
using VulpaneAuditReport = unsigned long long (*)(int);
