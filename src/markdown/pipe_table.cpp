#include "markdown/pipe_table.h"

#include <algorithm>

namespace velcaro::markdown {

void PipeTable::startRow() {
    endRow();
    rows_.emplace_back();
    rowOpen_ = true;
}

void PipeTable::endRow() {
    endCell();
    rowOpen_ = false;
}

void PipeTable::startCell(int columnSpan, int rowSpan) {
    if (!rowOpen_)
        startRow();
    endCell();
    std::vector<InlineText>& row = rows_.back();
    const std::size_t rowIndex = rows_.size() - 1;
    const auto max = static_cast<std::size_t>(kMaxColumns);
    while (row.size() < max && row.size() < coveredUntil_.size() &&
           coveredUntil_[row.size()] > rowIndex)
        row.emplace_back();
    cellOpen_ = true;
    if (row.size() >= max) {
        cell_ = max - 1;
        row[cell_].addBreak();
        return;
    }
    cell_ = row.size();
    const std::size_t end =
        std::min(max, cell_ + static_cast<std::size_t>(std::max(1, columnSpan)));
    row.resize(end);
    if (coveredUntil_.size() < end)
        coveredUntil_.resize(end, 0);
    for (std::size_t c = cell_; c < end; ++c)
        coveredUntil_[c] = rowIndex + static_cast<std::size_t>(std::max(1, rowSpan));
}

void PipeTable::endCell() {
    cellOpen_ = false;
}

InlineText& PipeTable::text() {
    if (cellOpen_)
        return openCell();
    if (rowOpen_) {
        startCell(1, 1);
        return openCell();
    }
    return caption_;
}

void PipeTable::addBreak() {
    if (cellOpen_)
        openCell().addBreak();
    else if (!rowOpen_)
        caption_.addBreak();
}

std::vector<InlineText> PipeTable::takeTexts(bool& lastIsOpen) {
    std::vector<InlineText> texts;
    lastIsOpen = false;
    if (!caption_.isEmpty())
        texts.push_back(std::move(caption_));
    for (std::size_t r = 0; r < rows_.size(); ++r) {
        for (std::size_t c = 0; c < rows_[r].size(); ++c) {
            const bool open = cellOpen_ && r + 1 == rows_.size() && c == cell_;
            if (open || !rows_[r][c].isEmpty()) {
                texts.push_back(std::move(rows_[r][c]));
                lastIsOpen = open;
            }
        }
    }
    rows_.clear();
    coveredUntil_.clear();
    caption_ = InlineText();
    rowOpen_ = cellOpen_ = false;
    return texts;
}

QStringList PipeTable::lines() const {
    std::size_t columns = 0;
    bool hasContent = false;
    for (const auto& row : rows_) {
        columns = std::max(columns, row.size());
        hasContent = hasContent || std::any_of(row.begin(), row.end(),
                                               [](const InlineText& t) { return !t.isEmpty(); });
    }
    QStringList out;
    if (!hasContent)
        return out;
    const auto writeRow = [&](const std::vector<InlineText>& row) {
        QString line = QStringLiteral("|");
        for (std::size_t c = 0; c < columns; ++c) {
            const QString cell = c < row.size() ? row[c].line(true) : QString();
            line += cell.isEmpty() ? QStringLiteral(" |") : u' ' + cell + QStringLiteral(" |");
        }
        return line;
    };
    for (const auto& row : rows_) {
        if (row.empty())
            continue;
        out.append(writeRow(row));
        if (out.size() == 1) {
            QString rule = QStringLiteral("|");
            for (std::size_t c = 0; c < columns; ++c)
                rule += QStringLiteral(" --- |");
            out.append(rule);
        }
    }
    return out;
}

} // namespace velcaro::markdown
