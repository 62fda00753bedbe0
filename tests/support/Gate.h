#pragma once

#include <condition_variable>
#include <mutex>

namespace qlnx {

// A point where other threads wait while the test keeps it closed: a drive call held as long
// as the test likes, without any sleeping. A thread waits 30 s at most, so a failing test
// ends.
class TGate
{
public:
    explicit TGate(bool open = true) : m_open(open) {}

    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_open = false;
    }
    void Open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    // Called by the held thread.
    void Pass()
    {
        std::unique_lock lock(m_mutex);
        ++m_arrived;
        m_changed.wait_for(lock, std::chrono::seconds(30), [this] { return m_open; });
        ++m_passed;
    }
    // How many threads came to the gate, and how many went through.
    int Arrived() const
    {
        std::lock_guard lock(m_mutex);
        return m_arrived;
    }
    int Passed() const
    {
        std::lock_guard lock(m_mutex);
        return m_passed;
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open;
    int m_arrived = 0;
    int m_passed = 0;
};

} // namespace qlnx
