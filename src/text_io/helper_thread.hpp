#pragma once
// A second thread that runs one job at a time for the thread that owns it:
// a writer formats one part of a file there while it formats the next part
// itself, and puts the parts in order. The job must not poll for
// cancellation or reach the surface (Python): only the owner does.
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace mivora {

class HelperThread {
 public:
  // A helper, or none when the system will not start a thread (the caller
  // then does all the work itself).
  static std::unique_ptr<HelperThread> start();
  // Waits for the running job, if any, and ends the thread.
  ~HelperThread();
  HelperThread(const HelperThread&) = delete;
  HelperThread& operator=(const HelperThread&) = delete;

  // Starts `job`; the previous one must have been waited for.
  void run(std::function<void()> job);
  // Waits for the job run() started; rethrows what it threw.
  void wait();
  bool busy() const { return busy_; }

 private:
  HelperThread() = default;
  void loop();

  std::mutex mutex_;
  std::condition_variable changed_;
  std::function<void()> job_;  // set while a job waits or runs
  std::exception_ptr failure_;
  bool busy_ = false;  // a job was run() and not waited for (owner's side only)
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace mivora
