// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>
#include <map>
#include <random>
#include <vector>

#include "lumora/platform/soft/HandleTable.h"

namespace lumora::soft {
namespace {

// Handles come and go in random order, as a program's objects do; the table
// must find exactly the live ones, with their values, however its entries
// were moved to close the gaps.
TEST(HandleTableTest, FindsExactlyTheLiveHandlesThroughRandomInsertsAndErases) {
    std::mt19937 random(20261208);
    HandleTable<int> table;
    std::map<std::uintptr_t, int> live;
    std::uintptr_t next = 0x10000;
    for (int step = 0; step < 20000; ++step) {
        // Grows to a few hundred, then shrinks and grows again.
        const bool insert = live.empty() || (random() % 100) < ((step / 2000) % 2 ? 40U : 60U);
        if (insert) {
            const int value = static_cast<int>(random());
            table.Insert(next, value);
            live.emplace(next, value);
            next += 4;
        } else {
            auto victim = live.begin();
            std::advance(victim, static_cast<long>(random() % live.size()));
            ASSERT_TRUE(table.Erase(victim->first));
            live.erase(victim);
        }
        ASSERT_EQ(table.size(), live.size());
        if (step % 97 == 0) {
            for (const auto& [handle, value] : live) {
                const int* found = table.Find(handle);
                ASSERT_NE(found, nullptr) << "handle " << handle << " at step " << step;
                EXPECT_EQ(*found, value);
            }
            EXPECT_EQ(table.Find(next), nullptr) << "a handle never handed out";
        }
    }
}

TEST(HandleTableTest, ItemsKeepTheirAddressWhileOthersComeAndGo) {
    HandleTable<std::vector<int>> table;
    const std::vector<int>& kept = table.Insert(0x10000, {1, 2, 3});
    for (std::uintptr_t handle = 0x10004; handle < 0x10004 + 4 * 1000; handle += 4) table.Insert(handle, {});
    for (std::uintptr_t handle = 0x10004; handle < 0x10004 + 4 * 1000; handle += 8) table.Erase(handle);
    EXPECT_EQ(table.Find(0x10000), &kept);
    EXPECT_EQ(kept, (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(table.Erase(0x10004)) << "erased twice";
}

}  // namespace
}  // namespace lumora::soft
