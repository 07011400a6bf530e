#pragma once
#include <ostream>
#include <string>
#include <vector>

// meshinfo's whole behaviour: arguments without the program name; the report
// goes to out, usage complaints to err. Returns the exit code: 0 when the
// model loaded, 1 when the load failed (the loader's log says why), 2 on bad
// usage.
int runMeshinfo(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);
