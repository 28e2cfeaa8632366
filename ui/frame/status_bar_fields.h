#pragma once

// The status bar: its copyright line, and its fields.

// The product's copyright line, shown in the first field at start-up.
extern const char* const CopyrightLine;

// The status bar field that keeps the outcome of the last write; the first
// field is rewritten on every tick.
constexpr int CheckStatusField = 1;
