// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CsvParser.h"

#include <csv.h>

#include <algorithm>

namespace {

struct Collector
{
    QList<CsvRow> rows;
    CsvRow current;
    int line = 1;
    bool rowStarted = false;
};

void onField(void *text, size_t size, void *data)
{
    auto *c = static_cast<Collector *>(data);
    if (!c->rowStarted) {
        c->current.line = c->line;
        c->rowStarted = true;
    }
    c->current.fields.append(QString::fromUtf8(static_cast<const char *>(text), qsizetype(size)));
}

void onRow(int, void *data)
{
    auto *c = static_cast<Collector *>(data);
    if (!c->rowStarted)
        c->current.line = c->line;
    c->rows.append(std::move(c->current));
    c->current = CsvRow();
    c->rowStarted = false;
}

// libcsv separates fields by the delimiter alone when a tab is the delimiter.
int isSpaceOnly(unsigned char c)
{
    return c == CSV_SPACE;
}

} // namespace

QByteArray CsvParser::withoutBom(const QByteArray &data)
{
    return data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
}

QList<CsvRow> CsvParser::parse(const QByteArray &data, char delimiter, int maxRows, QString *error)
{
    const QByteArray text = withoutBom(data);
    csv_parser parser;
    if (csv_init(&parser, 0) != 0) {
        if (error)
            *error = QStringLiteral("out of memory");
        return {};
    }
    csv_set_delim(&parser, static_cast<unsigned char>(delimiter));
    if (delimiter == '\t')
        csv_set_space_func(&parser, isSpaceOnly);

    Collector collector;
    QString failure;
    qsizetype pos = 0;
    // Line by line, so that each row knows its line; long lines go in slices,
    // between which the buffer's growth step doubles (libcsv grows it by a
    // fixed step, which is quadratic on a long field).
    constexpr qsizetype slice = 64 * 1024;
    while (pos < text.size() && (maxRows < 0 || collector.rows.size() < maxRows)) {
        const qsizetype newline = text.indexOf('\n', pos);
        const qsizetype end = std::min(newline < 0 ? text.size() : newline + 1, pos + slice);
        const size_t length = size_t(end - pos);
        if (csv_parse(&parser, text.constData() + pos, length, onField, onRow, &collector)
            != length) {
            failure = QString::fromUtf8(csv_strerror(csv_error(&parser)));
            break;
        }
        if (text.at(end - 1) == '\n')
            ++collector.line;
        pos = end;
        const size_t buffered = csv_get_buffer_size(&parser);
        if (qsizetype(buffered) > maxFieldBytes) {
            failure
                = QStringLiteral("line %1 holds a field of a megabyte or more").arg(collector.line);
            break;
        }
        csv_set_blk_size(&parser, std::clamp<size_t>(buffered, 128, maxFieldBytes / 4));
    }
    if (failure.isEmpty() && (maxRows < 0 || collector.rows.size() < maxRows))
        csv_fini(&parser, onField, onRow, &collector);
    csv_free(&parser);
    if (!failure.isEmpty() && error)
        *error = failure;
    if (maxRows >= 0 && collector.rows.size() > maxRows)
        collector.rows.resize(maxRows);
    return collector.rows;
}
