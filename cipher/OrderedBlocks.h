#pragma once

#include <cstddef>
#include <future>
#include <type_traits>
#include <utility>
#include <vector>

#include "WorkerPool.h"

namespace ciphora {

// Blocks of a text worked on side by side and taken back in the order they
// were handed out: the one pipeline of every conversion that splits a text.
//
// The owner hands out blocks: Next() gives the slot for the next block and
// Hand() gives that slot to a worker, which runs the work on it. The owner
// takes the finished blocks back, oldest first, through the `take` it passes
// to Next() and Drain(), and writes their results in order.
//
// Threading and lifetime:
// - The thread that constructs an OrderedBlocks owns it; only that thread
//   calls its members.
// - From Hand() until the block is taken, its slot belongs to the worker and
//   the owner must not touch it; from being taken until it is handed out
//   again it belongs to the owner. `take` runs on the owner's thread.
// - Blocks start in the order handed out and finish in any order; `take`
//   sees them in the order handed out, each once it has finished.
// - At most `depth` blocks are in flight: when every slot is in flight,
//   Next() waits for the oldest and takes it first.
// - `take` returns void, or false to stop at that block: it then stays the
//   oldest, Next() returns nullptr, Drain() returns false, and Stop() gives
//   it back with every block after it once all have finished. The owner goes
//   on from there on its own.
// - A work that throws finished with that failure: the member that would
//   take the block (Next, Drain, Stop) throws it on the owner's thread.
// - The destructor waits for every block in flight and drops what it came
//   to, failures included, before the slots go. Anything a work refers to
//   must therefore outlive the OrderedBlocks, which is so for whatever was
//   declared before it.
// - With no workers the work runs in Hand(), on the owner's thread, and one
//   slot is enough: a small text takes the same path without threads.
template <typename Slot>
class OrderedBlocks {
public:
    OrderedBlocks(unsigned workers, std::size_t depth)
        : slots_(workers == 0 ? 1 : depth), done_(slots_.size()), pool_(workers), inline_(workers == 0) {}

    ~OrderedBlocks() {
        for (std::future<void>& done : done_)
            if (done.valid()) done.wait();
    }

    OrderedBlocks(const OrderedBlocks&) = delete;
    OrderedBlocks& operator=(const OrderedBlocks&) = delete;

    // The slot for the next block, taking the oldest first when every slot is
    // in flight; nullptr when `take` stopped at it.
    template <typename Take>
    Slot* Next(Take&& take) {
        if (handed_ - taken_ == slots_.size() && !TakeOldest(take)) return nullptr;
        return &slots_[handed_ % slots_.size()];
    }

    // Hands the slot that Next() gave to a worker, which runs `work(slot)`.
    template <typename Work>
    void Hand(Slot& slot, Work work) {
        std::future<void>& done = done_[handed_ % slots_.size()];
        ++handed_;
        if (inline_) {
            std::packaged_task<void()> task([&slot, &work] { work(slot); });
            done = task.get_future();
            task();
            return;
        }
        done = pool_.Submit([&slot, work = std::move(work)] { work(slot); });
    }

    // Takes every block in flight, oldest first; false when `take` stopped.
    template <typename Take>
    bool Drain(Take&& take) {
        while (handed_ > taken_)
            if (!TakeOldest(take)) return false;
        return true;
    }

    // The slots of the blocks in flight, oldest first, once all have finished.
    std::vector<Slot*> Stop() {
        std::vector<Slot*> inFlight;
        for (std::size_t block = taken_; block < handed_; ++block) {
            Finish(block);
            inFlight.push_back(&slots_[block % slots_.size()]);
        }
        return inFlight;
    }

private:
    void Finish(std::size_t block) {
        std::future<void>& done = done_[block % slots_.size()];
        if (done.valid()) done.get();
    }

    template <typename Take>
    bool TakeOldest(Take& take) {
        Finish(taken_);
        Slot& oldest = slots_[taken_ % slots_.size()];
        if constexpr (std::is_void_v<decltype(take(oldest))>) {
            take(oldest);
        } else if (!take(oldest)) {
            return false;
        }
        ++taken_;
        return true;
    }

    std::vector<Slot> slots_;
    std::vector<std::future<void>> done_;
    WorkerPool pool_;
    bool inline_;
    std::size_t handed_ = 0;  // blocks handed out
    std::size_t taken_ = 0;   // blocks taken back
};

}  // namespace ciphora
