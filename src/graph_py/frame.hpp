#pragma once
// The argument frame shared by every method of every class: argument
// matching against the text signature, converters, per-object borrow flags,
// thread binding and the one boundary where C++ errors become Python ones.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "graph_core/internal_error.hpp"
#include "text_io/cancellation.hpp"

namespace mivora::py {

// ---- references -------------------------------------------------------------

// Thrown once a Python exception has been set; the boundary returns NULL.
struct PythonError {};

inline PyObject* check(PyObject* object) {
  if (object == nullptr) throw PythonError{};
  return object;
}

// An owned reference.
class PyRef {
 public:
  PyRef() = default;
  static PyRef steal(PyObject* object) { return PyRef(object); }
  static PyRef borrow(PyObject* object) { return PyRef(Py_XNewRef(object)); }
  // Takes over a new reference, throwing if it is NULL (an error is set).
  static PyRef owned(PyObject* object) { return PyRef(check(object)); }

  PyRef(PyRef&& other) noexcept : object_(other.release()) {}
  PyRef& operator=(PyRef&& other) noexcept {
    if (this != &other) {
      Py_XDECREF(object_);
      object_ = other.release();
    }
    return *this;
  }
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  ~PyRef() { Py_XDECREF(object_); }

  PyObject* get() const { return object_; }
  PyObject* release() {
    PyObject* object = object_;
    object_ = nullptr;
    return object;
  }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  explicit PyRef(PyObject* object) : object_(object) {}
  PyObject* object_ = nullptr;
};

// A str created once and kept for the life of the process (dict keys).
class InternedString {
 public:
  explicit InternedString(const char* text) : object_(PyUnicode_InternFromString(text)) {
    if (object_ == nullptr) throw PythonError{};
  }
  PyObject* get() const { return object_; }

 private:
  PyObject* object_;
};

// ---- signatures and argument matching ---------------------------------------

inline constexpr std::size_t kMaxParameters = 11;

// How a method refuses a receiver used on another thread than its creator's.
// Graph and Node's long-standing methods raise PanicException with the
// assertion text their callers know (and report it on stderr); every method
// added since raises an ordinary RuntimeError.
enum class ForeignThread { Panic, RuntimeError };

struct Signature {
  constexpr Signature(const char* function_name, std::initializer_list<const char*> names, std::size_t required_count)
      : function(function_name), count(names.size()), required(required_count), positional(names.size()) {
    std::size_t i = 0;
    for (const char* name : names) parameters[i++] = name;
  }
  // The same signature with the parameters from `first` on keyword-only.
  constexpr Signature keyword_only_from(std::size_t first) const {
    Signature copy = *this;
    copy.positional = first;
    return copy;
  }
  constexpr Signature panicking_on_foreign_thread() const {
    Signature copy = *this;
    copy.foreign_thread = ForeignThread::Panic;
    return copy;
  }

  const char* function;  // as messages show it: "Graph.add_node()"
  std::array<const char*, kMaxParameters> parameters{};
  std::size_t count;
  std::size_t required;    // the leading `required` parameters have no default
  std::size_t positional;  // how many may be passed by position
  ForeignThread foreign_thread = ForeignThread::RuntimeError;
};

// The matched arguments: borrowed references, NULL where a parameter was left out.
class Arguments {
 public:
  PyObject* operator[](std::size_t i) const { return values_[i]; }
  PyObject*& slot(std::size_t i) { return values_[i]; }

 private:
  std::array<PyObject*, kMaxParameters> values_{};
};

// Vectorcall form (METH_FASTCALL | METH_KEYWORDS).
Arguments match_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames);
// The usual call, positional arguments only, matched inline; anything else
// goes through match_arguments.
inline Arguments match_positional(const Signature& signature, PyObject* const* args, Py_ssize_t nargs,
                                  PyObject* kwnames) {
  const auto positional = static_cast<std::size_t>(PyVectorcall_NARGS(nargs));
  if (kwnames != nullptr || positional < signature.required || positional > signature.positional) {
    return match_arguments(signature, args, nargs, kwnames);
  }
  Arguments arguments;
  for (std::size_t i = 0; i < positional; ++i) arguments.slot(i) = args[i];
  return arguments;
}
// Tuple and dict form (tp_new).
Arguments match_arguments(const Signature& signature, PyObject* args, PyObject* kwargs);

// ---- converters ---------------------------------------------------------------
// Each raises "argument '{name}': {reason}" (TypeError, with the conversion's
// error as its cause) or passes a non-TypeError conversion error on unchanged.

std::string_view to_text(PyObject* value, const char* name);
// A file name: a str or an os.PathLike (bytes paths decoded as the file
// system encodes names).
std::string to_path(PyObject* value, const char* name);
float to_f32(PyObject* value, const char* name);
bool to_bool(PyObject* value, const char* name);
// NULL (left out) and None read as false.
bool to_optional_bool(PyObject* value, const char* name);
std::int32_t to_i32(PyObject* value, const char* name);
// A seed: any int (taken modulo 2**64); NULL (left out) and None draw a fresh
// one from the thread's generator.
std::uint64_t to_seed(PyObject* value, const char* name);

// "'{type}' object cannot be converted to '{target}'" under the argument's name.
[[noreturn]] void raise_cannot_convert(PyObject* value, const char* name, const char* target);
// TypeError for an object whose constructor never ran.
[[noreturn]] void raise_not_constructed(const char* type_name);
// RuntimeError for an object used on another thread than its creator's.
[[noreturn]] void raise_foreign_thread(const char* type_name);
// Re-raises the pending TypeError under the argument's name.
[[noreturn]] void raise_argument_error(const char* name);
std::string type_name(PyObject* value);

// ---- results --------------------------------------------------------------------

inline PyObject* to_python(float value) { return check(PyFloat_FromDouble(value)); }
inline PyObject* to_python(double value) { return check(PyFloat_FromDouble(value)); }
inline PyObject* to_python(bool value) { return Py_NewRef(value ? Py_True : Py_False); }
inline PyObject* to_python(std::int32_t value) { return check(PyLong_FromLong(value)); }
inline PyObject* to_python(std::size_t value) { return check(PyLong_FromSize_t(value)); }
inline PyObject* to_python(std::string_view text) {
  return check(PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "surrogateescape"));
}
inline PyObject* none() { return Py_NewRef(Py_None); }

// A new dict with room for `count` items: filling it never rebuilds its
// table, which a result of one item per node otherwise does a dozen times
// or more on the way.
inline PyObject* dict_for(std::size_t count) {
#if PY_VERSION_HEX < 0x030E0000  // a private call, declared by 3.11 to 3.13
  return check(_PyDict_NewPresized(static_cast<Py_ssize_t>(count)));
#else
  static_cast<void>(count);
  return check(PyDict_New());
#endif
}

// Sets d[key] = value, taking over the new reference `value`.
inline void set_item(PyObject* dict, PyObject* key, PyObject* value) {
  PyRef owned = PyRef::owned(value);
  if (PyDict_SetItem(dict, key, owned.get()) < 0) throw PythonError{};
}

// ---- borrowing and thread binding -------------------------------------------

// Shared: reads the object (any number at once). Exclusive: one user, nothing
// else. Append: grows a graph (new nodes or connections) without reading it;
// refused while a reader is active, because a reader may be walking the very
// lists an append would move (Python code can run inside a read: collector
// callbacks, finalizers, signal handlers).
enum class Access { Shared, Exclusive, Append };

// Any number of shared users or one exclusive user of a Python object.
class BorrowFlag {
 public:
  void take(Access access);
  void release(Access access) {
    if (access == Access::Exclusive) {
      state_ = 0;
      return;
    }
    --state_;
    if (access == Access::Shared) --readers_;
  }
  // Raises the borrow error an append would meet now, without taking anything.
  void check_append() const;

 private:
  int state_ = 0;    // > 0: shared users (readers and appenders); -1: one exclusive user
  int readers_ = 0;  // the shared users that read
};

class Borrow {
 public:
  Borrow(BorrowFlag& flag, Access access) : flag_(flag), access_(access) { flag_.take(access); }
  ~Borrow() { flag_.release(access_); }
  Borrow(const Borrow&) = delete;
  Borrow& operator=(const Borrow&) = delete;

 private:
  BorrowFlag& flag_;
  Access access_;
};

// Set when an object's C++ part is constructed. An object allocated some other
// way (`object.__new__(cls)` once `cls.__new__` is replaced) holds zeroed
// memory, which reads as not constructed; such an object is refused by every
// method and only freed.
class Constructed {
 public:
  Constructed() = default;
  Constructed(const Constructed&) = delete;
  Constructed& operator=(const Constructed&) = delete;
  ~Constructed() { mark_ = 0; }
  bool is_set() const { return mark_ == kMark; }

 private:
  static constexpr std::uint64_t kMark = 0x6d69766f72612121ull;
  std::uint64_t mark_ = kMark;
};

// Objects whose core data is not thread-safe remember their creator thread.
struct ThreadBinding {
  unsigned long owner = PyThread_get_thread_ident();
  bool is_current() const { return owner == PyThread_get_thread_ident(); }
};

// ---- the error boundary ---------------------------------------------------------

// The pending exception as one object (new reference, or NULL), clearing it;
// and the reverse, which takes the reference over.
PyObject* take_raised_exception();
void restore_raised_exception(PyObject* error);

void create_panic_exception();
// Lets long core operations end with the pending KeyboardInterrupt (or any
// exception a signal handler raised): installs the core's cancellation check.
void install_signal_check();
PyObject* panic_exception();
// Reports the internal error on stderr and raises PanicException(message).
void raise_panic(const InternalError& error);

// mivora.FormatError: created with the module, raised for malformed files.
void add_format_error(PyObject* module);

// Sets the Python exception that the C++ exception being handled stands for:
// the one place where core errors become Python ones.
//   PythonError      the exception already set
//   Cancelled        the KeyboardInterrupt (or what a signal handler raised)
//   InternalError    PanicException, reported on stderr
//   bad_alloc        MemoryError
//   FileError        the OSError subclass of its error number, naming the file;
//                    ValueError when the name itself is at fault
//   FormatError      mivora.FormatError with file_name, line and column
//   NotWritable      ValueError
//   MeasureError     ValueError
//   UnknownLabel     KeyError("no node labelled '<label>' in the graph")
//   FormatNotBuilt   NotImplementedError
//   anything else    PanicException
// Must be called inside a catch block.
void raise_current_exception() noexcept;

template <typename Result, typename Body>
Result guarded(Result failure, Body&& body) noexcept {
  try {
    return body();
  } catch (const PythonError&) {
  } catch (...) {
    raise_current_exception();
  }
  return failure;
}

template <typename Body>
PyObject* guarded(Body&& body) noexcept {
  return guarded<PyObject*>(nullptr, std::forward<Body>(body));
}

// ---- calling methods -----------------------------------------------------------

// Python objects of this module are laid out as
//   struct T { PyObject_HEAD  T::Data data; };
// with `borrow` (a BorrowFlag) and `thread` (a ThreadBinding) in Data, and
// static members `type`, `kName` and `kTypePath`.

// Checks that `object` is an instance of T usable on this thread and
// returns its data; `name` is the argument it came in as ("self" for the
// receiver).
template <typename T>
typename T::Data& checked_data(PyObject* object, const char* name, ForeignThread foreign = ForeignThread::Panic) {
  if (!PyObject_TypeCheck(object, T::type)) raise_cannot_convert(object, name, T::kName);
  typename T::Data& data = reinterpret_cast<T*>(object)->data;
  if (!data.constructed.is_set()) raise_not_constructed(T::kName);
  if constexpr (requires { data.thread; }) {
    if (!data.thread.is_current()) {
      if (foreign == ForeignThread::RuntimeError) raise_foreign_thread(T::kName);
      fail(std::string("assertion failed: ") + T::kTypePath + " is unsendable, but sent to another thread");
    }
  }
  return data;
}

template <typename T>
typename T::Data& receiver(PyObject* self, ForeignThread foreign = ForeignThread::Panic) {
  return checked_data<T>(self, "self", foreign);
}

// Runs one method call: match arguments, take the receiver, run `body`
// (which converts arguments, runs the core and builds the result).
template <typename T, typename Body>
PyObject* call_method(PyObject* self, const Signature& signature, Access access, PyObject* const* args,
                      Py_ssize_t nargs, PyObject* kwnames, Body&& body) {
  return guarded([&]() -> PyObject* {
    const Arguments arguments = match_positional(signature, args, nargs, kwnames);
    typename T::Data& data = receiver<T>(self, signature.foreign_thread);
    Borrow borrow(data.borrow, access);
    return body(data, arguments);
  });
}

template <typename Body>
PyObject* call_static(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                      Body&& body) {
  return guarded([&]() -> PyObject* { return body(match_positional(signature, args, nargs, kwnames)); });
}

// Allocates an instance of `type` and constructs T's C++ part in it.
template <typename T, typename... Args>
PyObject* new_object(PyTypeObject* type, Args&&... args) {
  // None of our types is collected by the garbage collector or has items:
  // a plain allocation, without the generic allocator's zeroing.
  PyObject* self = static_cast<PyObject*>(PyObject_Malloc(sizeof(T)));
  if (self == nullptr) {
    PyErr_NoMemory();
    throw PythonError{};
  }
  PyObject_Init(self, type);  // takes a reference to the heap type
  try {
    new (&reinterpret_cast<T*>(self)->data) typename T::Data{std::forward<Args>(args)...};
  } catch (...) {
    Py_TYPE(self)->tp_free(self);
    Py_DECREF(type);  // PyObject_Init took a reference to the heap type
    throw;
  }
  return self;
}

// tp_dealloc for T: destroys the C++ part, frees the object, drops the type.
template <typename T>
void destroy_object(PyObject* self) {
  PyTypeObject* type = Py_TYPE(self);
  auto& data = reinterpret_cast<T*>(self)->data;
  if (data.constructed.is_set()) data.~Data();
  type->tp_free(self);
  Py_DECREF(type);
}

// A list of `items`, made only once every item exists: a list is visible to
// the garbage collector (and so to Python code it runs) from its creation,
// and must never be seen with empty slots.
PyObject* list_of(std::vector<PyRef>&& items);

// The fastcall method signature, cast for PyMethodDef.
using FastMethod = PyObject* (*)(PyObject*, PyObject* const*, Py_ssize_t, PyObject*);
inline PyCFunction as_method(FastMethod method) {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(method));
}

}  // namespace mivora::py
