#include "render/render.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <optional>
#include <tuple>

#include "render/elision.hpp"
#include "render/margin.hpp"
#include "render/saturating.hpp"
#include "render/snippet_layout.hpp"
#include "render/source_lines.hpp"
#include "render/styled_buffer.hpp"

namespace tarnvik::cli {

namespace {

struct LevelLook {
    std::string_view name;
    Style style;
};

constexpr std::array<LevelLook, 4> LEVELS = {{
    {"error", Style::Error},
    {"warning", Style::Warning},
    {"help", Style::Help},
    {"note", Style::Note},
}};

const LevelLook& look(Level level) {
    return LEVELS[static_cast<std::size_t>(level)];
}

// The ASCII drawing of one annotation kind.
struct Underline {
    std::string_view mark;  // "^" or "-"
    Style style;
};

struct Frame {
    std::size_t width_offset;  // column of the multi-line bars' left edge
    std::size_t code_offset;   // column where source text starts
    std::size_t line_number_width;
    std::size_t column_width;  // columns left for the source text
    Margin margin;
    Style primary_style;
};

Underline underline(const Frame& frame, bool primary) {
    return primary ? Underline{"^", frame.primary_style} : Underline{"-", Style::Secondary};
}

void draw_separator(StyledBuffer& buffer, std::size_t row, std::size_t col) {
    buffer.putc(row, col, "|", Style::LineNumber);
}

void draw_multiline_bar(StyledBuffer& buffer, std::size_t row, const Frame& frame,
                        std::size_t depth, Style style) {
    buffer.putc(row, frame.width_offset + depth - 1, "|", style);
}

std::string right_aligned(std::size_t number, std::size_t width) {
    std::string text = std::to_string(number);
    return std::string(sat_sub(width, text.size()), ' ') + text;
}

// Draws a source line, trimmed to the margin; returns how many columns were cut on the left.
std::size_t draw_line(StyledBuffer& buffer, std::string_view text, const LineColumns& columns,
                      std::size_t number, std::size_t row, const Frame& frame) {
    TrimmedLine trimmed = frame.margin.trim(text, columns);
    buffer.puts(row, frame.code_offset, trimmed.code, Style::Plain);
    if (trimmed.cut_left) buffer.puts(row, frame.code_offset, "...", Style::LineNumber);
    if (trimmed.cut_right) {
        // Over the last three characters kept, one cell each whatever their width.
        buffer.puts(row, frame.code_offset + sat_sub(trimmed.chars, 3), "...", Style::LineNumber);
    }
    buffer.puts(row, 0, right_aligned(number, frame.line_number_width), Style::LineNumber);
    draw_separator(buffer, row, frame.width_offset - 2);
    return trimmed.left;
}

using Depths = std::vector<std::pair<std::size_t, Style>>;

// A line whose only marks start multi-line spans draws each start as "/" when the characters
// drawn before it, as many as the columns it starts at, are all white space: a zero-width
// character just before a start leaves it "/", a wide space does not.
bool draw_short_start(StyledBuffer& buffer, const AnnotatedLine& line, std::string_view text,
                      std::size_t row, const Frame& frame, Depths& depths) {
    std::vector<std::tuple<std::size_t, std::size_t, Style>> marks;
    for (const LineAnnotation& ann : line.annotations) {
        if (ann.kind == Kind::Line) continue;
        if (ann.kind != Kind::Start) return false;
        if (!drawn_prefix_is_blank(text, ann.start.display)) return false;
        Style style = underline(frame, ann.primary).style;
        depths.emplace_back(ann.depth, style);
        marks.emplace_back(row, frame.width_offset + ann.depth - 1, style);
    }
    for (auto [r, c, style] : marks)
        buffer.putc(r, c, "/", style);
    return true;
}

// Decides on which row below the source each annotation's label goes (0: beside the marks).
std::vector<std::pair<std::size_t, const LineAnnotation*>> label_rows(
    const std::vector<const LineAnnotation*>& anns, std::size_t& rows) {
    std::vector<std::pair<std::size_t, const LineAnnotation*>> positions;
    std::size_t p = 0;
    rows = 0;
    for (std::size_t i = 0; i < anns.size(); ++i) {
        const LineAnnotation& ann = *anns[i];
        for (std::size_t j = i + 1; j < anns.size(); ++j) {
            const LineAnnotation& next = *anns[j];
            if (overlaps(next, ann, 0) && ann.has_label() && p == 0) {
                // An unlabelled mark over the same columns merges into this one.
                if (next.start.display == ann.start.display &&
                    next.end.display == ann.end.display && !next.has_label()) {
                    continue;
                }
                ++p;
                break;
            }
        }
        positions.emplace_back(p, &ann);
        for (std::size_t j = i + 1; j < anns.size(); ++j) {
            const LineAnnotation& next = *anns[j];
            std::size_t padding = next.has_label() ? display_width(next.label) + 2 : 0;
            bool overlapping = overlaps(next, ann, padding);
            if ((overlapping && ann.has_label() && next.has_label()) ||
                (ann.takes_space() && next.has_label()) ||
                (ann.has_label() && next.takes_space()) ||
                (ann.takes_space() && next.takes_space()) ||
                (overlapping && next.end.display <= ann.end.display && next.has_label() &&
                 p == 0)) {
                ++p;
                break;
            }
        }
        rows = std::max(rows, p);
    }
    if (rows != 0) ++rows;
    return positions;
}

Depths draw_annotated_line(StyledBuffer& buffer, const AnnotatedLine& line, std::string_view text,
                           const LineColumns& columns, const Frame& frame,
                           const std::optional<Elision>& elision) {
    std::size_t row = buffer.num_lines();
    std::size_t left = draw_line(buffer, text, columns, line.line->number, row, frame);

    Depths depths;
    if (draw_short_start(buffer, line, text, row, frame, depths)) return depths;

    // Rightmost first, so the lines down to the labels never cross a label.
    std::vector<const LineAnnotation*> anns;
    for (const LineAnnotation& ann : line.annotations)
        anns.push_back(&ann);
    std::stable_sort(anns.begin(), anns.end(), [](const auto* a, const auto* b) {
        return std::tie(b->start.display, b->start.chr) < std::tie(a->start.display, a->start.chr);
    });

    std::size_t rows = 0;
    auto positions = label_rows(anns, rows);

    if (std::all_of(line.annotations.begin(), line.annotations.end(),
                    [](const LineAnnotation& a) { return a.kind == Kind::Line; })) {
        return {};
    }
    if (std::all_of(positions.begin(), positions.end(),
                    [](const auto& p) { return p.second->kind == Kind::Start; })) {
        // Only starts of multi-line spans: reverse their rows so their lines do not cross.
        std::size_t highest = 0;
        for (const auto& [pos, ann] : positions)
            highest = std::max(highest, pos);
        for (auto& [pos, ann] : positions)
            pos = highest - pos;
        rows = sat_sub(rows, 1);
    }

    for (std::size_t pos = 0; pos <= rows; ++pos) {
        draw_separator(buffer, row + pos + 1, frame.width_offset - 2);
    }

    auto column = [&](std::size_t display) { return sat_sub(frame.code_offset + display, left); };

    // The lines down to labels on lower rows, and the horizontal lines of multi-line spans.
    for (const auto& [position, ann] : positions) {
        Underline u = underline(frame, ann->primary);
        std::size_t pos = position + 1;
        if (pos > 1 && (ann->has_label() || ann->takes_space())) {
            for (std::size_t r = row + 1; r <= row + pos; ++r) {
                buffer.putc(r, column(ann->start.display), "|", u.style);
            }
        }
        if (ann->kind == Kind::Start || ann->kind == Kind::End) {
            if (ann->kind == Kind::End) {
                for (std::size_t r = row; r <= row + pos; ++r) {
                    draw_multiline_bar(buffer, r, frame, ann->depth, u.style);
                }
            }
            buffer.putc(row + pos, frame.width_offset + ann->depth - 1,
                        ann->kind == Kind::Start ? " " : "|", u.style);

            std::size_t until = sat_sub(frame.code_offset + ann->start.display, left);
            for (std::size_t c = frame.width_offset + ann->depth; c < until; ++c) {
                buffer.putc(row + pos, c, "_", u.style);
            }
        }
    }

    // A span starting here runs its bar down to the end of this line's rows.
    for (const auto& [pos, ann] : positions) {
        if (ann->kind != Kind::Start) continue;
        for (std::size_t r = row + pos + 2; r <= row + rows + 1; ++r) {
            draw_multiline_bar(buffer, r, frame, ann->depth, underline(frame, ann->primary).style);
        }
    }

    // The labels.
    for (const auto& [pos, ann] : positions) {
        if (!ann->has_label()) continue;
        Style style = underline(frame, ann->primary).style;
        if (pos == 0) {
            buffer.puts(row + 1, frame.code_offset + sat_sub(ann->end.display + 1, left),
                        ann->label, style);
        } else {
            buffer.puts(row + pos + 2, frame.code_offset + sat_sub(ann->start.display, left),
                        ann->label, style);
        }
    }

    // The marks, longest first so shorter ones show on top; a primary wins a tie.
    auto by_length = positions;
    std::stable_sort(by_length.begin(), by_length.end(), [](const auto& a, const auto& b) {
        return std::make_tuple(b.second->len(), a.second->primary) <
               std::make_tuple(a.second->len(), b.second->primary);
    });
    for (const auto& [pos, ann] : by_length) {
        Underline u = underline(frame, ann->primary);
        for (std::size_t p = ann->start.display; p < ann->end.display; ++p) {
            buffer.putc(row + 1, column(p), u.mark, u.style);
        }
        if (ann->takes_space() || (pos != 0 && ann->has_label())) {
            buffer.putc(row + 1, column(ann->start.display), u.mark, u.style);
        }
    }

    // The elided middle of a long span, in the style of the marks the renderer adds.
    if (elision) buffer.puts(row + 1, column(elision->begin), "...", Style::LineNumber);

    for (const auto& [pos, ann] : by_length) {
        if (ann->takes_space()) {
            depths.emplace_back(ann->depth, underline(frame, ann->primary).style);
        }
    }
    return depths;
}

Depths render_source_line(StyledBuffer& buffer, const AnnotatedLine& line, const SourceIndex& index,
                          const Frame& frame) {
    std::optional<Elision> elision = find_elision(line, frame.column_width);
    if (!elision) {
        return draw_annotated_line(buffer, line, line.line->text, index.columns(line.line->number),
                                   frame, elision);
    }
    std::string text = elide_text(normalize_whitespace(line.line->text), *elision);
    LineColumns columns = LineColumns::of(text);
    std::size_t row = buffer.num_lines();
    Depths depths = draw_annotated_line(buffer, elide_annotations(line, *elision), text, columns,
                                        frame, elision);
    // The "..." in the source line as well, where the window shows it.
    TrimmedLine shown = frame.margin.trim(text, columns);
    std::size_t first = columns.first_from(shown.left);
    std::size_t mark = columns.first_from(elision->begin);
    if (mark >= first && mark + 3 <= first + shown.chars) {
        buffer.puts(row, frame.code_offset + mark - first, "...", Style::LineNumber);
    }
    return depths;
}

// Draws the bars of the multi-line spans open across a row between shown lines.
void draw_open_bars(StyledBuffer& buffer, std::size_t row, const Frame& frame,
                    const std::map<std::size_t, Style>& open, const AnnotatedLine& line) {
    for (const auto& [depth, style] : open)
        draw_multiline_bar(buffer, row, frame, depth, style);
    for (const LineAnnotation& ann : line.annotations) {
        if (ann.kind == Kind::Start) {
            draw_multiline_bar(buffer, row, frame, ann.depth, underline(frame, ann.primary).style);
        }
    }
}

void render_snippet(StyledBuffer& buffer, const std::vector<AnnotatedLine>& lines,
                    const SourceIndex& index, const Frame& frame) {
    std::map<std::size_t, Style> open;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::size_t first_row = buffer.num_lines();
        Depths depths = render_source_line(buffer, lines[i], index, frame);
        std::map<std::size_t, Style> opened;
        for (auto [depth, style] : depths) {
            if (open.erase(depth) == 0) opened[depth] = style;
        }
        for (const auto& [depth, style] : open) {
            for (std::size_t r = first_row; r < buffer.num_lines(); ++r) {
                draw_multiline_bar(buffer, r, frame, depth, style);
            }
        }
        if (i + 1 < lines.size()) {
            std::size_t gap = lines[i + 1].line->number - lines[i].line->number;
            std::size_t row = buffer.num_lines();
            if (gap > 2) {
                buffer.puts(row, 0, "...", Style::LineNumber);
                draw_open_bars(buffer, row, frame, open, lines[i]);
            } else if (gap == 2) {
                const SourceLine& hidden = index.line(lines[i].line->number + 1);
                draw_line(buffer, hidden.text, index.columns(hidden.number), hidden.number, row,
                          frame);
                draw_open_bars(buffer, row, frame, open, lines[i]);
            }
        }
        open.insert(opened.begin(), opened.end());
    }
}

std::size_t digits(std::size_t n) {
    return std::to_string(n).size();
}

// The origin: the start of the first primary span, else of the first span.
Loc origin(const Report& report, const SourceIndex& index) {
    const Annotation* first = nullptr;
    for (bool want_primary : {true, false}) {
        for (const Annotation& ann : report.annotations) {
            if (want_primary && !ann.primary) continue;
            if (!first || ann.span.start < first->span.start) first = &ann;
        }
        if (first) break;
    }
    return index.locate(first->span.start, first->span.start).first;
}

// The lines of a text that may come from the checked file, each drawn like a source line, so
// that none of its characters can drive the terminal.
std::vector<std::string> visible_lines(std::string_view text) {
    std::vector<std::string> lines;
    for (;;) {
        std::size_t newline = text.find('\n');
        std::string_view line = text.substr(0, newline);
        if (newline != std::string_view::npos && line.ends_with('\r')) line.remove_suffix(1);
        lines.push_back(normalize_whitespace(line));
        if (newline == std::string_view::npos) return lines;
        text.remove_prefix(newline + 1);
    }
}

// Puts the lines of a text from `col` on, the first on `row` after what is there, the others
// on rows of their own indented to `col`.
void put_lines(StyledBuffer& buffer, std::size_t row, std::size_t col, std::string_view text,
               Style style) {
    bool first = true;
    for (const std::string& line : visible_lines(text)) {
        if (!first) {
            row = buffer.num_lines();
            buffer.puts(row, 0, std::string(col, ' '), Style::Plain);
        }
        buffer.append(row, line, style);
        first = false;
    }
}

void render_messages(StyledBuffer& buffer, const std::vector<Message>& messages,
                     std::size_t line_number_width) {
    if (messages.empty()) return;
    draw_separator(buffer, buffer.num_lines(), line_number_width + 1);
    for (const Message& message : messages) {
        const LevelLook& level = look(message.level);
        std::size_t row = buffer.num_lines();
        buffer.puts(row, line_number_width + 1, "= ", Style::LineNumber);
        // The level of a message is bold, without the colour of a title's level.
        buffer.append(row, level.name, Style::Emphasis);
        buffer.append(row, ": ", Style::Plain);
        std::size_t indent = line_number_width + 1 + 2 + level.name.size() + 2;
        put_lines(buffer, row, indent, message.text, Style::Plain);
    }
}

// The annotations with their labels drawn like source lines, on one row each.
std::vector<Annotation> visible_annotations(const std::vector<Annotation>& annotations) {
    std::vector<Annotation> out = annotations;
    for (Annotation& annotation : out)
        annotation.label = normalize_whitespace(annotation.label);
    return out;
}

}  // namespace

std::string render(const Report& report, const RenderOptions& options) {
    return render(report, SourceIndex(report.source), options);
}

std::string render(const Report& report, const SourceIndex& index, const RenderOptions& options) {
    StyledBuffer buffer;
    const LevelLook& level = look(report.level);
    std::string prefix(level.name);
    if (!report.id.empty()) prefix += "[" + normalize_whitespace(report.id) + "]";
    buffer.append(0, prefix, level.style);
    buffer.append(0, ": ", Style::Emphasis);
    // The lines after the first line up under the first, past the "error[id]: " before it.
    put_lines(buffer, 0, display_width(prefix) + 2, report.title, Style::Emphasis);

    std::size_t line_number_width = 0;
    if (!report.annotations.empty()) {
        Layout layout = lay_out(index, visible_annotations(report.annotations));
        line_number_width = digits(layout.lines.back().line->number);
        if (report.path) {
            Loc at = origin(report, index);
            std::size_t row = buffer.num_lines();
            buffer.puts(row, 0, std::string(line_number_width, ' '), Style::Plain);
            buffer.append(row, "--> ", Style::LineNumber);
            buffer.append(row,
                          normalize_whitespace(*report.path) + ":" + std::to_string(at.line) + ":" +
                              std::to_string(at.chr + 1),
                          Style::Plain);
        }
        draw_separator(buffer, buffer.num_lines(), line_number_width + 1);
        std::size_t width_offset = 3 + line_number_width;
        std::size_t code_offset =
            layout.depth == 0 ? width_offset : width_offset + layout.depth + 1;
        std::size_t column_width = sat_sub(options.width, code_offset);
        Frame frame{width_offset,
                    code_offset,
                    line_number_width,
                    column_width,
                    make_margin(layout.lines, index, column_width),
                    level.style};
        render_snippet(buffer, layout.lines, index, frame);
    }
    render_messages(buffer, report.messages, line_number_width);
    return buffer.render(options.color);
}

}  // namespace tarnvik::cli
