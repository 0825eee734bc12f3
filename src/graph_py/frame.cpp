#include "graph_py/frame.hpp"

#include "docstrings.hpp"
#include "graph_py/progress_report.hpp"

#include <climits>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "formats/formats.hpp"
#include "graph_core/random_generator.hpp"
#include "graph_core/unknown_label.hpp"
#include "measures/measure_error.hpp"
#include "text_io/file_error.hpp"
#include "text_io/format_error.hpp"
#include "text_io/number_text.hpp"
#include "docstrings.hpp"

namespace mivora::py {
namespace {

PyObject* g_panic_exception = nullptr;
PyObject* g_format_error = nullptr;

[[noreturn]] void raise_type_error(const std::string& message) {
  PyErr_SetString(PyExc_TypeError, message.c_str());
  throw PythonError{};
}

std::string utf8_of(PyObject* text) {
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(text, &size);
  if (data == nullptr) {
    PyErr_Clear();
    return "?";
  }
  return std::string(data, static_cast<std::size_t>(size));
}

// "'a'", "'a' and 'b'", "'a', 'b', and 'c'"
std::string join_names(const std::string* names, std::size_t count) {
  std::string joined;
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) joined += count == 2 ? " and " : (i + 1 == count ? ", and " : ", ");
    joined += "'" + names[i] + "'";
  }
  return joined;
}

[[noreturn]] void raise_too_many_positional(const Signature& signature, std::size_t given) {
  std::string message = signature.function;
  if (signature.required == signature.positional) {
    message += " takes " + integer_text(signature.positional) + " positional arguments";
  } else {
    message += " takes from " + integer_text(signature.required) + " to " + integer_text(signature.positional) +
               " positional arguments";
  }
  message += " but " + integer_text(given) + (given == 1 ? " was given" : " were given");
  raise_type_error(message);
}

void place_keyword(const Signature& signature, Arguments& arguments, std::size_t positional, PyObject* name,
                   PyObject* value) {
  for (std::size_t i = 0; i < signature.count; ++i) {
    if (PyUnicode_CompareWithASCIIString(name, signature.parameters[i]) != 0) continue;
    if (i < positional || arguments[i] != nullptr) {
      raise_type_error(std::string(signature.function) + " got multiple values for argument '" +
                       signature.parameters[i] + "'");
    }
    arguments.slot(i) = value;
    return;
  }
  raise_type_error(std::string(signature.function) + " got an unexpected keyword argument '" + utf8_of(name) + "'");
}

[[noreturn]] void raise_missing(const Signature& signature, const Arguments& arguments) {
  std::string missing[kMaxParameters];
  std::size_t count = 0;
  for (std::size_t i = 0; i < signature.required; ++i) {
    if (arguments[i] == nullptr) missing[count++] = signature.parameters[i];
  }
  raise_type_error(std::string(signature.function) + " missing " + integer_text(count) +
                   " required positional argument" + (count > 1 ? "s" : "") + ": " + join_names(missing, count));
}

void check_required(const Signature& signature, const Arguments& arguments) {
  for (std::size_t i = 0; i < signature.required; ++i) {
    if (arguments[i] == nullptr) raise_missing(signature, arguments);
  }
}

Arguments take_positional(const Signature& signature, PyObject* const* args, std::size_t nargs) {
  if (nargs > signature.positional) raise_too_many_positional(signature, nargs);
  Arguments arguments;
  for (std::size_t i = 0; i < nargs; ++i) arguments.slot(i) = args[i];
  return arguments;
}

[[noreturn]] void raise_with_cause(PyObject* type, const std::string& message, PyObject* cause) {
  PyErr_SetString(type, message.c_str());
  PyObject* error = take_raised_exception();
  PyException_SetCause(error, cause);  // steals `cause`
  restore_raised_exception(error);
  throw PythonError{};
}

bool is_numpy_bool(PyObject* value) {
  const char* name = Py_TYPE(value)->tp_name;
  return std::strcmp(name, "numpy.bool") == 0 || std::strcmp(name, "numpy.bool_") == 0;
}

}  // namespace

PyObject* take_raised_exception() {
#if PY_VERSION_HEX >= 0x030C0000
  return PyErr_GetRaisedException();
#else
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (traceback != nullptr) PyException_SetTraceback(value, traceback);
  Py_XDECREF(type);
  Py_XDECREF(traceback);
  return value;
#endif
}

void restore_raised_exception(PyObject* error) {
  if (error == nullptr) return;
#if PY_VERSION_HEX >= 0x030C0000
  PyErr_SetRaisedException(error);
#else
  PyErr_Restore(Py_NewRef(reinterpret_cast<PyObject*>(Py_TYPE(error))), error, PyException_GetTraceback(error));
#endif
}

Arguments match_arguments(const Signature& signature, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  const auto positional = static_cast<std::size_t>(PyVectorcall_NARGS(nargs));
  Arguments arguments = take_positional(signature, args, positional);
  if (kwnames != nullptr) {
    const Py_ssize_t keyword_count = PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t k = 0; k < keyword_count; ++k) {
      place_keyword(signature, arguments, positional, PyTuple_GET_ITEM(kwnames, k),
                    args[static_cast<Py_ssize_t>(positional) + k]);
    }
  }
  check_required(signature, arguments);
  return arguments;
}

Arguments match_arguments(const Signature& signature, PyObject* args, PyObject* kwargs) {
  const auto positional = static_cast<std::size_t>(PyTuple_GET_SIZE(args));
  Arguments arguments = take_positional(signature, &PyTuple_GET_ITEM(args, 0), positional);
  if (kwargs != nullptr) {
    Py_ssize_t cursor = 0;
    PyObject* name = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(kwargs, &cursor, &name, &value)) {
      place_keyword(signature, arguments, positional, name, value);
    }
  }
  check_required(signature, arguments);
  return arguments;
}

std::string type_name(PyObject* value) {
  PyObject* name = PyType_GetQualName(Py_TYPE(value));
  if (name == nullptr) {
    PyErr_Clear();
    return Py_TYPE(value)->tp_name;
  }
  std::string text = utf8_of(name);
  Py_DECREF(name);
  return text;
}

void raise_cannot_convert(PyObject* value, const char* name, const char* target) {
  const std::string reason = "'" + type_name(value) + "' object cannot be converted to '" + target + "'";
  PyObject* cause = PyObject_CallFunction(PyExc_TypeError, "s", reason.c_str());
  if (cause == nullptr) throw PythonError{};
  if (std::strcmp(name, "self") == 0) {
    Py_DECREF(cause);
    raise_type_error(reason);
  }
  raise_with_cause(PyExc_TypeError, std::string("argument '") + name + "': " + reason, cause);
}

void raise_argument_error(const char* name) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) throw PythonError{};
  PyObject* cause = take_raised_exception();
  PyObject* reason = PyObject_Str(cause);
  if (reason == nullptr) {
    Py_DECREF(cause);
    throw PythonError{};
  }
  const std::string message = std::string("argument '") + name + "': " + utf8_of(reason);
  Py_DECREF(reason);
  raise_with_cause(PyExc_TypeError, message, cause);
}

std::string_view to_text(PyObject* value, const char* name) {
  if (!PyUnicode_Check(value)) raise_cannot_convert(value, name, "PyString");
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(value, &size);
  if (data == nullptr) throw PythonError{};  // e.g. lone surrogates: UnicodeEncodeError as is
  return {data, static_cast<std::size_t>(size)};
}

float to_f32(PyObject* value, const char* name) {
  if (PyFloat_CheckExact(value)) return static_cast<float>(PyFloat_AS_DOUBLE(value));
  const double number = PyFloat_AsDouble(value);
  if (number == -1.0 && PyErr_Occurred()) raise_argument_error(name);
  return static_cast<float>(number);
}

bool to_bool(PyObject* value, const char* name) {
  if (value == Py_True) return true;
  if (value == Py_False) return false;
  if (!is_numpy_bool(value)) raise_cannot_convert(value, name, "PyBool");
  const int truth = PyObject_IsTrue(value);
  if (truth < 0) raise_argument_error(name);
  return truth != 0;
}

std::string to_path(PyObject* value, const char* name) {
  if (PyUnicode_Check(value)) return std::string(to_text(value, name));
  PyObject* fs_path = PyOS_FSPath(value);
  if (fs_path == nullptr) raise_argument_error(name);
  PyRef path = PyRef::owned(fs_path);
  if (PyUnicode_Check(path.get())) return std::string(to_text(path.get(), name));
  PyRef decoded =
      PyRef::owned(PyUnicode_DecodeFSDefaultAndSize(PyBytes_AS_STRING(path.get()), PyBytes_GET_SIZE(path.get())));
  return std::string(to_text(decoded.get(), name));
}

bool to_optional_bool(PyObject* value, const char* name) {
  if (value == nullptr || value == Py_None) return false;
  return to_bool(value, name);
}

std::int32_t to_i32(PyObject* value, const char* name) {
  const long long number = PyLong_AsLongLong(value);
  if (number == -1 && PyErr_Occurred()) raise_argument_error(name);
  if (number < INT32_MIN || number > INT32_MAX) {
    PyErr_SetString(PyExc_OverflowError, "out of range integral type conversion attempted");
    throw PythonError{};
  }
  return static_cast<std::int32_t>(number);
}

std::uint64_t to_seed(PyObject* value, const char* name) {
  if (value == nullptr || value == Py_None) return thread_random().next_u64();
  if (!PyLong_Check(value)) raise_cannot_convert(value, name, "PyInt");
  const unsigned long long seed = PyLong_AsUnsignedLongLongMask(value);
  if (seed == static_cast<unsigned long long>(-1) && PyErr_Occurred()) throw PythonError{};
  return seed;
}

namespace {
[[noreturn]] void raise_borrowed(const char* message) {
  PyErr_SetString(PyExc_RuntimeError, message);
  throw PythonError{};
}
}  // namespace

void BorrowFlag::take(Access access) {
  if (access == Access::Exclusive) {
    if (state_ != 0) raise_borrowed("Already borrowed");
    state_ = -1;
    return;
  }
  if (state_ < 0) raise_borrowed("Already mutably borrowed");
  if (access == Access::Append && readers_ > 0) raise_borrowed("Already borrowed");
  ++state_;
  if (access == Access::Shared) ++readers_;
}

void BorrowFlag::check_append() const {
  if (state_ < 0) raise_borrowed("Already mutably borrowed");
  if (readers_ > 0) raise_borrowed("Already borrowed");
}

void raise_foreign_thread(const char* type_name) {
  PyErr_Format(PyExc_RuntimeError,
               "this %s belongs to the thread that created it and cannot be used from another thread", type_name);
  throw PythonError{};
}

void raise_not_constructed(const char* type_name) {
  raise_type_error(std::string("'") + type_name + "' object was not initialised by its constructor");
}

PyObject* list_of(std::vector<PyRef>&& items) {
  PyObject* list = check(PyList_New(static_cast<Py_ssize_t>(items.size())));
  // Nothing below allocates: the list is complete before any Python code can run.
  for (std::size_t i = 0; i < items.size(); ++i) PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), items[i].release());
  items.clear();
  return list;
}

namespace {
// Lets another thread that waits for the interpreter run for a moment (the
// one a signal comes from, say: a timer), then runs the Python signal
// handlers; a handler that raised leaves its exception set. Other threads
// cannot use the objects of a running call: every object is bound to its
// creator's thread.
bool python_signal_raised() {
  PyThreadState* state = PyEval_SaveThread();
  PyEval_RestoreThread(state);
  return PyErr_CheckSignals() < 0 || !report_progress();
}

void* release_interpreter() { return PyEval_SaveThread(); }
void reacquire_interpreter(void* state) { PyEval_RestoreThread(static_cast<PyThreadState*>(state)); }
}  // namespace

void install_signal_check() {
  set_cancellation_check(python_signal_raised);
  set_blocking_hooks({release_interpreter, reacquire_interpreter});
}

void create_panic_exception() {
  if (g_panic_exception != nullptr) return;
  g_panic_exception =
      PyErr_NewExceptionWithDoc("mivora.PanicException", MIVORA_DOC_PanicException, PyExc_BaseException, nullptr);
  if (g_panic_exception == nullptr) throw PythonError{};
}

PyObject* panic_exception() { return g_panic_exception; }

void raise_panic(const InternalError& error) {
  const std::source_location& where = error.where();
  std::fprintf(stderr, "mivora: internal error at %s:%u (%s): %s\n", where.file_name(),
               static_cast<unsigned>(where.line()), where.function_name(), error.message().c_str());
  std::fflush(stderr);
  PyObject* message =
      PyUnicode_DecodeUTF8(error.message().data(), static_cast<Py_ssize_t>(error.message().size()), "replace");
  if (message == nullptr) return;
  PyErr_SetObject(g_panic_exception, message);
  Py_DECREF(message);
}

}  // namespace mivora::py

namespace mivora::py {
namespace {

void set_error(PyObject* type, const std::string& message) { PyErr_SetString(type, message.c_str()); }

void set_file_error(const FileError& error) {
  if (error.error_number() == 0) return set_error(PyExc_ValueError, error.description());
  PyObject* name = PyUnicode_DecodeFSDefaultAndSize(error.path().data(), static_cast<Py_ssize_t>(error.path().size()));
  if (name == nullptr) return;
  // OSError(errno, text, name) is an instance of the errno's own subclass.
  PyObject* exception =
      PyObject_CallFunction(PyExc_OSError, "isO", error.error_number(), std::strerror(error.error_number()), name);
  Py_DECREF(name);
  if (exception == nullptr) return;
  PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(exception)), exception);
  Py_DECREF(exception);
}

// "{file}, line L, column C: {message}", with line and column as attributes.
void set_format_error(const FormatError& error) {
  std::string message = error.file_name();
  if (error.line() != 0) {
    message += ", line ";
    append_integer(message, error.line());
    if (error.column() != 0) {
      message += ", column ";
      append_integer(message, error.column());
    }
  }
  message += ": " + error.message();
  try {
    PyRef text = PyRef::owned(to_python(std::string_view(message)));
    PyRef exception = PyRef::owned(PyObject_CallOneArg(g_format_error, text.get()));
    PyRef file_name = PyRef::owned(to_python(std::string_view(error.file_name())));
    PyRef line = PyRef::owned(to_python(error.line()));
    PyRef column = PyRef::owned(to_python(error.column()));
    if (PyObject_SetAttrString(exception.get(), "file_name", file_name.get()) < 0 ||
        PyObject_SetAttrString(exception.get(), "line", line.get()) < 0 ||
        PyObject_SetAttrString(exception.get(), "column", column.get()) < 0) {
      return;
    }
    PyErr_SetObject(g_format_error, exception.get());
  } catch (const PythonError&) {
  }
}

void set_unknown_label(const UnknownLabel& error) {
  PyObject* label =
      PyUnicode_DecodeUTF8(error.label().data(), static_cast<Py_ssize_t>(error.label().size()), "surrogateescape");
  if (label == nullptr) return;
  PyObject* message = PyUnicode_FromFormat("no node labelled %R in the graph", label);
  Py_DECREF(label);
  if (message == nullptr) return;
  PyErr_SetObject(PyExc_KeyError, message);
  Py_DECREF(message);
}

}  // namespace

void add_format_error(PyObject* module) {
  if (g_format_error == nullptr) {
    PyRef attributes = PyRef::owned(PyDict_New());
    for (const char* name : {"file_name", "line", "column"}) {
      if (PyDict_SetItemString(attributes.get(), name, Py_None) < 0) throw PythonError{};
    }
    g_format_error =
        PyErr_NewExceptionWithDoc("mivora.FormatError", MIVORA_DOC_FormatError, PyExc_ValueError, attributes.get());
    if (g_format_error == nullptr) throw PythonError{};
  }
  if (PyModule_AddObjectRef(module, "FormatError", g_format_error) < 0) throw PythonError{};
}

namespace {

void map_current_exception() {
  try {
    throw;
  } catch (const PythonError&) {
  } catch (const Cancelled&) {
    // The check that stopped the operation normally left the KeyboardInterrupt set.
    if (!PyErr_Occurred()) PyErr_SetNone(PyExc_KeyboardInterrupt);
  } catch (const InternalError& error) {
    raise_panic(error);
  } catch (const std::bad_alloc&) {
    PyErr_NoMemory();
  } catch (const FileError& error) {
    set_file_error(error);
  } catch (const FormatError& error) {
    set_format_error(error);
  } catch (const NotWritable& error) {
    set_error(PyExc_ValueError, error.what());
  } catch (const MeasureError& error) {
    set_error(PyExc_ValueError, error.what());
  } catch (const UnknownLabel& error) {
    set_unknown_label(error);
  } catch (const FormatNotBuilt& error) {
    set_error(PyExc_NotImplementedError, error.what());
  } catch (const std::exception& error) {
    raise_panic(InternalError(error.what(), std::source_location::current()));
  } catch (...) {
    raise_panic(InternalError("unknown C++ exception", std::source_location::current()));
  }
}

}  // namespace

void raise_current_exception() noexcept {
  try {
    map_current_exception();
  } catch (...) {
    // Wording the error ran out of memory.
    PyErr_NoMemory();
  }
}

}  // namespace mivora::py
