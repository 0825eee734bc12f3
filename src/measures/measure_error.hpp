#pragma once
// The one error a measure reports for input it cannot answer for (a negative
// weight, a disconnected graph, an empty graph). The Python surface raises it
// as ValueError with the same text.
#include <stdexcept>
#include <string>

namespace mivora {

class MeasureError : public std::invalid_argument {
 public:
  explicit MeasureError(const std::string& message) : std::invalid_argument(message) {}
};

}  // namespace mivora
