// The step scheduler on its own, with a work that counts units down: what
// the fill relies on, and what a repeat of a marking will rely on.

#include "model/FillRunner.h"

#include <gtest/gtest.h>

#include <deque>

using namespace vk;

namespace {

class TCountdown final : public TFillRunner::TWork {
public:
    explicit TCountdown(int units) : left(units) {}
    int Step() override {
        ++done;
        return --left;
    }
    [[nodiscard]] int Done() const override { return done; }
    void Finish(bool cancelled) override { finishes.push_back(cancelled); }

    int left;
    int done = 0;
    std::vector<bool> finishes;
};

class TSink final : public TStepSink {
public:
    void PostLayStep(std::uint64_t run) override { steps.push_back(run); }
    void PostFillDone() override { ++announced; }
    void FillProgress(int tilesLaid, int pendingSteps) override { progress.emplace_back(tilesLaid, pendingSteps); }

    std::deque<std::uint64_t> steps;
    int announced = 0;
    std::vector<std::pair<int, int>> progress;
};

} // namespace

TEST(FillRunner, OneStepQueuedAtATimeUntilTheWorkIsDone) {
    TSink sink;
    TFillRunner runner(&sink);
    runner.SetStepBudget(std::chrono::microseconds(0)); // one unit a step
    TCountdown work(4);
    runner.Begin(work);
    EXPECT_EQ(runner.Pending(), 1);
    runner.Run();
    EXPECT_EQ(work.done, 1) << "the first unit at once";
    ASSERT_EQ(sink.steps.size(), 1u);
    EXPECT_EQ(sink.steps.front(), runner.RunId());
    while (!sink.steps.empty()) {
        const std::uint64_t run = sink.steps.front();
        sink.steps.pop_front();
        runner.HandleStep(run);
        EXPECT_LE(sink.steps.size(), 1u) << "never two steps queued";
    }
    EXPECT_EQ(work.done, 4);
    EXPECT_FALSE(runner.IsRunning());
    EXPECT_EQ(work.finishes, std::vector<bool>{false});
    EXPECT_EQ(sink.announced, 1);
    EXPECT_EQ(sink.progress.back(), std::make_pair(4, 0));
}

// A step still queued when its run was cancelled, or when a new run began,
// must not do a unit of the new run: the two would mix.
TEST(FillRunner, StepsOfAnEarlierRunDoNothing) {
    TSink sink;
    TFillRunner runner(&sink);
    runner.SetStepBudget(std::chrono::microseconds(0));
    TCountdown first(10);
    runner.Begin(first);
    runner.Run();
    const std::uint64_t stale = sink.steps.back();
    EXPECT_TRUE(runner.Cancel());
    EXPECT_EQ(first.finishes, std::vector<bool>{true});
    EXPECT_EQ(sink.announced, 0) << "a cancelled run is not announced";
    EXPECT_FALSE(runner.Cancel());

    TCountdown second(10);
    runner.Begin(second);
    runner.Run();
    runner.HandleStep(stale);
    EXPECT_EQ(second.done, 1);
    EXPECT_EQ(first.done, 1);

    // Without a window the whole run happens at once.
    TFillRunner alone(nullptr);
    TCountdown third(7);
    alone.Begin(third);
    alone.Run();
    EXPECT_EQ(third.done, 7);
    EXPECT_EQ(third.finishes, std::vector<bool>{false});
    EXPECT_FALSE(alone.IsRunning());
}
