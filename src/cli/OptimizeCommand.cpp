#include "cli/OptimizeCommand.h"

#include "cli/CliCommon.h"
#include "library/TileDB.h"
#include "model/Config.h"
#include "model/FillHost.h"
#include "model/FillLimits.h"
#include "model/Project.h"
#include "model/StartOptimizer.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>
#include <limits>
#include <optional>

#include <unistd.h>

namespace vkcli {

namespace {

// More would take hours and means a typing slip.
constexpr int kMaxGrid = 64;
constexpr int kMaxOrientations = 721;

// "A,B,..." or "FROM:TO:STEP" in degrees; nullopt when neither.
std::optional<std::vector<float>> parseOrientations(const QString& text) {
    std::vector<float> angles;
    const auto number = [](const QString& s, bool& ok) {
        const double v = s.trimmed().toDouble(&ok);
        ok = ok && std::isfinite(v);
        return v;
    };
    bool ok = false;
    const QStringList range = text.split(QLatin1Char(':'));
    if (range.size() == 3) {
        bool okFrom = false;
        bool okTo = false;
        bool okStep = false;
        const double from = number(range[0], okFrom);
        const double to = number(range[1], okTo);
        const double step = number(range[2], okStep);
        if (!okFrom || !okTo || !okStep || step <= 0.0 || to < from) {
            return std::nullopt;
        }
        // The end is reached when the steps land on it within rounding.
        const double count = std::floor((to - from) / step + 1e-9) + 1.0;
        if (count > kMaxOrientations) {
            return std::nullopt;
        }
        for (int k = 0; k < int(count); ++k) {
            angles.push_back(float(from + k * step));
        }
        return angles;
    }
    if (range.size() != 1) {
        return std::nullopt;
    }
    const QStringList list = text.split(QLatin1Char(','));
    if (list.size() > kMaxOrientations) {
        return std::nullopt;
    }
    for (const QString& item : list) {
        const double v = number(item, ok);
        if (!ok) {
            return std::nullopt;
        }
        angles.push_back(float(v));
    }
    return angles;
}

// On a terminal, a run longer than a moment shows how far it got.
class TTerminalProgress final : public vk::TProgress {
public:
    TTerminalProgress(QTextStream& stream, int total) : m_stream(stream), m_total(total) {
        m_terminal = ::isatty(STDERR_FILENO) != 0;
        m_clock.start();
    }
    ~TTerminalProgress() override {
        if (m_shownAt >= 0) {
            m_stream << '\n' << Qt::flush;
        }
    }
    bool report(qint64 done) override {
        if (m_terminal && m_clock.elapsed() >= 2000 && m_clock.elapsed() - m_shownAt >= 250) {
            m_shownAt = m_clock.elapsed();
            m_stream << "\rПодбор: проверено вариантов " << done << " из " << m_total << Qt::flush;
        }
        return true;
    }

private:
    QTextStream& m_stream;
    int m_total;
    bool m_terminal = false;
    QElapsedTimer m_clock;
    qint64 m_shownAt = -1;
};

QJsonObject candidateJson(const vk::TStartCandidate& c) {
    return QJsonObject{{"start", QJsonArray{double(c.Start.X), double(c.Start.Y)}},
                       {"orientation", double(c.Orientation)},
                       {"tiles", c.Tiles},
                       {"pieces", c.Pieces}};
}

QString candidateText(const vk::TStartCandidate& c) {
    return QStringLiteral("начальная точка (%1; %2), ориентация %3°, плиток %4, половинок %5")
        .arg(listNumber(c.Start.X, 3), listNumber(c.Start.Y, 3), listNumber(c.Orientation, 4))
        .arg(c.Tiles)
        .arg(c.Pieces);
}

} // namespace

int Optimize(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    int grid = vk::TStartOptimizer::DefaultGrid;
    std::vector<float> orientations;
    o.Extra = [&](const QStringList& a, int& i, int& code, QTextStream& e) {
        const QString& name = a.at(i);
        if (name == QLatin1String("--grid")) {
            bool ok = false;
            const int n = i + 1 < a.size() ? a.at(i + 1).toInt(&ok) : 0;
            if (!ok || n < 1 || n > kMaxGrid) {
                e << "vorkalo-cli: после --grid нужен размер сетки (целое от 1 до " << kMaxGrid << ")\n";
                code = 2;
                return true;
            }
            grid = n;
            ++i;
            return true;
        }
        if (name == QLatin1String("--orientations")) {
            const std::optional<std::vector<float>> angles =
                i + 1 < a.size() ? parseOrientations(a.at(i + 1)) : std::nullopt;
            if (!angles) {
                e << "vorkalo-cli: после --orientations нужны углы в градусах: A,B,... или ОТ:ДО:ШАГ "
                     "(шаг больше 0, не больше "
                  << kMaxOrientations << " углов)\n";
                code = 2;
                return true;
            }
            orientations = *angles;
            ++i;
            return true;
        }
        return false;
    };
    if (const int code = parseOptions(args, true, o, err)) {
        return code;
    }
    if (!o.output.isEmpty()) {
        err << "vorkalo-cli: неизвестный параметр \"-o\"\n" << kUsage;
        return 2;
    }
    TCommandInput in(TCommandInput::NoSteps);
    if (const int code = in.Load(o, err)) {
        return code;
    }
    // The same refusals as a fill: more tiles than allowed, not ready, or a
    // tile that cannot be laid.
    const double estimate = std::round(vk::EstimatedTileCount(in.project));
    if (estimate > o.maxTiles) {
        err << "vorkalo-cli: " << o.input << ": "
            << QStringLiteral("будет уложено около %1 плиток, больше допустимых %2; "
                              "чтобы подобрать, укажите --max-tiles с большим числом")
                   .arg(QString::number(estimate, 'f', 0), QString::number(o.maxTiles, 'f', 0))
            << '\n';
        return 1;
    }
    in.project.SetTilesToAskAbove(std::numeric_limits<double>::infinity());
    in.ui.Messages.clear();
    if (!in.project.CheckReadyToFill() || !in.project.CheckFillBounds()) {
        err << "vorkalo-cli: " << o.input << ": " << oneLine(in.ui.Messages.join(QStringLiteral("; "))) << '\n';
        return 1;
    }
    in.ui.Messages.clear();

    vk::TStartOptimizer optimizer(in.project);
    optimizer.SetGrid(grid);
    optimizer.SetOrientations(orientations);
    TTerminalProgress progress(err, int(optimizer.Candidates().size()));
    const vk::TOptimizeResult result = optimizer.Run(&progress);
    if (result.Top.empty()) {
        err << "vorkalo-cli: " << o.input << ": не удалось подобрать начальную точку\n";
        return 1;
    }
    if (o.json) {
        QJsonArray top;
        for (const vk::TStartCandidate& c : result.Top) {
            top.append(candidateJson(c));
        }
        const QJsonObject object{{"best", candidateJson(result.Top.front())},
                                 {"top", top},
                                 {"current", candidateJson(result.Current)},
                                 {"tried", result.Tried}};
        out << QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) << '\n';
        return 0;
    }
    out << "Лучший вариант: " << candidateText(result.Top.front()) << '\n';
    out << "Сейчас: " << candidateText(result.Current) << '\n';
    out << "Лучшие " << result.Top.size() << ":\n";
    for (std::size_t k = 0; k < result.Top.size(); ++k) {
        out << "  " << (k + 1) << ". " << candidateText(result.Top[k]) << '\n';
    }
    out << "Проверено вариантов: " << result.Tried << '\n';
    return 0;
}

} // namespace vkcli
