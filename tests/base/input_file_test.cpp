#include "base/input_file.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "base/bin_file.h"
#include "base/memory_files.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

// A bound Unix socket at path, closed with the object.
class SocketFile {
 public:
  explicit SocketFile(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~SocketFile() { ::close(fd_); }
  bool bound() const { return bound_; }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

bool log_mentions(const LogCapture& log, const std::string& text) {
  for (const std::string& line : log.lines()) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

// Every kind of thing that is not a regular file is refused at once, through
// both the stream and the whole-file reader, and the reason reaches the log.
// A FIFO without a writer would block a plain open forever.
TEST(InputFileTest, OnlyRegularFilesAreRead) {
  TempDir dir;
  LogCapture log;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  std::filesystem::create_directory(dir.file("folder"));
  SocketFile socket(dir.file("sock"));
  ASSERT_TRUE(socket.bound());
  write_whole_file(dir.file("big.txt"), std::string(input_size_limit(InputKind::Settings) + 1, 'x'));

  struct Case {
    std::string path;
    InputKind kind;
    const char* reason;
  };
  const Case cases[] = {
      {dir.file("folder"), InputKind::Effect, "is a directory"},
      {dir.file("pipe"), InputKind::Model, "not a regular file (a FIFO)"},
      {dir.file("sock"), InputKind::Image, "not a regular file (a socket)"},
      {"/dev/zero", InputKind::Effect, "not a regular file (a device)"},
      {"/dev/null", InputKind::Script, "not a regular file (a device)"},
      {dir.file("big.txt"), InputKind::Settings, "larger than 1 MiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    InputStatus status;
    MemoryFileBytes keep;
    FILE* stream = open_input_stream(c.path.c_str(), c.kind, &keep, &status);
    EXPECT_EQ(stream, nullptr);
    if (stream) std::fclose(stream);
    EXPECT_FALSE(status.missing);
    EXPECT_EQ(status.reason, c.reason);

    std::vector<uint8_t> bytes;
    EXPECT_FALSE(read_input_file(c.path.c_str(), c.kind, bytes, &status));
    EXPECT_EQ(status.reason, c.reason);
    EXPECT_TRUE(bytes.empty());
    EXPECT_TRUE(log_mentions(log, "<error> cannot read " + c.path + ": " + c.reason));
  }
  // The same file within the limit of a larger kind is read whole.
  std::string text;
  EXPECT_TRUE(read_input_text(dir.file("big.txt").c_str(), InputKind::Script, text, nullptr));
  EXPECT_EQ(text.size(), input_size_limit(InputKind::Settings) + 1);
}

TEST(InputFileTest, MissingFileIsLeftToTheCallersReport) {
  TempDir dir;
  LogCapture log;
  InputStatus status;
  std::vector<uint8_t> bytes;
  for (const std::string& path : {dir.file("absent"), dir.file("absent/below"), std::string()}) {
    EXPECT_FALSE(read_input_file(path.c_str(), InputKind::Model, bytes, &status));
    EXPECT_TRUE(status.missing) << path;
  }
  EXPECT_FALSE(read_input_file(nullptr, InputKind::Model, bytes, &status));
  EXPECT_TRUE(log.lines().empty());
}

TEST(InputFileTest, CallersLimitTightensTheKindsLimit) {
  TempDir dir;
  write_whole_file(dir.file("ten.bin"), "0123456789");
  std::vector<uint8_t> bytes;
  InputStatus status;
  EXPECT_TRUE(read_input_file(dir.file("ten.bin").c_str(), InputKind::Effect, bytes, &status, 10));
  EXPECT_EQ(bytes.size(), 10u);
  EXPECT_FALSE(read_input_file(dir.file("ten.bin").c_str(), InputKind::Effect, bytes, &status, 9));
  EXPECT_EQ(status.reason, "larger than 9 bytes");
}

TEST(MemoryFilesTest, RegisteredPathIsServedToEveryReader) {
  TempDir dir;
  write_whole_file(dir.file("model.txt"), "on disk");
  const std::string onDisk = dir.file("model.txt");
  ScopedMemoryFile memory(onDisk, std::string_view("in memory"));

  // The whole-file reader and the stream reader both see the memory bytes,
  // even where a file of that name exists.
  std::string text;
  ASSERT_TRUE(read_input_text(onDisk.c_str(), InputKind::Script, text, nullptr));
  EXPECT_EQ(text, "in memory");

  BinFile file;
  ASSERT_NE(file.open(onDisk.c_str(), "r", InputKind::Script), nullptr);
  char buffer[32] = {};
  EXPECT_EQ(std::fscanf(file.handle(), "%31s", buffer), 1);
  EXPECT_STREQ(buffer, "in");
  EXPECT_EQ(file.read(buffer, 6), 1);
  EXPECT_EQ(std::string(buffer, 6), " memor");
  EXPECT_EQ(file.read(buffer, 2), 0) << "only one byte is left";
}

TEST(MemoryFilesTest, PathsMatchAfterFoldingSeparatorsDotsAndCase) {
  ScopedMemoryFile memory("models/hero.x_out", std::string_view("MeSh"));
  for (const char* path : {"models/hero.x_out", "./models/hero.x_out", "models\\hero.x_out",
                           "models/../models/./hero.x_out", "MODELS/Hero.X_OUT"}) {
    EXPECT_NE(find_memory_file(path), nullptr) << path;
  }
  for (const char* path : {"hero.x_out", "models/hero.x_ou", "other/models/hero.x_out", ""}) {
    EXPECT_EQ(find_memory_file(path), nullptr) << path;
  }
}

TEST(MemoryFilesTest, OpenStreamOutlivesItsEntry) {
  register_memory_file("held.bin", std::vector<uint8_t>{1, 2, 3, 4});
  BinFile file;
  ASSERT_NE(file.open("held.bin", "rb", InputKind::Model), nullptr);
  EXPECT_TRUE(unregister_memory_file("held.bin"));
  EXPECT_FALSE(unregister_memory_file("held.bin"));
  register_memory_file("held.bin", std::string_view("replaced"));
  int32_t value = 0;
  ASSERT_EQ(file.readInt(&value), 1);
  EXPECT_EQ(value, 0x04030201);
  clear_memory_files();
  EXPECT_EQ(find_memory_file("held.bin"), nullptr);
  EXPECT_EQ(file.open("held.bin", "rb"), nullptr);
  EXPECT_TRUE(file.status().missing);
}

TEST(MemoryFilesTest, EmptyAndOversizedMemoryFiles) {
  ScopedMemoryFile empty("empty.txt", std::string_view());
  BinFile file;
  ASSERT_NE(file.open("empty.txt", "r"), nullptr);
  EXPECT_EQ(std::fgetc(file.handle()), EOF);

  ScopedMemoryFile big("big.txt", std::string(input_size_limit(InputKind::Settings) + 1, ' '));
  EXPECT_EQ(file.open("big.txt", "r", InputKind::Settings), nullptr);
  EXPECT_EQ(file.status().reason, "larger than 1 MiB");
  EXPECT_NE(file.open("big.txt", "r", InputKind::Script), nullptr);
  EXPECT_EQ(file.open("big.txt", "w"), nullptr) << "input only";
}

}  // namespace
