#pragma once
#include <string>

// Claims a new file name for a screenshot in folder: "meshview-0001.png",
// "meshview-0002.png", ... the first that does not exist yet, created empty
// at once (exclusively, so that two viewers in one folder never write the
// same file and no existing file is ever overwritten). "" when every name
// is taken or the folder cannot be written.
std::string ClaimScreenshotName(const std::string& folder);

// Writes the back buffer to a newly claimed name in folder; the name, or ""
// when nothing was written (the claimed file is removed again).
std::string SaveNewScreenshot(const std::string& folder);
