#include "desktop/report_view.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <algorithm>

namespace brimalox {
namespace {

constexpr int kKeptBlanks = 2;  // between two columns, however narrow the box

// One table: lines[first, last) of one length; the columns to leave out of them.
std::vector<bool> takenIn(const QStringList& lines, int first, int last, int columns) {
    const int length = static_cast<int>(lines[first].size());
    std::vector<bool> blank(static_cast<std::size_t>(length), true);
    for (int i = first; i < last; ++i)
        for (int c = 0; c < length; ++c)
            if (lines[i][c] != QLatin1Char(' ')) blank[static_cast<std::size_t>(c)] = false;
    // The runs of blank columns, each as [start, end); a column is taken from the longest run first.
    std::vector<std::pair<int, int>> runs;
    for (int c = 0; c < length;) {
        int end = c;
        while (end < length && blank[static_cast<std::size_t>(end)])
            ++end;
        if (end > c) runs.push_back({c, end});
        c = std::max(end, c + 1);
    }
    std::vector<bool> out(static_cast<std::size_t>(length), false);
    std::vector<int> left(runs.size());
    for (std::size_t r = 0; r < runs.size(); ++r)
        left[r] = runs[r].second - runs[r].first;
    for (int width = length; width > columns; --width) {
        const auto widest = std::max_element(left.begin(), left.end());
        if (widest == left.end() || *widest <= kKeptBlanks) break;
        const std::size_t r = static_cast<std::size_t>(widest - left.begin());
        --*widest;
        out[static_cast<std::size_t>(runs[r].first + *widest)] = true;  // from the run's end: its start stays
    }
    return out;
}

}  // namespace

Narrowed narrowTables(const QStringList& lines, int columns) {
    Narrowed narrowed{lines, std::vector<std::vector<int>>(static_cast<std::size_t>(lines.size()))};
    for (int first = 0; first < lines.size();) {
        int last = first + 1;
        while (last < lines.size() && lines[last].size() == lines[first].size())
            ++last;
        if (last - first >= 2 && lines[first].size() > columns) {
            const std::vector<bool> out = takenIn(lines, first, last, columns);
            for (int i = first; i < last; ++i) {
                QString shown;
                std::vector<int>& kept = narrowed.kept[static_cast<std::size_t>(i)];
                for (int c = 0; c < lines[i].size(); ++c)
                    if (!out[static_cast<std::size_t>(c)]) {
                        shown += lines[i][c];
                        kept.push_back(c);
                    }
                narrowed.shown[i] = shown;
            }
        }
        first = last;
    }
    return narrowed;
}

ReportView::ReportView(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
}

int ReportView::columns() const {
    const qreal room = viewport()->width() - 2 * document()->documentMargin();
    return std::max(1, static_cast<int>(room / QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0'))));
}

void ReportView::setReport(const QString& text) {
    report_ = text;
    laidFor_ = -1;
    lay();
}

void ReportView::lay() {
    if (laidFor_ == columns()) return;
    laidFor_ = columns();
    const int top = verticalScrollBar()->value();
    Narrowed narrowed = narrowTables(report_.split(QLatin1Char('\n')), laidFor_);
    kept_ = std::move(narrowed.kept);
    setPlainText(narrowed.shown.join(QLatin1Char('\n')));
    verticalScrollBar()->setValue(top);
}

void ReportView::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    if (!report_.isEmpty()) lay();
}

QMimeData* ReportView::createMimeDataFromSelection() const {
    const QStringList lines = report_.split(QLatin1Char('\n'));
    // A place in the box as a line of the report and a column of it.
    const auto original = [this, &lines](int position) {
        const QTextBlock block = document()->findBlock(position);
        const auto line = static_cast<std::size_t>(block.blockNumber());
        const int at = position - block.position();
        if (line >= kept_.size() || kept_[line].empty()) return std::pair(line, at);
        const std::vector<int>& kept = kept_[line];
        return std::pair(line, at < static_cast<int>(kept.size())
                                   ? kept[static_cast<std::size_t>(at)]
                                   : static_cast<int>(lines[static_cast<int>(line)].size()));
    };
    const auto [firstLine, firstColumn] = original(textCursor().selectionStart());
    const auto [lastLine, lastColumn] = original(textCursor().selectionEnd());
    QStringList copied;
    for (std::size_t line = firstLine; line <= lastLine && line < static_cast<std::size_t>(lines.size()); ++line) {
        const QString& text = lines[static_cast<int>(line)];
        const int from = line == firstLine ? firstColumn : 0;
        const int to = line == lastLine ? lastColumn : static_cast<int>(text.size());
        copied << text.mid(from, to - from);
    }
    auto* mime = new QMimeData;
    mime->setText(copied.join(QLatin1Char('\n')));
    return mime;
}

}  // namespace brimalox
