// The program's background thread: order, errors, and that nothing posted
// is lost when it is drained or destroyed.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <vector>

#include "runtime/win32/UniqueHandle.h"
#include "runtime/win32/Worker.h"

namespace tavro::win32 {
namespace {

TEST(Worker, RunsJobsInOrderOffTheCallerAndLosesNoneToAThrowDrainOrEnd) {
  const DWORD caller = GetCurrentThreadId();
  std::vector<int> ran;  // written by the worker only, read after Drain
  std::vector<DWORD> threads;
  UniqueKernelHandle gate(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  ASSERT_TRUE(gate);
  {
    Worker worker;
    // The first job holds the thread until the rest are queued behind it.
    worker.Post([&] {
      WaitForSingleObject(gate.get(), INFINITE);
      threads.push_back(GetCurrentThreadId());
      ran.push_back(1);
    });
    worker.Post([] { throw std::runtime_error("a failing job"); });
    worker.Post([&] {
      threads.push_back(GetCurrentThreadId());
      ran.push_back(2);
    });
    SetEvent(gate.get());
    worker.Drain();
    EXPECT_EQ(ran, (std::vector<int>{1, 2}));
    ASSERT_EQ(threads.size(), 2u);
    EXPECT_NE(threads[0], caller);
    EXPECT_EQ(threads[0], threads[1]);  // one thread for all

    // Queued when the worker goes: still run before its destructor returns.
    ResetEvent(gate.get());
    worker.Post([&] {
      WaitForSingleObject(gate.get(), INFINITE);
      ran.push_back(3);
    });
    worker.Post([&] { ran.push_back(4); });
    SetEvent(gate.get());
  }
  EXPECT_EQ(ran, (std::vector<int>{1, 2, 3, 4}));

  // Drain with nothing posted returns at once, and a worker never posted
  // to ends without a thread.
  Worker idle;
  idle.Drain();
}

}  // namespace
}  // namespace tavro::win32
