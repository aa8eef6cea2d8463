// Diagnostics: one line on standard error for whoever runs the program, saying
// what went wrong or what the program did instead. Every part of the engine
// and the converter reports through this, never through its own printing.
#pragma once

// printf-style; the line end is added.
void DiagnosticLine(const char* format, ...) __attribute__((format(printf, 1, 2)));
