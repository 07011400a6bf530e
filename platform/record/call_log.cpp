#include "platform/record/call_log.h"

uint64_t CallRecord::u(size_t index) const {
  if (index >= args.size()) return 0;
  if (auto value = std::get_if<uint64_t>(&args[index])) return *value;
  if (auto value = std::get_if<int64_t>(&args[index])) return static_cast<uint64_t>(*value);
  return 0;
}

int64_t CallRecord::i(size_t index) const {
  if (index >= args.size()) return 0;
  if (auto value = std::get_if<int64_t>(&args[index])) return *value;
  if (auto value = std::get_if<uint64_t>(&args[index])) return static_cast<int64_t>(*value);
  return 0;
}

double CallRecord::f(size_t index) const {
  if (index >= args.size()) return 0.0;
  if (auto value = std::get_if<double>(&args[index])) return *value;
  return 0.0;
}

const void* CallRecord::p(size_t index) const {
  if (index >= args.size()) return nullptr;
  if (auto value = std::get_if<const void*>(&args[index])) return *value;
  return nullptr;
}

std::string CallRecord::s(size_t index) const {
  if (index >= args.size()) return {};
  if (auto value = std::get_if<std::string>(&args[index])) return *value;
  return {};
}

std::vector<const CallRecord*> CallLog::Named(std::string_view op) const {
  std::vector<const CallRecord*> found;
  for (const CallRecord& call : calls_) {
    if (call.op == op) found.push_back(&call);
  }
  return found;
}

size_t CallLog::Count(std::string_view op) const {
  size_t count = 0;
  for (const CallRecord& call : calls_) count += call.op == op ? 1 : 0;
  return count;
}

const CallRecord* CallLog::First(std::string_view op) const {
  for (const CallRecord& call : calls_) {
    if (call.op == op) return &call;
  }
  return nullptr;
}

const CallRecord* CallLog::Last(std::string_view op) const {
  for (auto it = calls_.rbegin(); it != calls_.rend(); ++it) {
    if (it->op == op) return &*it;
  }
  return nullptr;
}

static bool IsReferenceCall(const std::string& op) {
  auto endsWith = [&op](std::string_view tail) {
    return op.size() >= tail.size() && op.compare(op.size() - tail.size(), tail.size(), tail) == 0;
  };
  return endsWith("::AddRef") || endsWith("::Release");
}

std::vector<std::string> CallLog::Ops(size_t from, bool withReferenceCalls) const {
  std::vector<std::string> names;
  for (size_t i = from; i < calls_.size(); ++i) {
    if (withReferenceCalls || !IsReferenceCall(calls_[i].op)) names.push_back(calls_[i].op);
  }
  return names;
}
