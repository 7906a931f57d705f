// Result of an operation that can fail in an expected way: success, or a message for the user.
#pragma once

#include <string>
#include <utility>

namespace qm {

struct Status {
  enum class Code { kOk, kRefused, kFailed };
  Code code = Code::kOk;
  std::string message;  // German, one line, for the user; empty on success

  static Status Ok() { return {}; }
  // The input cannot be taken as it is (a name, a character); nothing was changed.
  static Status Refuse(std::string text) { return {Code::kRefused, std::move(text)}; }
  // The system did not do what was asked (a file that cannot be read or written).
  static Status Fail(std::string text) { return {Code::kFailed, std::move(text)}; }
  bool ok() const { return code == Code::kOk; }
  explicit operator bool() const { return ok(); }
};

}  // namespace qm
