#pragma once

#include <mutex>
#include <utility>

namespace kestrel::platform {

// A function that a test puts in place of what the system would say (a file system's type, a
// write that finds the disk full), for as long as its guard lives: a test that ends, or fails,
// cannot leave it behind for the next. Guards nest; each gives back what was there before it.
// `Tag` makes each seam one of its own.
template <typename Tag, typename F> class TestSeam {
public:
    using Function = F;

    // The function in place, or an empty one.
    static Function current() {
        const std::lock_guard<std::mutex> lock(mutex());
        return slot();
    }

    class Guard {
    public:
        explicit Guard(Function function) {
            const std::lock_guard<std::mutex> lock(mutex());
            previous_ = std::exchange(slot(), std::move(function));
        }
        ~Guard() {
            const std::lock_guard<std::mutex> lock(mutex());
            slot() = std::move(previous_);
        }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

    private:
        Function previous_;
    };

private:
    static std::mutex& mutex() {
        static std::mutex m;
        return m;
    }
    static Function& slot() {
        static Function f;
        return f;
    }
};

} // namespace kestrel::platform
