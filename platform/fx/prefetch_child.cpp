#include "platform/fx/prefetch_child.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "base/log.h"

namespace fx {

void end_plainly_on_crash() {
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT}) std::signal(signal, SIG_DFL);
  const rlimit no_core{0, 0};
  setrlimit(RLIMIT_CORE, &no_core);
}

namespace {

[[noreturn]] void run_child(int report_fd, size_t count, const std::function<void(size_t)>& work) {
  // The log belongs to the parent, which reports every load itself.
  log_enable(false);
  end_plainly_on_crash();
  const int null_fd = open("/dev/null", O_RDWR | O_CLOEXEC);
  if (null_fd >= 0) {
    for (int stream : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) dup2(null_fd, stream);
    close(null_fd);
  }
  // A parent that is gone makes the report fail: the child stops there.
  std::signal(SIGPIPE, SIG_DFL);
  for (size_t item = 0; item < count; ++item) {
    work(item);
    const char done = 1;
    ssize_t written;
    while ((written = write(report_fd, &done, 1)) < 0 && errno == EINTR) {
    }
    if (written != 1) _exit(1);
  }
  _exit(0);
}

}  // namespace

PrefetchChild::~PrefetchChild() {
  if (report_fd_ >= 0) close(report_fd_);
}

bool PrefetchChild::start(size_t count, const std::function<void(size_t)>& work) {
  if (running() || count == 0) return false;
  int pipe_ends[2];
  if (pipe2(pipe_ends, O_CLOEXEC) != 0) return false;
  const pid_t child = fork();
  if (child < 0) {
    close(pipe_ends[0]);
    close(pipe_ends[1]);
    return false;
  }
  if (child == 0) {
    close(pipe_ends[0]);
    run_child(pipe_ends[1], count, work);
  }
  close(pipe_ends[1]);
  pid_ = child;
  report_fd_ = pipe_ends[0];
  count_ = count;
  done_ = 0;
  return true;
}

void PrefetchChild::wait_for(size_t item, int item_seconds) {
  while (running() && done_ <= item && done_ < count_) {
    pollfd report{report_fd_, POLLIN, 0};
    const int ready = poll(&report, 1, item_seconds * 1000);
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) kill(pid_, SIGKILL);
    if (ready <= 0) break;
    char reports[64];
    const ssize_t got = read(report_fd_, reports, sizeof reports);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done_ += size_t(got);
  }
  if (running() && (done_ >= count_ || done_ <= item)) reap();
}

void PrefetchChild::reap() {
  close(report_fd_);
  report_fd_ = -1;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace fx
