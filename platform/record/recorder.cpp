#include "platform/record/recorder.h"

int Recorder::LiveTotal() const {
  int total = 0;
  for (int count : live_) total += count;
  return total;
}

const EffectSetup& Recorder::EffectFor(const std::string& path) const {
  auto found = effects_.find(path);
  return found != effects_.end() ? found->second : defaultEffect_;
}

Recorder::Call Recorder::Begin(std::string op, const void* object, std::vector<RecordedValue> args,
                               const void* data, size_t dataSize) {
  CallRecord record;
  record.op = std::move(op);
  record.object = object;
  record.args = std::move(args);
  if (data != nullptr && dataSize > 0) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    record.data.assign(bytes, bytes + dataSize);
  }
  for (const auto& [watched, watcher] : watchers_) {
    if (watched == record.op) watcher(record);
  }
  std::optional<HRESULT> failure = failures_.Match(record);
  record.injected = failure.has_value();
  log_.Add(std::move(record));
  return Call{this, log_.Size() - 1, failure};
}

HRESULT Recorder::Call::Finish(HRESULT result) const {
  recorder->log_.At(index).result = result;
  return result;
}

void Recorder::Call::AddData(const void* bytes, size_t size) const {
  const auto* begin = static_cast<const uint8_t*>(bytes);
  std::vector<uint8_t>& data = recorder->log_.At(index).data;
  data.insert(data.end(), begin, begin + size);
}
