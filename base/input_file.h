#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "base/memory_files.h"

// The one way input files are opened. Only regular files are read: a
// directory, FIFO, socket or device is refused at once (never opened for a
// blocking read), and each kind of input has a size limit. A path registered
// with memory_files.h is served from memory instead of the disk. Paths go
// through resolve_existing_path ('\' separators, case-insensitive match).
//
// A refusal is written to the loader log as "<error> cannot read PATH: REASON";
// a file that does not exist is left to the caller's own report.

enum class InputKind {
  Any,        // 1 GiB
  Model,      // 1 GiB: the loader judges every count against the bytes left
  Script,     // 16 MiB
  Settings,   // input.txt, 1 MiB
  FontTable,  // 16 MiB
  Image,      // 256 MiB of file; the decoded size has its own budget
  Effect,     // 8 MiB for an effect together with all its includes
};

// The largest file accepted for kind, in bytes.
uint64_t input_size_limit(InputKind kind);

struct InputStatus {
  bool missing = false;  // nothing at the path (neither in memory nor on disk)
  std::string path;      // the path actually read
  std::string reason;    // why it was not read; empty after success
};

// An open stdio stream on the file (the caller closes it), or null with
// status->reason set. keepAlive holds the bytes a memory file's stream reads
// and must outlive the stream.
FILE* open_input_stream(const char* path, InputKind kind, MemoryFileBytes* keepAlive,
                        InputStatus* status);

// The whole file, at most limit bytes (0: the kind's limit). False with
// status->reason set when it is missing, refused or unreadable.
bool read_input_file(const char* path, InputKind kind, std::vector<uint8_t>& bytes,
                     InputStatus* status, uint64_t limit = 0);
bool read_input_text(const char* path, InputKind kind, std::string& text, InputStatus* status,
                     uint64_t limit = 0);
