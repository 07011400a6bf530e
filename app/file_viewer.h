#pragma once
#include <string>
#include <vector>

// `meshview [options] FILE`: reads the arguments after the program name,
// shows the file in a window or writes one frame of it (--output), and gives
// the exit status: 0 shown or written, 1 the model could not be loaded or
// rendered (one line on standard error says which file and why), 2 bad usage.
int RunCommandLine(const std::vector<std::string>& arguments);

// Where the viewer opened on a file keeps its loader log: a file of the
// user's cache folder, never beside the model.
std::string FileModeLogPath();
