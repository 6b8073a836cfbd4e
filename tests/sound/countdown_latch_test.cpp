// The countdown latch: its worked cases as one table of scripts.
#include "sound/countdown_latch.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

enum class op { counter_at, arm, enable, force, tick };

struct step {
    op what;
    int64_t value;     // counter value, arm count or tick mask
    int32_t returns;   // tick: its result
    uint8_t state;     // the latch after the step
    int64_t deadline;  // after the step; -1 = not checked
};

TEST(CountdownLatch, WorkedCases) {
    const struct {
        const char* name;
        std::vector<step> steps;
    } scripts[] = {
        {"arm uses the low 8 bits of its count",
         {{op::counter_at, 40, 0, 0, -1}, {op::arm, 0x105, 0, 1, 45}}},
        {"an armed tick past the deadline clears",
         {{op::counter_at, 10, 0, 0, -1},
          {op::arm, 2, 0, 1, 12},
          {op::enable, 0, 0, 1, -1},
          {op::tick, 3, 1, 1, 12},  // counter 11: not past, armed or not
          {op::tick, 3, 1, 1, 12},  // 12
          {op::enable, 0, 0, 1, -1},
          {op::tick, 3, 0, 0, 12},  // 13, armed: cleared
          {op::tick, 3, 0, 0, 12}}},
        {"an unarmed tick past the deadline keeps the latch",
         {{op::counter_at, 10, 0, 0, -1},
          {op::arm, 2, 0, 1, 12},
          {op::tick, 1, 1, 1, -1},
          {op::tick, 1, 1, 1, -1},
          {op::tick, 1, 1, 1, -1},  // 13
          {op::tick, 1, 1, 1, -1},
          {op::enable, 0, 0, 1, -1},
          {op::tick, 1, 0, 0, -1}}},
        {"force disarms; enable and a third tick clear",
         {{op::counter_at, 7, 0, 0, -1},
          {op::enable, 0, 0, 0, -1},
          {op::force, 0, 0, 1, 8},
          {op::tick, 1, 1, 1, -1},
          {op::tick, 1, 1, 1, -1},
          {op::enable, 0, 0, 1, -1},
          {op::tick, 1, 0, 0, -1}}},
        {"mask 2 reads 0 while the latch is set",
         {{op::counter_at, 0, 0, 0, -1}, {op::arm, 50, 0, 1, 50}, {op::tick, 2, 0, 1, -1}, {op::tick, 3, 1, 1, -1}}},
        {"the armed flag lasts one tick",
         {{op::counter_at, 0, 0, 0, -1},
          {op::arm, 1, 0, 1, 1},
          {op::enable, 0, 0, 1, -1},
          {op::tick, 1, 1, 1, -1},  // counter 1: not past; disarms
          {op::tick, 1, 1, 1, -1},  // 2, unarmed
          {op::enable, 0, 0, 1, -1},
          {op::arm, 0, 0, 1, 2},    // arming leaves the flag: the next tick is armed
          {op::tick, 1, 0, 0, -1}}},
    };
    for (const auto& script : scripts) {
        latch_counter = 0, latch_deadline = 0, latch_armed = 0, latch_state = 0;
        for (size_t k = 0; k < script.steps.size(); k++) {
            const step& s = script.steps[k];
            switch (s.what) {
            case op::counter_at: latch_counter = uint64_t(s.value); break;
            case op::arm: latch_arm(uint32_t(s.value)); break;
            case op::enable: latch_enable(); break;
            case op::force: latch_force(); break;
            case op::tick: EXPECT_EQ(latch_tick(int32_t(s.value)), s.returns) << script.name << " step " << k; break;
            }
            EXPECT_EQ(latch_state, s.state) << script.name << " step " << k;
            if (s.deadline >= 0) { EXPECT_EQ(latch_deadline, uint64_t(s.deadline)) << script.name << " step " << k; }
        }
    }
}

}  // namespace
