#pragma once
// A label that names no node of the graph it was looked up in. The Python
// surface raises it as KeyError("no node labelled '<label>' in the graph").
#include <stdexcept>
#include <string>

namespace mivora {

class UnknownLabel : public std::out_of_range {
 public:
  explicit UnknownLabel(std::string label) : std::out_of_range("no node labelled"), label_(std::move(label)) {}
  const std::string& label() const noexcept { return label_; }

 private:
  std::string label_;
};

}  // namespace mivora
