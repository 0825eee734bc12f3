#pragma once
// Arrays handed out to Python: a small read-only buffer exporter that owns
// its C++ vector, wrapped in a memoryview, so numpy.asarray, bytes(),
// memoryview.cast and SciPy take the memory as it is, without a copy.
#include <array>
#include <memory>
#include <vector>

#include "graph_py/frame.hpp"

namespace mivora::py {

// The memory an exported array lives in, kept alive by the exporter.
struct ArrayStorage {
  virtual ~ArrayStorage() = default;
  virtual const void* data() const = 0;
};

template <typename T>
struct VectorStorage final : ArrayStorage {
  explicit VectorStorage(std::vector<T>&& owned) : values(std::move(owned)) {}
  const void* data() const override { return values.data(); }
  std::vector<T> values;
};

// What the buffer protocol needs: element format and size, and the shape
// (one or two dimensions, C order).
struct ArrayLayout {
  const char* format;
  Py_ssize_t itemsize;
  int ndim;
  std::array<Py_ssize_t, 2> shape;
};

// A read-only memoryview over `storage`.
PyObject* export_array(std::unique_ptr<ArrayStorage> storage, const ArrayLayout& layout);

// The struct-module format code of T ("i", "I", "q", "f", "d", "?").
template <typename T>
constexpr const char* format_of() {
  if constexpr (std::is_same_v<T, bool>)
    return "?";
  else if constexpr (std::is_same_v<T, float>)
    return "f";
  else if constexpr (std::is_same_v<T, double>)
    return "d";
  else if constexpr (std::is_same_v<T, std::int32_t>)
    return "i";
  else if constexpr (std::is_same_v<T, std::uint32_t>)
    return "I";
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return "q";
  else if constexpr (std::is_same_v<T, std::uint64_t>)
    return "Q";
  else if constexpr (std::is_same_v<T, std::uint8_t>)
    return "B";
  else
    static_assert(sizeof(T) == 0, "no buffer format for this type");
}

// A one-dimensional memoryview that takes `values` over. `format` overrides
// the element format for a type of the same size (uint8 flags read as "?").
template <typename T>
PyObject* export_vector(std::vector<T>&& values, const char* format = format_of<T>()) {
  const auto count = static_cast<Py_ssize_t>(values.size());
  return export_array(std::make_unique<VectorStorage<T>>(std::move(values)),
                      ArrayLayout{format, static_cast<Py_ssize_t>(sizeof(T)), 1, {count, 0}});
}

// Memory owned by someone else (kept graph views), kept alive through `owner`.
template <typename T>
struct SharedStorage final : ArrayStorage {
  SharedStorage(std::shared_ptr<const void> keeper, const T* first) : owner(std::move(keeper)), values(first) {}
  const void* data() const override { return values; }
  std::shared_ptr<const void> owner;
  const T* values;
};

// A one-dimensional memoryview over `values` (a vector or a column), which
// `owner` keeps alive and unchanged for as long as the view lives.
template <typename Column, typename T = typename Column::value_type>
PyObject* export_shared(std::shared_ptr<const void> owner, const Column& values, const char* format = format_of<T>()) {
  const auto count = static_cast<Py_ssize_t>(values.size());
  return export_array(std::make_unique<SharedStorage<T>>(std::move(owner), values.data()),
                      ArrayLayout{format, static_cast<Py_ssize_t>(sizeof(T)), 1, {count, 0}});
}

}  // namespace mivora::py
