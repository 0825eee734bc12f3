#include "graph_py/progress_report.hpp"

#include <chrono>

#include "text_io/cancellation.hpp"

namespace mivora::py {
namespace {

thread_local ProgressReport* active_report = nullptr;
thread_local std::chrono::steady_clock::time_point next_report{};
constexpr auto kTimeBetweenReports = std::chrono::milliseconds(100);

}  // namespace

ProgressReport::ProgressReport(PyObject* progress, const char* call) {
  if (progress == nullptr || progress == Py_None || progress == Py_False) return;
  if (progress == Py_True) {
    PyRef tqdm = PyRef::steal(PyImport_ImportModule("tqdm"));
    if (!tqdm) {
      if (!PyErr_ExceptionMatches(PyExc_ImportError)) throw PythonError{};
      PyErr_Clear();
      PyErr_Format(PyExc_ImportError,
                   "%s: progress=True draws a tqdm bar, but tqdm is not installed (pip install tqdm)", call);
      throw PythonError{};
    }
    PyRef make = PyRef::owned(PyObject_GetAttrString(tqdm.get(), "tqdm"));
    PyRef arguments = PyRef::owned(PyTuple_New(0));
    PyRef options = PyRef::owned(Py_BuildValue("{s:d,s:s,s:s}", "total", 1.0, "desc", call, "bar_format",
                                               "{desc}: {percentage:3.0f}%|{bar}| {elapsed}<{remaining}"));
    bar_ = PyRef::owned(PyObject_Call(make.get(), arguments.get(), options.get()));
  } else if (PyCallable_Check(progress)) {
    callback_ = PyRef::borrow(progress);
  } else {
    PyErr_Format(PyExc_TypeError, "argument 'progress': expected a callable, True or None, got '%s'",
                 type_name(progress).c_str());
    throw PythonError{};
  }
  outer_ = active_report;
  active_report = this;
  next_report = std::chrono::steady_clock::now() + kTimeBetweenReports;
}

ProgressReport::~ProgressReport() {
  if (!callback_ && !bar_) return;
  active_report = outer_;
  if (bar_) {
    // Closing must not disturb an exception on its way out.
    PyObject* pending = take_raised_exception();
    PyObject* closed = PyObject_CallMethod(bar_.get(), "close", nullptr);
    if (closed == nullptr) PyErr_Clear();
    Py_XDECREF(closed);
    restore_raised_exception(pending);
  }
}

void ProgressReport::finish() {
  if ((callback_ || bar_) && !report(1.0)) throw PythonError{};
}

bool ProgressReport::report(double fraction) {
  if (fraction <= reported_) return true;  // the shares reported only grow
  const double step = fraction - reported_;
  reported_ = fraction;
  PyObject* result = callback_ ? PyObject_CallFunction(callback_.get(), "d", fraction)
                               : PyObject_CallMethod(bar_.get(), "update", "d", step);
  if (result == nullptr) return false;
  Py_DECREF(result);
  return true;
}

bool report_progress() {
  ProgressReport* report = active_report;
  if (report == nullptr) return true;
  const auto now = std::chrono::steady_clock::now();
  if (now < next_report) return true;
  next_report = now + kTimeBetweenReports;
  const double fraction = progress_fraction();
  if (fraction < 0.0) return true;
  return report->report(fraction);
}

}  // namespace mivora::py
