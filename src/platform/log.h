// log.h: the run's only record, ParticlesLog.txt: one flushed line per call.
// Opened first thing at start-up, closed by the exit handler.
#pragma once

#include <cstdio>

// The log stream; set by LogSystemStart, never null after it returns, null again
// after LogSystemEnd.
extern FILE* g_pFile;

// Creates (or truncates) the log file. When it cannot be created the process
// ends at once with exit status 2 and no message.
void LogSystemStart(const char* fileName);

// Writes text and a newline, then flushes, so the line survives a crash right after.
void LogSystemOut(const char* text);

// Closes the log; lines written afterwards are dropped.
void LogSystemEnd();
