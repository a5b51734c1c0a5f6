#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace ciphora {

// A fixed set of threads that run submitted tasks. Tasks start in the order
// submitted and finish in any order; each one's result or failure arrives
// through the future Submit returns. The destructor lets the threads run
// every task still queued, then joins them. OrderedBlocks is the way to use
// it for the blocks of a text.
class WorkerPool {
public:
    explicit WorkerPool(unsigned threads) {
        for (unsigned i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
    }

    ~WorkerPool() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (std::thread& thread : threads_) thread.join();
    }

    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    template <typename Task>
    auto Submit(Task task) -> std::future<decltype(task())> {
        auto packaged = std::make_shared<std::packaged_task<decltype(task())()>>(std::move(task));
        auto result = packaged->get_future();
        {
            std::lock_guard lock(mutex_);
            tasks_.emplace_back([packaged] { (*packaged)(); });
        }
        wake_.notify_one();
        return result;
    }

private:
    void Work() {
        for (;;) {
            std::function<void()> task;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
                if (tasks_.empty()) return;
                task = std::move(tasks_.front());
                tasks_.pop_front();
            }
            task();
        }
    }

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> tasks_;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace ciphora
