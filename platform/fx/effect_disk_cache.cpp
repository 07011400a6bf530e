#include "platform/fx/effect_disk_cache.h"

#include <glslang/build_info.h>
#include <spirv_cross/spirv_cross_c.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "platform/fx/effect_serialization.h"

namespace fx {

namespace {

// Raise when the front end's output changes for the same input without the
// program changing too (it normally does: the key names the program file).
constexpr char kFrontEndVersion[] = "meshview effect front end 2";
constexpr char kMagic[8] = {'M', 'V', 'F', 'X', 'C', 'A', 'C', 'H'};

uint64_t fnv1a(const void* data, size_t size, uint64_t hash = 0xcbf29ce484222325ull) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 0x100000001b3ull;
  }
  return hash;
}

// The running program's file: size and modification time. A rebuilt program
// does not trust what an earlier build wrote.
std::string program_identity() {
  static const std::string identity = [] {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return std::string("unknown program");
    const auto size = std::filesystem::file_size(self, error);
    const auto time = std::filesystem::last_write_time(self, error);
    return self.string() + " " + std::to_string(size) + " " +
           std::to_string(time.time_since_epoch().count());
  }();
  return identity;
}

void put_u32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(char(uint8_t(value >> shift)));
}

void put_u64(std::string& out, uint64_t value) {
  for (int shift = 0; shift < 64; shift += 8) out.push_back(char(uint8_t(value >> shift)));
}

bool get_u64(const std::string& in, size_t at, uint64_t& value) {
  if (at > in.size() || in.size() - at < 8) return false;
  value = 0;
  for (int i = 0; i < 8; ++i) value |= uint64_t(uint8_t(in[at + size_t(i)])) << (8 * i);
  return true;
}

}  // namespace

std::filesystem::path EffectDiskCache::default_folder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::filesystem::path(xdg) / "meshview" / "effects";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/')
    return std::filesystem::path(home) / ".cache" / "meshview" / "effects";
  return {};
}

std::string EffectDiskCache::make_key(const std::string& source, const std::string& name,
                                      const std::string& options) {
  std::string key = kFrontEndVersion;
  key += "\nglslang " + std::to_string(GLSLANG_VERSION_MAJOR) + "." +
         std::to_string(GLSLANG_VERSION_MINOR) + "." + std::to_string(GLSLANG_VERSION_PATCH) +
         GLSLANG_VERSION_FLAVOR;
  key += "\nSPIRV-Cross C API " + std::to_string(SPVC_C_API_VERSION_MAJOR) + "." +
         std::to_string(SPVC_C_API_VERSION_MINOR) + "." + std::to_string(SPVC_C_API_VERSION_PATCH);
  key += "\n" + program_identity();
  key += "\noptions " + options;
  key += "\nname " + name;
  key += "\nsource " + std::to_string(source.size()) + "\n";
  key += source;
  return key;
}

std::filesystem::path EffectDiskCache::entry_path(const std::string& key) const {
  char name[32];
  std::snprintf(name, sizeof name, "%016llx.fxc",
                static_cast<unsigned long long>(fnv1a(key.data(), key.size())));
  return folder_ / name;
}

// File layout: magic, key length and key, the count of included files and
// each one's path and bytes (lengths first), payload length, payload, and a
// hash of everything before it, so a cut or damaged file is recognised.
std::shared_ptr<const CompiledEffect> EffectDiskCache::load(
    const std::string& key, std::string& messages, std::vector<IncludedFile>& includes) const {
  if (folder_.empty()) return nullptr;
  std::ifstream in(entry_path(key), std::ios::binary);
  if (!in) return nullptr;
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || file.size() < sizeof kMagic + 4 + 4 + 8) return nullptr;
  const size_t body = file.size() - 8;
  uint64_t stored_hash = 0;
  if (!get_u64(file, body, stored_hash) || stored_hash != fnv1a(file.data(), body)) return nullptr;
  if (file.compare(0, sizeof kMagic, kMagic, sizeof kMagic) != 0) return nullptr;
  size_t at = sizeof kMagic;
  auto read_u32 = [&](uint32_t& value) {
    if (body - at < 4) return false;
    value = 0;
    for (int i = 0; i < 4; ++i) value |= uint32_t(uint8_t(file[at + size_t(i)])) << (8 * i);
    at += 4;
    return true;
  };
  uint32_t key_length = 0;
  if (!read_u32(key_length) || body - at < key_length) return nullptr;
  if (key_length != key.size() || file.compare(at, key_length, key) != 0) return nullptr;
  at += key_length;
  auto read_text = [&](std::string& text) {
    uint32_t length = 0;
    if (!read_u32(length) || body - at < length) return false;
    text.assign(file, at, length);
    at += length;
    return true;
  };
  uint32_t include_count = 0;
  // Each include takes at least its two length words.
  if (!read_u32(include_count) || (body - at) / 8 < include_count) return nullptr;
  includes.assign(include_count, IncludedFile{});
  for (IncludedFile& included : includes)
    if (!read_text(included.path) || !read_text(included.bytes)) return nullptr;
  uint32_t payload_length = 0;
  if (!read_u32(payload_length) || body - at != payload_length) return nullptr;
  const std::vector<uint8_t> payload(file.begin() + std::ptrdiff_t(at),
                                     file.begin() + std::ptrdiff_t(body));
  auto effect = std::make_shared<CompiledEffect>();
  if (!deserialize_effect(payload, *effect, messages)) {
    messages.clear();
    return nullptr;
  }
  return effect;
}

bool EffectDiskCache::store(const std::string& key, const CompiledEffect& effect,
                            const std::string& messages,
                            const std::vector<IncludedFile>& includes) const {
  if (folder_.empty()) return false;
  const std::vector<uint8_t> payload = serialize_effect(effect, messages);
  std::string file(kMagic, sizeof kMagic);
  put_u32(file, uint32_t(key.size()));
  file += key;
  put_u32(file, uint32_t(includes.size()));
  for (const IncludedFile& included : includes) {
    put_u32(file, uint32_t(included.path.size()));
    file += included.path;
    put_u32(file, uint32_t(included.bytes.size()));
    file += included.bytes;
  }
  put_u32(file, uint32_t(payload.size()));
  file.append(reinterpret_cast<const char*>(payload.data()), payload.size());
  put_u64(file, fnv1a(file.data(), file.size()));

  std::error_code error;
  std::filesystem::create_directories(folder_, error);
  // A name of its own per writer, then a rename over the entry: processes
  // storing the same effect at once each leave a whole file.
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path target = entry_path(key);
  std::filesystem::path temporary = target;
  temporary += "." + std::to_string(::getpid()) + "." + std::to_string(counter++) + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(file.data(), std::streamsize(file.size()));
    if (!out.flush()) {
      out.close();
      std::filesystem::remove(temporary, error);
      return false;
    }
  }
  std::filesystem::rename(temporary, target, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return false;
  }
  return true;
}

}  // namespace fx
