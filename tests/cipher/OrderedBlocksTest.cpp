#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "cipher/OrderedBlocks.h"

namespace ciphora {
namespace {

struct NumberSlot {
    int block = -1;
    int result = -1;
};

// Later blocks finish first, so that order comes from the pipeline alone.
void SlowerForEarlierBlocks(NumberSlot& slot) {
    std::this_thread::sleep_for(std::chrono::microseconds(200 * ((16 - slot.block % 16))));
    slot.result = slot.block * slot.block;
}

TEST(OrderedBlocks, BlocksAreTakenInTheOrderHandedOutWithAtMostDepthInFlight) {
    struct Case {
        unsigned workers;
        std::size_t depth;
    };
    for (const Case c : {Case{0, 4}, Case{1, 3}, Case{3, 5}}) {
        SCOPED_TRACE(c.workers);
        std::vector<int> taken;
        std::atomic<int> inFlight{0};
        std::atomic<int> mostInFlight{0};
        const auto take = [&](const NumberSlot& slot) {
            EXPECT_EQ(slot.result, slot.block * slot.block);
            taken.push_back(slot.block);
            --inFlight;
        };
        {
            OrderedBlocks<NumberSlot> blocks(c.workers, c.depth);
            for (int block = 0; block < 40; ++block) {
                NumberSlot& slot = *blocks.Next(take);
                slot.block = block;
                mostInFlight = std::max(mostInFlight.load(), ++inFlight);
                blocks.Hand(slot, SlowerForEarlierBlocks);
            }
            EXPECT_TRUE(blocks.Drain(take));
        }
        std::vector<int> expected(40);
        for (int block = 0; block < 40; ++block) expected[static_cast<std::size_t>(block)] = block;
        EXPECT_EQ(taken, expected);
        EXPECT_LE(mostInFlight.load(), c.workers == 0 ? 1 : static_cast<int>(c.depth));
    }
}

TEST(OrderedBlocks, TakingStopsAtABlockThatIsRefusedAndStopGivesItBackWithTheRest) {
    OrderedBlocks<NumberSlot> blocks(2, 4);
    std::vector<int> taken;
    const auto take = [&](const NumberSlot& slot) {
        if (slot.block == 5) return false;
        taken.push_back(slot.block);
        return true;
    };
    int handed = 0;
    while (NumberSlot* slot = blocks.Next(take)) {
        slot->block = handed++;
        blocks.Hand(*slot, SlowerForEarlierBlocks);
    }
    EXPECT_FALSE(blocks.Drain(take)) << "the refused block stays the oldest";
    EXPECT_EQ(taken, (std::vector<int>{0, 1, 2, 3, 4}));
    std::vector<int> rest;
    for (const NumberSlot* slot : blocks.Stop()) {
        EXPECT_EQ(slot->result, slot->block * slot->block) << "finished before it is given back";
        rest.push_back(slot->block);
    }
    EXPECT_EQ(rest, (std::vector<int>{5, 6, 7, 8}));
}

// A failed block's failure reaches the owner where that block is taken; the
// blocks still running finish before their slots go, which the sanitizer
// build would catch otherwise.
TEST(OrderedBlocks, AFailureIsThrownWhereItsBlockIsTakenAndTheOthersFinishFirst) {
    for (const unsigned workers : {0u, 2u}) {
        SCOPED_TRACE(workers);
        std::vector<int> taken;
        const auto take = [&](const NumberSlot& slot) { taken.push_back(slot.block); };
        const auto failAtThree = [](NumberSlot& slot) {
            if (slot.block == 3) throw std::runtime_error("block 3 could not be read");
            SlowerForEarlierBlocks(slot);
        };
        try {
            OrderedBlocks<NumberSlot> blocks(workers, 4);
            for (int block = 0; block < 10; ++block) {
                NumberSlot& slot = *blocks.Next(take);
                slot.block = block;
                blocks.Hand(slot, failAtThree);
            }
            blocks.Drain(take);
            ADD_FAILURE() << "the failure was swallowed";
        } catch (const std::runtime_error& failure) {
            EXPECT_STREQ(failure.what(), "block 3 could not be read");
        }
        EXPECT_EQ(taken, (std::vector<int>{0, 1, 2}));
    }
}

}  // namespace
}  // namespace ciphora
