#pragma once
#include <string>
#include <vector>

#include "platform/win/windows_api.h"

// Platform-internal: the handle that WM_DROPFILES carries, holding the
// dropped paths until DragFinish.
HDROP make_drop(std::vector<std::string> paths);
