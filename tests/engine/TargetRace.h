#pragma once

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace kestrel::testing {

// Files outside the target that a link swapped into the target leads to: read-only and private
// ones, each remembered with its content and mode so a test can prove none was touched.
class OutsideFiles {
public:
    explicit OutsideFiles(const TempDir& dir) : dir_(dir) {
        add("outside/secret.txt", "secret data", 0444);
        add("outside/private.txt", "private data", 0600);
        add("outside/folder/inner.txt", "inner data", 0444);
        add("outside/folder/deeper/kept.txt", "kept data", 0640);
        ::chmod(dir_.path("outside/folder").c_str(), 0755);
    }

    std::string folder() const { return dir_.path("outside/folder"); }
    std::string file() const { return dir_.path("outside/secret.txt"); }

    // Every outside file byte for byte as it was, with its mode; the folders still there.
    void expectUntouched() const {
        for (const auto& [relative, expected] : files_) {
            struct stat st;
            ASSERT_EQ(::lstat(dir_.path(relative).c_str(), &st), 0) << relative << " is gone";
            EXPECT_EQ(st.st_mode & 07777, expected.second) << relative;
            EXPECT_EQ(dir_.readFile(relative), expected.first) << relative;
        }
        struct stat st;
        ASSERT_EQ(::lstat(folder().c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0755u);
        EXPECT_EQ(entries(), std::size_t{6}) << "an entry was added to or removed from the outside folders";
    }

private:
    std::size_t entries() const {
        std::size_t count = 0;
        for ([[maybe_unused]] const auto& entry :
             std::filesystem::recursive_directory_iterator(dir_.path("outside")))
            ++count;
        return count;
    }

    void add(const std::string& relative, const std::string& content, unsigned mode) {
        dir_.createFile(relative, content);
        ::chmod(dir_.path(relative).c_str(), mode);
        files_.push_back({relative, {content, mode}});
    }

    const TempDir& dir_;
    std::vector<std::pair<std::string, std::pair<std::string, unsigned>>> files_;
};

// Swaps an entry of the target with a symbolic link kept beside the target, atomically and over
// and over, from its own thread: at any moment the target's entry is either the real one or a
// link to something outside the target.
class EntrySwapper {
public:
    EntrySwapper(std::string entry, std::string spareLink)
        : entry_(std::move(entry)), spare_(std::move(spareLink)) {}
    ~EntrySwapper() { stop(); }

    void start() {
        running_ = true;
        thread_ = std::thread([this] {
            while (running_.load(std::memory_order_relaxed)) {
                swap();
                std::this_thread::yield();
            }
        });
    }
    void stop() {
        running_ = false;
        if (thread_.joinable())
            thread_.join();
    }
    // One exchange; false once either side is gone (the walk removed it).
    bool swap() {
        return ::renameat2(AT_FDCWD, entry_.c_str(), AT_FDCWD, spare_.c_str(), RENAME_EXCHANGE) == 0;
    }

private:
    std::string entry_;
    std::string spare_;
    std::atomic<bool> running_{false};
    std::thread thread_;
};

} // namespace kestrel::testing
