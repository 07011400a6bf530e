#pragma once
#include <string>

// Turns a path written in a script or input.txt into one that opens here:
// '\' separators (files written on Windows) become '/', and when the path does
// not exist as written, each component is matched case-insensitively in its
// folder. A path that still matches nothing comes back with only the
// separators changed, so the caller's open fails and reports it.
std::string resolve_existing_path(const char* path);
