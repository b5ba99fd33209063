// The command line: one command on the data file, run without a window or a display.
#pragma once

#include <QString>

namespace commandline {

// True when there are arguments: each is for the command line, where one that is not a known option is a usage error.
// The exceptions open the windows: "--write" (ready to write a diary entry) and "--data FILE" (on that file), alone or
// together.
bool wanted(int argc, char** argv);
// True for "tevu --write", with or without "--data FILE".
bool opensNewEntry(int argc, char** argv);
// The file of "--data FILE" (or "--data=FILE") when the arguments open the windows; empty otherwise.
QString windowsDataFile(int argc, char** argv);
// Runs the command; the exit status: 0 done, 1 failed, 2 a usage error.
int run(int argc, char** argv);

} // namespace commandline
