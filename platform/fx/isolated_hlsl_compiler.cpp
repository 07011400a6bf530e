#include "platform/fx/isolated_hlsl_compiler.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fx/glslang_process.h"
#include "platform/fx/prefetch_child.h"

namespace fx {
namespace {

void append_u32(std::string& out, uint32_t value) {
  out.append(reinterpret_cast<const char*>(&value), 4);
}

bool read_u32(const std::string& in, size_t& at, uint32_t& value) {
  if (in.size() - at < 4) return false;
  std::memcpy(&value, in.data() + at, 4);
  at += 4;
  return true;
}

// One entry's result as the child hands it over: compiled, messages, SPIR-V words.
std::string encode(const EntryResult& result) {
  std::string out(1, result.compiled ? '\1' : '\0');
  append_u32(out, static_cast<uint32_t>(result.messages.size()));
  out += result.messages;
  append_u32(out, static_cast<uint32_t>(result.spirv.size()));
  out.append(reinterpret_cast<const char*>(result.spirv.data()), result.spirv.size() * 4);
  return out;
}

bool decode(const std::string& in, size_t& at, EntryResult& result) {
  size_t next = at + 1;
  uint32_t size = 0;
  if (at >= in.size() || !read_u32(in, next, size) || in.size() - next < size) return false;
  result.compiled = in[at] == '\1';
  result.messages.assign(in, next, size);
  next += size;
  if (!read_u32(in, next, size) || (in.size() - next) / 4 < size) return false;
  result.spirv.resize(size);
  if (size > 0) std::memcpy(result.spirv.data(), in.data() + next, size * 4ull);
  at = next + size * 4ull;
  return true;
}

bool write_all(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Reads until the child closes its end or the deadline passes; false on timeout.
bool read_until_closed(int fd, std::string& bytes, std::chrono::steady_clock::time_point deadline) {
  char buffer[65536];
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd request{fd, POLLIN, 0};
    int ready = poll(&request, 1, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return ready != 0;
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    bytes.append(buffer, static_cast<size_t>(n));
  }
}

std::string how_it_ended(int status) {
  if (WIFSIGNALED(status)) {
    const int signal = WTERMSIG(status);
    return "crashed on this effect (signal " + std::to_string(signal) + ", " + strsignal(signal) +
           ")";
  }
  return "stopped on this effect with status " + std::to_string(WEXITSTATUS(status));
}

class IsolatedHlslCompiler : public HlslCompiler {
 public:
  explicit IsolatedHlslCompiler(std::unique_ptr<HlslCompiler> inner) : inner_(std::move(inner)) {}

  bool preprocess(const std::string& source, const std::string& source_name, std::string& output,
                  std::string& messages, std::vector<IncludedFile>* included) override {
    return inner_->preprocess(source, source_name, output, messages, included);
  }

  bool compile(const std::string& source, const std::string& source_name, ShaderStage stage,
               const std::string& entry_point, std::vector<uint32_t>& spirv,
               std::string& messages) override {
    std::vector<EntryResult> results = compile_entries(source, source_name, {{stage, entry_point}});
    spirv = std::move(results[0].spirv);
    messages = std::move(results[0].messages);
    return results[0].compiled;
  }

  // All entry points of an effect compile in one child, which pays the
  // process's copy-on-write faults once.
  std::vector<EntryResult> compile_entries(const std::string& source,
                                           const std::string& source_name,
                                           const std::vector<EntryRequest>& entries) override {
    warm_up();
    int pipe_ends[2];
    if (pipe(pipe_ends) != 0) return inner_->compile_entries(source, source_name, entries);
    const pid_t child = fork();
    if (child < 0) {
      close(pipe_ends[0]);
      close(pipe_ends[1]);
      return inner_->compile_entries(source, source_name, entries);
    }
    if (child == 0) run_child(pipe_ends, source, source_name, entries);
    close(pipe_ends[1]);
    std::string bytes;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::seconds(kCompileSecondsLimit);
    const bool finished = read_until_closed(pipe_ends[0], bytes, deadline);
    close(pipe_ends[0]);
    if (!finished) kill(child, SIGKILL);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    std::vector<EntryResult> results(entries.size());
    size_t at = 0;
    size_t received = 0;
    while (received < entries.size() && decode(bytes, at, results[received])) ++received;
    if (received == entries.size() && finished && WIFEXITED(status) && WEXITSTATUS(status) == 0)
      return results;
    // The entry the child was working on when it ended gets the reason (the
    // compiler parses the whole source for each entry, so the fault may lie
    // anywhere in it); the ones after it were never tried.
    const size_t failed = received < entries.size() ? received : entries.size() - 1;
    const std::string ending = finished ? how_it_ended(status)
                                        : "did not finish this effect within " +
                                              std::to_string(kCompileSecondsLimit) + " s";
    for (size_t i = failed; i < entries.size(); ++i) results[i] = EntryResult();
    results[failed].messages = source_name + ": error: the HLSL compiler " + ending + "\n";
    return results;
  }

 private:
  // glslang builds its tables of built-in functions on the first compile of
  // each stage and keeps them; built here once, every child inherits them
  // instead of building them again.
  void warm_up() {
    static std::once_flag warmed_up;
    std::call_once(warmed_up, [this] {
      ensure_glslang_initialized();
      inner_->compile_entries(
          "float4 vs() : POSITION { return 0; }\nfloat4 ps() : COLOR { return 0; }\n", "warm-up",
          {{ShaderStage::Vertex, "vs"}, {ShaderStage::Pixel, "ps"}});
    });
  }

  [[noreturn]] void run_child(const int pipe_ends[2], const std::string& source,
                              const std::string& source_name,
                              const std::vector<EntryRequest>& entries) {
    close(pipe_ends[0]);
    end_plainly_on_crash();
    std::signal(SIGPIPE, SIG_IGN);
    for (const EntryRequest& entry : entries) {
      EntryResult result;
      result.compiled = inner_->compile(source, source_name, entry.stage, entry.entry_point,
                                        result.spirv, result.messages);
      // Sent one by one, so that a later crash still names its own entry.
      if (!write_all(pipe_ends[1], encode(result))) _exit(1);
    }
    _exit(0);
  }

  std::unique_ptr<HlslCompiler> inner_;
};

}  // namespace

std::unique_ptr<HlslCompiler> make_isolated_hlsl_compiler(std::unique_ptr<HlslCompiler> inner) {
  return std::make_unique<IsolatedHlslCompiler>(std::move(inner));
}

std::unique_ptr<HlslCompiler> make_effect_hlsl_compiler() {
  return make_isolated_hlsl_compiler(make_glslang_hlsl_compiler());
}

}  // namespace fx
