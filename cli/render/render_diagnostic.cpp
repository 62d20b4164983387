#include "render/render_diagnostic.hpp"

#include "render/render.hpp"

namespace tarnvik::cli {

DiagnosticRenderer::DiagnosticRenderer(std::string_view source, std::string display_name,
                                       bool color)
    : source_(source), index_(source), display_name_(std::move(display_name)), color_(color) {}

std::string DiagnosticRenderer::render(const Diagnostic& diagnostic) const {
    Report report;
    report.level = diagnostic.severity == Severity::Error ? Level::Error : Level::Warning;
    report.title = diagnostic.message;
    report.id = std::string(code_name(diagnostic.code));
    report.path = display_name_;
    report.source = source_;
    report.annotations.push_back({diagnostic.span, true, ""});
    for (const Label& label : diagnostic.labels) {
        report.annotations.push_back({label.span, false, label.message});
    }
    if (diagnostic.help) report.messages.push_back({Level::Help, *diagnostic.help});
    if (diagnostic.note) report.messages.push_back({Level::Note, *diagnostic.note});
    return cli::render(report, index_, RenderOptions{140, color_});
}

std::string render_diagnostic(const Diagnostic& diagnostic, std::string_view source,
                              std::string_view display_name, bool color) {
    return DiagnosticRenderer(source, std::string(display_name), color).render(diagnostic);
}

}  // namespace tarnvik::cli
