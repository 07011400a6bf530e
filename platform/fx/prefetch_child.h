#pragma once
#include <sys/types.h>

#include <cstddef>
#include <functional>

// Work done ahead in a child process while this one goes on: the child runs
// the work for each item in turn and reports each one as it finishes; a
// caller that needs an item waits only until the child is past it. What the
// work leaves behind (files) is how its results come back.
namespace fx {

// For a forked helper child: a crash ends it plainly, without the handlers
// the parent installed and without leaving a core file in the user's folder.
void end_plainly_on_crash();

class PrefetchChild {
 public:
  PrefetchChild() = default;
  // Does not wait: the child notices at its next report and ends.
  ~PrefetchChild();
  PrefetchChild(const PrefetchChild&) = delete;
  PrefetchChild& operator=(const PrefetchChild&) = delete;

  // Forks a child that runs work(0) ... work(count - 1) with the log off and
  // standard streams on /dev/null. Meant for a process with one thread: the
  // child carries only the calling one. False when no child could be made
  // (the caller then simply does the work itself).
  bool start(size_t count, const std::function<void(size_t)>& work);

  // Returns once item is done or the child has ended (crashed, killed or
  // finished); at once when nothing was started. A child that reports
  // nothing for item_seconds is taken as hung and killed.
  void wait_for(size_t item, int item_seconds);
  bool running() const { return pid_ > 0; }

 private:
  void reap();

  pid_t pid_ = -1;
  int report_fd_ = -1;
  size_t count_ = 0;
  size_t done_ = 0;
};

}  // namespace fx
