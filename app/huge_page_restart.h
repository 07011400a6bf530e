#pragma once
#include <optional>
#include <string>

// Most of a start-up's page faults come from large blocks (decoded images,
// the driver's textures and framebuffers). glibc's allocator backs them with
// 2 MiB pages when its `glibc.malloc.hugetlb` tunable is set, which it reads
// only when a process starts; so the viewer restarts itself once, at the top
// of main, with the tunable added.

// The GLIBC_TUNABLES value to restart with, given the current one (null when
// unset); nothing when the current value already names the hugetlb tunable,
// whatever its value: a user's choice stands, and a restarted process never
// restarts again.
std::optional<std::string> tunables_with_huge_pages(const char* current);

// The file this process runs, by its own name: the kernel names a process
// after the file it executes, so restarting through "/proc/self/exe" would
// list the viewer as "exe" in ps and top. "/proc/self/exe" itself when the
// name cannot be found or no longer runs.
std::string executable_path();

// Replaces the process by `program` with `argv`, the tunable added to its
// environment, when tunables_with_huge_pages asks for it. Returns only when
// there is nothing to do or the exec failed; the caller then simply goes on.
void restart_with_huge_pages(const char* program, char** argv);
