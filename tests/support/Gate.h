#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace kestrel::testing {

// Holds a worker in a known state until the test opens it: the worker calls `pass()`, which
// counts its arrival and blocks while the gate is closed; the test waits for the arrival, looks
// at what it wants to see "under way", then opens the gate. Shared by pointer so a seam's
// function can keep it alive for as long as the worker runs.
class Gate {
public:
    static std::shared_ptr<Gate> make() { return std::make_shared<Gate>(); }

    // Worker side: blocks until the gate opens.
    void pass() {
        std::unique_lock<std::mutex> lock(mutex_);
        ++arrivals_;
        changed_.notify_all();
        changed_.wait(lock, [this] { return open_; });
    }

    // Worker side, for a worker that polls: counts the visit and tells whether the gate is open.
    bool knock() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++arrivals_;
        changed_.notify_all();
        return open_;
    }

    // Test side: waits until `count` passes were reached (open or not); false after `limit`.
    bool waitForArrivals(int count = 1, std::chrono::seconds limit = std::chrono::seconds(60)) {
        std::unique_lock<std::mutex> lock(mutex_);
        return changed_.wait_for(lock, limit, [&] { return arrivals_ >= count; });
    }

    int arrivals() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return arrivals_;
    }

    void open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }

    bool isOpen() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return open_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    int arrivals_ = 0;
    bool open_ = false;
};

} // namespace kestrel::testing
