#pragma once
#include "platform/win/windows_api.h"

// Platform-internal: drops the posted messages of a window that is being
// destroyed, as Windows does.
void purge_posted_messages(HWND hwnd);
