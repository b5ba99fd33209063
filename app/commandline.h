// The command line: one command on the data file, run without a window or a display.
#pragma once

namespace commandline {

// True when the arguments name a command (an option starting with "--", or -h, -v, -?); otherwise the program starts
// its windows, as it always has, and Qt takes its own arguments.
bool wanted(int argc, char** argv);
// Runs the command; the exit status: 0 done, 1 failed, 2 a usage error.
int run(int argc, char** argv);

} // namespace commandline
