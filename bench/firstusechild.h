#pragma once

// The child processes of plenwick_bench_firstuse: each does one thing in a fresh process, as a
// user would, and prints what it measured as "key=value" lines on its standard output.
//
//   start PATH DAY        starts as the program does with the clock on DAY; "shown" once the
//                         Home list has painted, then works until the day's background work is
//                         done and closes as a user does
//   materials PATH        Ctrl+2 to the Materials list's first paint
//   picker PATH           Add Materials on the Estimate screen to the picker's list painted
//   estimate PATH         a double-click on Home to the Estimate screen's lines painted, then
//                         eight steps to the next estimate
//   floor PATH VALUES SQL...       the statements stepped to their end with SQLite's C API
//   estimatefloor PATH ESTIMATEID  the statements of an estimate's lines and totals, likewise

inline constexpr const char* kChildOption = "--firstuse-child";

int runFirstUseChild(int argc, char** argv);
