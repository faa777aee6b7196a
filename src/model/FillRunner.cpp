#include "model/FillRunner.h"

#include <atomic>

namespace vk {

namespace {

// Run identifiers are unique in the process, so that a step posted for one
// project never matches a run of the next one.
std::uint64_t nextRunId() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

} // namespace

void TFillRunner::Begin(TWork& work) {
    m_work = &work;
    m_stepPosted = false;
    m_run = nextRunId();
    m_pending = 1;
}

void TFillRunner::Run() {
    stepOnce();
    if (m_sink == nullptr) {
        // No window to hand steps back: the whole run happens here.
        while (IsRunning()) {
            stepOnce();
        }
        return;
    }
    if (IsRunning()) {
        postStepIfNeeded();
        m_sink->FillProgress(m_work->Done(), m_pending);
    }
}

void TFillRunner::stepOnce() {
    if (!IsRunning()) {
        return;
    }
    m_pending = m_work->Step();
    if (m_pending == 0) {
        finish(false);
    }
}

void TFillRunner::postStepIfNeeded() {
    if (IsRunning() && !m_stepPosted && m_sink != nullptr) {
        m_stepPosted = true;
        m_sink->PostLayStep(m_run);
    }
}

void TFillRunner::HandleStep(std::uint64_t run) {
    if (run != m_run || !IsRunning()) {
        return;
    }
    m_stepPosted = false;
    const auto start = std::chrono::steady_clock::now();
    // The clock is read every few units: a unit takes microseconds.
    const int between = m_budget.count() > 0 ? 8 : 1;
    for (int handled = 1; IsRunning(); ++handled) {
        stepOnce();
        if (handled % between == 0 && std::chrono::steady_clock::now() - start >= m_budget) {
            break;
        }
    }
    if (IsRunning() && run == m_run) {
        if (m_sink != nullptr) {
            m_sink->FillProgress(m_work->Done(), m_pending);
        }
        postStepIfNeeded();
    }
}

bool TFillRunner::Cancel() {
    if (!IsRunning()) {
        return false;
    }
    finish(true);
    return true;
}

void TFillRunner::Stop() {
    m_pending = 0;
    m_stepPosted = false;
}

void TFillRunner::finish(bool cancelled) {
    m_work->Finish(cancelled);
    m_pending = 0;
    m_stepPosted = false;
    // Steps still queued in the window belong to no run any more.
    m_run = nextRunId();
    if (m_sink != nullptr) {
        m_sink->FillProgress(m_work->Done(), 0);
        if (!cancelled) {
            m_work->Announce(*m_sink);
        }
    }
}

} // namespace vk
