#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

// Ends the test program when what it guards has not returned within the limit: a hang then fails
// the test at once, rather than holding CTest until its own timeout.
class HangGuard
{
public:
    HangGuard(const char *what, std::chrono::seconds limit)
        : m_watcher([this, what, limit] {
              std::unique_lock lock(m_mutex);
              if (!m_finished.wait_for(lock, limit, [this] { return m_done; })) {
                  std::fprintf(stderr, "FAIL!  : hung: %s\n", what);
                  std::_Exit(EXIT_FAILURE);
              }
          })
    {}
    ~HangGuard()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_one();
        m_watcher.join();
    }
    HangGuard(const HangGuard &) = delete;
    HangGuard &operator=(const HangGuard &) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_watcher;
};
