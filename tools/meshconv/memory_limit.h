#pragma once
#include <cstdint>
#include <string>
#include <vector>

// meshconv's memory budget: a limit on its address space, so that a model
// that makes the importer allocate without end fails with one clear line
// (std::bad_alloc is caught by the conversion) instead of taking the machine.

// A quarter of physical memory, at most 4 GiB.
uint64_t default_memory_limit();

// Removes "--max-memory MB" (or "--max-memory=MB") from arguments and sets
// *bytes; leaves *bytes alone when the option is absent. False with *problem
// for a value that is not a whole number of MiB above 0.
bool take_memory_limit(std::vector<std::string>& arguments, uint64_t* bytes, std::string* problem);

// True in an AddressSanitizer build, where no address-space limit is applied.
bool sanitizer_build();

// Applies the limit to this process (not under AddressSanitizer, which
// needs a huge address space of its own). False when the system refused.
bool apply_memory_limit(uint64_t bytes);
