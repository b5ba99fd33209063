// The command line: one command on the data file, run without a window or a display.
#pragma once

namespace commandline {

// True when there are arguments: each is for the command line, where one that is not a known option is a usage error.
// The one exception is "--write" alone, which opens the windows ready to write a diary entry.
bool wanted(int argc, char** argv);
// True for "tevu --write".
bool opensNewEntry(int argc, char** argv);
// Runs the command; the exit status: 0 done, 1 failed, 2 a usage error.
int run(int argc, char** argv);

} // namespace commandline
