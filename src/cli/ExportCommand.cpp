// vorkalo-cli export: the plan as PDF (the printed pages), SVG and DXF.

#include "cli/ExportCommand.h"

#include "cli/CliCommon.h"
#include "exchange/DxfWriter.h"
#include "exchange/ExportShapes.h"
#include "exchange/PlanPrint.h"
#include "exchange/SvgExport.h"
#include "library/TileDB.h"
#include "model/Config.h"
#include "model/Project.h"

namespace vkcli {

namespace {

struct TExportFiles {
    QString pdf;
    QString svg;
    QString dxf;
    vk::TPrintOptions print;
};

// The export's own options, handed to the shared parser.
auto exportOptions(TExportFiles& files) {
    return [&files](const QStringList& args, int& i, int& code, QTextStream& err) {
        const QString& a = args.at(i);
        const struct {
            const char* name;
            QString* target;
        } outputs[] = {{"--pdf", &files.pdf}, {"--svg", &files.svg}, {"--dxf", &files.dxf}};
        for (const auto& output : outputs) {
            if (a == QLatin1String(output.name)) {
                if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                    err << "vorkalo-cli: после " << a << " нужно имя файла\n";
                    code = 2;
                    return true;
                }
                *output.target = args.at(++i);
                return true;
            }
        }
        if (a == QLatin1String("--scale")) {
            const std::optional<int> scale = i + 1 < args.size() ? vk::ParseScale(args.at(i + 1)) : std::nullopt;
            if (!scale) {
                err << "vorkalo-cli: после --scale нужен масштаб вида 1:50\n";
                code = 2;
                return true;
            }
            files.print.Scale = *scale;
            ++i;
            return true;
        }
        if (a == QLatin1String("--no-report")) {
            files.print.Report = false;
            return true;
        }
        return false;
    };
}

} // namespace

int exportCommand(const QStringList& args, QTextStream& out, QTextStream& err) {
    TOptions o;
    TExportFiles files;
    o.Extra = exportOptions(files);
    if (const int code = parseOptions(args, false, o, err)) {
        return code;
    }
    if (files.pdf.isEmpty() && files.svg.isEmpty() && files.dxf.isEmpty()) {
        err << "vorkalo-cli: не указан ни один файл для экспорта (--pdf, --svg или --dxf)\n" << kUsage;
        return 2;
    }
    TCommandInput in(TCommandInput::OwnSteps);
    if (const int code = in.Load(o, err)) {
        return code;
    }
    // A scene is laid first; a project is exported as it was saved.
    if (!in.fromProject) {
        if (const int code = FillLoaded(o, in.ui, in.steps, in.project, err)) {
            return code;
        }
    }
    int failed = 0;
    const auto done = [&](const QString& file, const QString& problem) {
        if (!problem.isEmpty()) {
            err << "vorkalo-cli: " << oneLine(problem) << '\n';
            ++failed;
        } else {
            out << file << '\n';
        }
    };
    if (!files.pdf.isEmpty()) {
        done(files.pdf, vk::WritePdf(files.pdf, in.project, files.print).Error);
    }
    // Both drawings are made of the same pieces, cut once.
    if (!files.svg.isEmpty() || !files.dxf.isEmpty()) {
        const vk::TExportDrawing drawing = vk::CollectDrawing(in.project);
        if (!files.svg.isEmpty()) {
            done(files.svg, vk::WriteSvg(files.svg, drawing, vk::SvgTitle(in.project)));
        }
        if (!files.dxf.isEmpty()) {
            done(files.dxf, vk::WriteDxf(files.dxf, drawing));
        }
    }
    return failed == 0 ? 0 : 1;
}

} // namespace vkcli
