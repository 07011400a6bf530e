#pragma once
#include <ostream>
#include <string>
#include <vector>

// The violations of the model format's rules that the model at path breaks,
// each as one "<error> " line: what the viewer's loader rejects while
// reading the chunks and the script (it stops at the first), every
// consistency violation of what it read (not only the first), and the rules
// the loader leaves to the viewer (positions and indices present, blend
// weights paired with a matrix palette, clip frame numbers below the frame
// count). Empty for a valid model.
std::vector<std::string> validateModel(const std::string& path);

// meshinfo --validate: the lines of validateModel, then a verdict; 0 when the
// model is valid, 1 when it breaks a rule.
int runValidation(const std::string& path, std::ostream& out);
