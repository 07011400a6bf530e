#include "platform/record/recorded_call.h"

#include <vector>

namespace {

RecordedValue Recorded(const D3D9CallArg& arg) {
  return std::visit(
      [](auto value) -> RecordedValue {
        if constexpr (std::is_same_v<decltype(value), const char*>) {
          return std::string(value);
        } else {
          return value;
        }
      },
      arg);
}

}  // namespace

HRESULT RunRecorded(Recorder& recorder, const void* object, std::string op, const D3D9Call& call,
                    D3D9CallBody body) {
  std::vector<RecordedValue> args;
  args.reserve(call.args.size());
  for (const D3D9CallArg& arg : call.args) args.push_back(Recorded(arg));
  auto logged = recorder.Begin(std::move(op), object, std::move(args), call.input, call.inputSize);
  if (logged.failure) return logged.Finish(*logged.failure);
  const HRESULT result = body();
  if (result == D3D_OK && call.output != nullptr) logged.AddData(call.output, call.outputSize);
  return logged.Finish(result);
}
