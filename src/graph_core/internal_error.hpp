#pragma once
// The one exception type of the core. It carries a fixed message text (the
// Python surface hands it to the caller unchanged) and where it was raised.
#include <exception>
#include <source_location>
#include <string>

namespace mivora {

class InternalError : public std::exception {
 public:
  InternalError(std::string message, std::source_location where) : message_(std::move(message)), where_(where) {}

  const char* what() const noexcept override { return message_.c_str(); }
  const std::string& message() const noexcept { return message_; }
  const std::source_location& where() const noexcept { return where_; }

 private:
  std::string message_;
  std::source_location where_;
};

[[noreturn]] inline void fail(std::string message, std::source_location where = std::source_location::current()) {
  throw InternalError(std::move(message), where);
}

// Message texts shared by several operations.
inline constexpr const char* kUnwrapNone = "called `Option::unwrap()` on a `None` value";
inline constexpr const char* kNoEntryForKey = "no entry found for key";
inline constexpr const char* kRemovedLabel = "[Removed]";

}  // namespace mivora
