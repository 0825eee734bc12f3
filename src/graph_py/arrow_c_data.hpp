#pragma once
// The Arrow C data and C stream interfaces: the three structs by which
// pyarrow, polars, pandas, DuckDB and others hand columns over without
// copying (wrapped in PyCapsules named "arrow_schema", "arrow_array" and
// "arrow_array_stream"). The layout is fixed by the Arrow project's ABI.
#include <cstdint>
#include <utility>

extern "C" {

#ifndef ARROW_C_DATA_INTERFACE
#define ARROW_C_DATA_INTERFACE

#define ARROW_FLAG_DICTIONARY_ORDERED 1
#define ARROW_FLAG_NULLABLE 2
#define ARROW_FLAG_MAP_KEYS_SORTED 4

struct ArrowSchema {
  const char* format;
  const char* name;
  const char* metadata;
  int64_t flags;
  int64_t n_children;
  struct ArrowSchema** children;
  struct ArrowSchema* dictionary;
  void (*release)(struct ArrowSchema*);
  void* private_data;
};

struct ArrowArray {
  int64_t length;
  int64_t null_count;
  int64_t offset;
  int64_t n_buffers;
  int64_t n_children;
  const void** buffers;
  struct ArrowArray** children;
  struct ArrowArray* dictionary;
  void (*release)(struct ArrowArray*);
  void* private_data;
};

#endif  // ARROW_C_DATA_INTERFACE

#ifndef ARROW_C_STREAM_INTERFACE
#define ARROW_C_STREAM_INTERFACE

struct ArrowArrayStream {
  int (*get_schema)(struct ArrowArrayStream*, struct ArrowSchema* out);
  int (*get_next)(struct ArrowArrayStream*, struct ArrowArray* out);
  const char* (*get_last_error)(struct ArrowArrayStream*);
  void (*release)(struct ArrowArrayStream*);
  void* private_data;
};

#endif  // ARROW_C_STREAM_INTERFACE
}

namespace mivora::py {

// Sole owner of one of the structs above: moved in (the source is marked
// released, as the interface requires of a consumer), released once.
template <typename Struct>
class ArrowOwned {
 public:
  ArrowOwned() { value_.release = nullptr; }
  // Takes `source` over, leaving it marked released.
  static ArrowOwned take(Struct* source) {
    ArrowOwned owned;
    owned.value_ = *source;
    source->release = nullptr;
    return owned;
  }
  ArrowOwned(ArrowOwned&& other) noexcept : value_(other.value_) { other.value_.release = nullptr; }
  ArrowOwned& operator=(ArrowOwned&& other) noexcept {
    if (this != &other) {
      reset();
      value_ = other.value_;
      other.value_.release = nullptr;
    }
    return *this;
  }
  ArrowOwned(const ArrowOwned&) = delete;
  ArrowOwned& operator=(const ArrowOwned&) = delete;
  ~ArrowOwned() { reset(); }

  Struct* get() { return &value_; }
  const Struct& operator*() const { return value_; }
  const Struct* operator->() const { return &value_; }
  bool released() const { return value_.release == nullptr; }

 private:
  void reset() {
    if (value_.release != nullptr) value_.release(&value_);
  }
  Struct value_{};
};

}  // namespace mivora::py
