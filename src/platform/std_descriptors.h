// std_descriptors.h: standard input, output and error at start-up: one that is not
// open is taken by /dev/null before any file is opened, so no file lands on it.
#pragma once

// Descriptors 0, 1 and 2 that are not open become /dev/null, read-only. Otherwise
// the first file opened (the log) would take the number, and the frame stream or
// other programs' messages would go into it; read-only, a write there still fails
// as it did on the closed descriptor. Called first thing by the shells of main.
void OpenMissingStandardDescriptors();
