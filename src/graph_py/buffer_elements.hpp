#pragma once
// Reading the elements of a Python buffer (NumPy arrays, array.array,
// memoryviews): held for the reader's scope, its struct-module format parsed
// with the byte order, each element loaded from its stride. Column and
// attribute readers share it.
#include <Python.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <type_traits>

#include "graph_py/frame.hpp"

namespace mivora::py {

class HeldBuffer {
 public:
  HeldBuffer() = default;
  HeldBuffer(const HeldBuffer&) = delete;
  HeldBuffer& operator=(const HeldBuffer&) = delete;
  ~HeldBuffer() {
    if (held_) PyBuffer_Release(&view_);
  }
  // Acquires the buffer of `value` with its format, shape and strides.
  void acquire(PyObject* value) {
    if (PyObject_GetBuffer(value, &view_, PyBUF_RECORDS_RO) < 0) throw PythonError{};
    held_ = true;
  }
  const Py_buffer& view() const { return view_; }

 private:
  Py_buffer view_{};
  bool held_ = false;
};

struct ElementFormat {
  char code = 0;
  bool swap = false;  // stored in the other byte order
};

// The struct-module format of a buffer's elements: an optional byte order
// mark, then one code (a repeat count other than 1 is refused by the caller).
inline ElementFormat parse_format(const char* format) {
  ElementFormat parsed;
  std::string_view text = format ? format : "B";
  if (!text.empty() && std::strchr("@=<>!", text[0]) != nullptr) {
    const bool big = text[0] == '>' || text[0] == '!';
    const bool little = text[0] == '<';
    parsed.swap =
        (big && std::endian::native == std::endian::little) || (little && std::endian::native == std::endian::big);
    text.remove_prefix(1);
  }
  if (text.size() == 1) parsed.code = text[0];
  return parsed;
}

template <typename T>
T load(const char* at, bool swap) {
  T value;
  if constexpr (sizeof(T) == 1) {
    std::memcpy(&value, at, 1);
  } else {
    using Bits = std::conditional_t<sizeof(T) == 2, std::uint16_t,
                                    std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>;
    Bits bits;
    std::memcpy(&bits, at, sizeof(T));
    if (swap) {
      if constexpr (sizeof(T) == 2) bits = __builtin_bswap16(bits);
      if constexpr (sizeof(T) == 4) bits = __builtin_bswap32(bits);
      if constexpr (sizeof(T) == 8) bits = __builtin_bswap64(bits);
    }
    std::memcpy(&value, &bits, sizeof(T));
  }
  return value;
}

template <typename T, typename Builder>
void read_elements(const Py_buffer& view, bool swap, Builder& builder) {
  const auto count = static_cast<std::size_t>(view.shape[0]);
  const Py_ssize_t stride = view.strides[0];
  const char* base = static_cast<const char*>(view.buf);
  builder.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const T value = load<T>(base + static_cast<Py_ssize_t>(i) * stride, swap);
    if constexpr (std::is_floating_point_v<T>) {
      builder.add_number(value);
    } else if constexpr (std::is_signed_v<T>) {
      builder.add_signed(value);
    } else {
      builder.add_unsigned(value);
    }
  }
}

}  // namespace mivora::py
