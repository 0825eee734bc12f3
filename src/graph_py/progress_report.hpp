#pragma once
// The `progress` argument of long calls: nothing (None, the default), a
// callable that receives the share done as a float in [0, 1], or True for a
// tqdm bar on stderr. The core says how far it is through the cancellation
// polling (text_io/cancellation.hpp); the signal check reports it from there,
// at most ten times a second, so one mechanism both reports and stops.
#include "graph_py/frame.hpp"

namespace mivora::py {

class ProgressReport {
 public:
  // Reads the argument `progress` (NULL: left out); raises TypeError for a
  // value that is neither None, a bool nor callable, and ImportError for
  // True without tqdm. `call` names the call on the bar ("Graph.diameter()").
  ProgressReport(PyObject* progress, const char* call);
  ~ProgressReport();
  ProgressReport(const ProgressReport&) = delete;
  ProgressReport& operator=(const ProgressReport&) = delete;

  // Reports the end (1.0) once the call has succeeded.
  void finish();

 private:
  friend bool report_progress();
  // Calls the callback (or moves the bar) when the share has changed;
  // false when the callback raised.
  bool report(double fraction);

  PyRef callback_;
  PyRef bar_;
  double reported_ = 0.0;
  ProgressReport* outer_ = nullptr;
};

// Called by the signal check: reports the running call's progress if it
// asked for reports and enough time has passed. False when the callback
// raised (its exception is set and ends the call).
bool report_progress();

}  // namespace mivora::py
