// SPDX-FileCopyrightText: 2026 The Borvane developers
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

// The program run from the command line: --help, --version, and --esporta, which makes the
// plot of the plot window without a screen and writes it to a file:
//
//   borvane --esporta FILE --figura ellisse|iperbole --a A --b B --c C
//           [--incr R] [--base] [--dimensione LxA]
//
// The values go through the parameter window's own checks, with its messages (on standard
// error); the plot is the plot window's own activation, on a drawing area of the given size.

// Whether the arguments call for the command line: one of its options is among them. Without
// any (Qt's own, such as -platform, do not count) the program opens its windows as always.
bool isCommandLine(int argc, char **argv);

// Runs the command line. The exit status: 0 done; 1 the file could not be written, or the plot
// stopped on a runtime error (no file is written); 2 the arguments were refused (no file is
// written).
int runCommandLine(int argc, char **argv);
