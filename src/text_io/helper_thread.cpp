#include "text_io/helper_thread.hpp"

#include <pthread.h>
#include <signal.h>

#include <system_error>
#include <utility>

namespace mivora {

std::unique_ptr<HelperThread> HelperThread::start() {
  std::unique_ptr<HelperThread> helper(new HelperThread());
  // The thread starts with every signal blocked (it inherits the mask), so
  // that Ctrl-C and the like reach the owner's thread, which polls for them.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  try {
    helper->thread_ = std::thread([raw = helper.get()] { raw->loop(); });
  } catch (const std::system_error&) {
    helper = nullptr;  // no thread to be had (a process limit): the owner works alone
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return helper;
}

HelperThread::~HelperThread() {
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !job_; });
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void HelperThread::run(std::function<void()> job) {
  {
    const std::lock_guard lock(mutex_);
    job_ = std::move(job);
    failure_ = nullptr;
  }
  busy_ = true;
  changed_.notify_all();
}

void HelperThread::wait() {
  std::exception_ptr failure;
  {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !job_; });
    failure = std::exchange(failure_, nullptr);
  }
  busy_ = false;
  if (failure) std::rethrow_exception(failure);
}

void HelperThread::loop() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [&] { return stopping_ || job_; });
    if (!job_) return;  // stopping, with nothing left to do
    lock.unlock();
    std::exception_ptr failure;
    try {
      job_();
    } catch (...) {
      failure = std::current_exception();
    }
    lock.lock();
    failure_ = failure;
    job_ = nullptr;
    changed_.notify_all();
  }
}

}  // namespace mivora
