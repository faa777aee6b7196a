#pragma once
// What a project needs of the window it lives in: posted steps of a running
// fill, the scale of the sheet the fill runs at, and the pick lists of the
// library. The main window implements these; headless stand-ins are here.

#include "geometry/Types.h"

#include <QString>
#include <cstdint>
#include <deque>
#include <optional>

namespace vk {

class TProject;
class TTile;

// Receives the posted steps of a fill. Posted means queued: the receiver
// hands each step back to the project from its event loop, first in, first
// out, between its other events (QCoreApplication::postEvent in the window).
class TStepSink {
public:
    virtual ~TStepSink() = default;
    // Call TProject::HandleLayStep(run) later.
    virtual void PostLayStep(std::uint64_t run) = 0;
    // The fill has ended: show "Заполнение плиткой закончено".
    virtual void PostFillDone() = 0;
    // Tiles laid so far and origins still queued; after every handled step.
    virtual void FillProgress(int tilesLaid, int pendingSteps) {
        (void)tilesLaid;
        (void)pendingSteps;
    }
};

// The sheet a fill runs on: its scale (set to the fill scale while the
// fill runs), its unit factor and its resolution.
class TSheetScale {
public:
    virtual ~TSheetScale() = default;
    [[nodiscard]] virtual float Scale() const = 0;
    // Changes the scale; the sheet repaints.
    virtual void SetScale(float scale) = 0;
    // 1, 10 or 100 for millimetres, centimetres or metres.
    [[nodiscard]] virtual int UnitFactor() const = 0;
    [[nodiscard]] virtual double LogicalDpi() const = 0;
    // Paints what is pending at once.
    virtual void UpdateNow() {}
    // The scale a fill lays at lasts only while it runs: a window may keep
    // its scroll bars as they were meanwhile instead of moving them there
    // and back.
    virtual void KeepScrollBars(bool /*keep*/) {}
};

// No window: 96 dots per inch, the configured display unit.
class THeadlessScale final : public TSheetScale {
public:
    THeadlessScale();
    [[nodiscard]] float Scale() const override { return m_scale; }
    void SetScale(float scale) override { m_scale = scale; }
    [[nodiscard]] int UnitFactor() const override { return m_unitFactor; }
    [[nodiscard]] double LogicalDpi() const override { return 96.0; }

private:
    float m_scale = 1.0f;
    int m_unitFactor = 100;
};

// A pick list over the library (the window's "Выбери плитку" and "Выбери
// узор"): the identifier the user picked, nullopt when cancelled.
struct TPickRequest {
    QString Caption;
    QString KeyField;
    QString NameField;
    QString Filter; // empty: every row
};

class TPickList {
public:
    virtual ~TPickList() = default;
    [[nodiscard]] virtual std::optional<std::int32_t> PickTile(const TPickRequest& request) = 0;
    // The preview draws the patterns with `tile`.
    [[nodiscard]] virtual std::optional<std::int32_t> PickPattern(const TPickRequest& request,
                                                                  std::int32_t tileId, const TTile& tile) = 0;
};

// A pick list that chooses by name among what the library lists
// (TTileLibrary::ListTiles and ListPatterns), letter case ignored: the
// command-line tool's choice of a library tile or pattern.
class TPickByName final : public TPickList {
public:
    TPickByName(QString tileName, QString patternName)
        : m_tile(std::move(tileName)), m_pattern(std::move(patternName)) {}
    [[nodiscard]] std::optional<std::int32_t> PickTile(const TPickRequest& request) override;
    [[nodiscard]] std::optional<std::int32_t> PickPattern(const TPickRequest& request, std::int32_t tileId,
                                                          const TTile& tile) override;

private:
    QString m_tile;
    QString m_pattern;
};

// Posted steps kept in a queue and delivered by a loop: the command-line
// tool, the tests and the benchmarks run a fill with it.
class TStepQueue final : public TStepSink {
public:
    void PostLayStep(std::uint64_t run) override { m_steps.push_back(run); }
    void PostFillDone() override { ++FillDoneCount; }
    void FillProgress(int tilesLaid, int pendingSteps) override {
        ++ProgressReports;
        LastTilesLaid = tilesLaid;
        LastPending = pendingSteps;
    }

    [[nodiscard]] bool Empty() const { return m_steps.empty(); }
    [[nodiscard]] int Size() const { return int(m_steps.size()); }
    // Hands the oldest step to the project; false when none is queued.
    bool DeliverOne(TProject& project);
    // Delivers steps until none is queued; how many were delivered.
    int RunUntilIdle(TProject& project);

    int FillDoneCount = 0;
    int ProgressReports = 0;
    int LastTilesLaid = 0;
    int LastPending = 0;

private:
    std::deque<std::uint64_t> m_steps;
};

} // namespace vk
