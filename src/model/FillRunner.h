#pragma once
// Long work cut into steps on the window's thread. A run asks the window
// (TStepSink::PostLayStep) to hand a step back, and each step does units of
// the work for at most the step budget before it returns to the event loop;
// the window handles its other events in between. A run is pending while
// units are queued; it ends by itself when none is left, or by Cancel.
//
// Runs are told apart by identifiers unique in the process: a step still
// queued from a cancelled or finished run, or from another project, does
// nothing. The fill lays one copy of the pattern per unit; a repeat of a
// marking can spread from one tile per unit in the same way.

#include "model/FillHost.h"

#include <chrono>
#include <cstdint>

namespace vk {

class TFillRunner {
public:
    // What a run does, one unit at a time.
    class TWork {
    public:
        virtual ~TWork() = default;
        // Does the next unit; how many units are queued after it (0 ends the run).
        virtual int Step() = 0;
        // How far the run has come, for the window's progress (tiles laid).
        [[nodiscard]] virtual int Done() const = 0;
        // The run ends, by itself or cancelled; it still counts as pending.
        virtual void Finish(bool cancelled) = 0;
        // After a run that ended by itself: what the window is told.
        virtual void Announce(TStepSink& sink) { sink.PostFillDone(); }
    };

    // Without a sink nothing is posted: Run does the whole work at once.
    explicit TFillRunner(TStepSink* sink) : m_sink(sink) {}

    // A new run of `work` (not owned; it must outlive the run) with one unit
    // counted as pending. Steps posted for earlier runs do nothing from now on.
    void Begin(TWork& work);
    // Does the first unit now, then hands the rest to the window; without a
    // window, does every unit before it returns.
    void Run();
    // A posted step of run `run`: units for at most the step budget, then
    // the next step is posted. Steps of another run do nothing.
    void HandleStep(std::uint64_t run);
    // Ends a pending run as if it had finished, without the announcement.
    // False when no run was pending.
    bool Cancel();
    // Ends a run whose units were done by its owner at once: nothing pending,
    // nothing finished or announced.
    void Stop();

    [[nodiscard]] int Pending() const { return m_pending; }
    [[nodiscard]] bool IsRunning() const { return m_pending > 0; }
    [[nodiscard]] std::uint64_t RunId() const { return m_run; }
    // How long one step may do units before it yields; zero does one unit
    // per step.
    void SetStepBudget(std::chrono::microseconds budget) { m_budget = budget; }

private:
    // One unit now; the run ends when none is left.
    void stepOnce();
    void finish(bool cancelled);
    void postStepIfNeeded();

    TStepSink* m_sink;
    TWork* m_work = nullptr;
    std::uint64_t m_run = 0;
    int m_pending = 0;
    bool m_stepPosted = false;
    std::chrono::microseconds m_budget{15000};
};

} // namespace vk
