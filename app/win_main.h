#pragma once
#include "platform/win/windows_api.h"

// The viewer's entry: brings up the log, the data folders, the window and
// the device, runs the viewer until the user quits and takes everything down
// in reverse order. 1 after a normal run, 0 after a start-up failure. None
// of the arguments is used.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
