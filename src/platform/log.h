// log.h: the run's only record, ParticlesLog.txt: one flushed line per call.
// Opened first thing at start-up, closed by the exit handler.
#pragma once

#include <cstdio>

// The log stream (named as the program names its globals: g_ for a global, then a
// letter for its type, p for a pointer); set by LogSystemStart, never null after it
// returns, null again after LogSystemEnd.
extern FILE* g_pFile;

// Creates (or truncates) the log file. When it cannot be created the process
// ends at once with exit status 2 and no message.
void LogSystemStart(const char* fileName);

// LogSystemStart for a caller that explains the failure itself: false, with errno
// saying why, when the file cannot be created.
bool LogSystemOpen(const char* fileName);

// Writes text and a newline, then flushes, so the line survives a crash right after.
void LogSystemOut(const char* text);

// Closes the log; lines written afterwards are dropped.
void LogSystemEnd();

// 0 while every write, flush and the close since the log was opened succeeded;
// otherwise the errno of the first that failed. The demo never stops for it; the
// capture tool reports it, since there the log is an output like its others.
int LogSystemError();
