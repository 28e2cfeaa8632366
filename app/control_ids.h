#pragma once

// The product's copyright line shown in the status bar.
extern const char* const CopyrightLine;

// The status bar field that keeps the outcome of the last write; the first
// field is rewritten on every tick.
constexpr int CheckStatusField = 1;
