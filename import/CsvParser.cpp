// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "CsvParser.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <csv.h>

#include <algorithm>
#include <cstring>

namespace {

struct Collector
{
    QList<CsvRow> rows;
    CsvRow current;
    int line = 1;
    bool rowStarted = false;
    // The line on which the quoted field being read passed a line end.
    int openQuoteLine = 0;
};

QString decoded(const char *text, qsizetype size)
{
    // fromUtf8 drops a leading BOM, which inside a file is a character of the field.
    if (size < 3 || std::memcmp(text, "\xEF\xBB\xBF", 3) != 0)
        return QString::fromUtf8(text, size);
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom);
    return decoder.decode(QByteArrayView(text, size));
}

void onField(void *text, size_t size, void *data)
{
    auto *c = static_cast<Collector *>(data);
    if (!c->rowStarted) {
        c->current.line = c->line;
        c->rowStarted = true;
    }
    c->openQuoteLine = 0;
    c->current.fields.append(decoded(static_cast<const char *>(text), qsizetype(size)));
}

void onRow(int, void *data)
{
    auto *c = static_cast<Collector *>(data);
    if (!c->rowStarted)
        c->current.line = c->line;
    // A line of delimiters only, as spreadsheets leave between parts, is blank.
    const bool blank = std::all_of(c->current.fields.cbegin(), c->current.fields.cend(),
        [](const QString &f) { return f.trimmed().isEmpty(); });
    if (!blank)
        c->rows.append(std::move(c->current));
    c->current = CsvRow();
    c->rowStarted = false;
}

// libcsv separates fields by the delimiter alone when a tab is the delimiter.
int isSpaceOnly(unsigned char c)
{
    return c == CSV_SPACE;
}

// The parser's state inside an open quote, as libcsv numbers it: read from
// a parser that has just read one quote, so that no private value is copied.
int insideQuoteState()
{
    static const int state = [] {
        csv_parser probe;
        if (csv_init(&probe, 0) != 0)
            return -1;
        csv_parse(&probe, "\"", 1, nullptr, nullptr, nullptr);
        const int s = probe.pstate;
        csv_free(&probe);
        return s;
    }();
    return state;
}

// Where the line from pos ends: after its LF, CR LF or lone CR, as old Mac
// files end lines, or at the end of the text.
qsizetype lineEnd(const QByteArray &text, qsizetype pos)
{
    const char *const begin = text.constData();
    const char *const end = begin + text.size();
    const char *const found
        = std::find_if(begin + pos, end, [](char c) { return c == '\n' || c == '\r'; });
    if (found == end)
        return text.size();
    return found + 1 < end && found[0] == '\r' && found[1] == '\n' ? found - begin + 2
                                                                   : found - begin + 1;
}

} // namespace

QByteArray CsvParser::withoutBom(const QByteArray &data)
{
    return data.startsWith("\xEF\xBB\xBF") ? data.mid(3) : data;
}

char CsvParser::delimiterOf(const QByteArray &data)
{
    constexpr int linesLooked = 3;
    const char candidates[] = { ',', ';', '\t' };
    char best = ',';
    int bestCount = 0;
    qsizetype pos = 0;
    for (int line = 0; line < linesLooked && pos < data.size(); ++line) {
        const qsizetype end = lineEnd(data, pos);
        int counts[3] = {};
        bool quoted = false;
        for (qsizetype i = pos; i < end; ++i) {
            const char c = data.at(i);
            if (c == '"')
                quoted = !quoted;
            for (int k = 0; k < 3 && !quoted; ++k)
                counts[k] += c == candidates[k];
        }
        for (int k = 0; k < 3; ++k) {
            if (counts[k] > bestCount) {
                bestCount = counts[k];
                best = candidates[k];
            }
        }
        pos = end;
    }
    return best;
}

bool CsvParser::isTitle(const CsvRow &row)
{
    return std::count_if(row.fields.begin(), row.fields.end(), [](const QString &f) {
        return !f.trimmed().isEmpty();
    }) == 1;
}

QString CsvParser::fieldCountProblem(const CsvRow &row, int expected, int mayLack, int widest)
{
    const int n = int(row.fields.size());
    if (row.cut)
        return QStringLiteral("truncated row: the file ends inside a quoted field");
    if (n < expected - mayLack)
        return QStringLiteral("truncated row: %1 of %2 fields").arg(n).arg(expected);
    const bool extra = n > std::max(expected, widest)
        || std::any_of(row.fields.begin() + std::min(n, expected), row.fields.end(),
            [](const QString &f) { return !f.trimmed().isEmpty(); });
    if (extra)
        return QStringLiteral("%1 fields where the header has %2: a value holds an unquoted "
                              "delimiter")
            .arg(n)
            .arg(expected);
    return QString();
}

int CsvParser::widest(const QList<CsvRow> &rows, qsizetype first, qsizetype end, int header)
{
    if (first >= end)
        return header;
    const auto fewest = std::min_element(rows.begin() + first, rows.begin() + end,
        [](const CsvRow &a, const CsvRow &b) { return a.fields.size() < b.fields.size(); });
    return std::max(header, int(fewest->fields.size()));
}

QString CsvParser::endProblem(const CsvRow &row, int column)
{
    if (!row.unended || column != row.fields.size() - 1)
        return QString();
    return QStringLiteral("truncated row: the file ends inside its last value, without a line "
                          "end");
}

QString CsvParser::splitProblem(const CsvRow &row, int column)
{
    static const QRegularExpression whole(QStringLiteral("^[0-9]+$"));
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,2}$"));
    if (column < 0 || column + 1 >= row.fields.size())
        return QString();
    const QString value = row.fields.at(column).trimmed();
    const QString next = row.fields.at(column + 1).trimmed();
    if (!whole.match(value).hasMatch() || !digits.match(next).hasMatch())
        return QString();
    return QStringLiteral("\"%1\" is followed by \"%2\" in a column that this row leaves "
                          "empty: a decimal comma that is not quoted splits the value")
        .arg(value, next);
}

QList<CsvRow> CsvParser::parse(const QByteArray &data, char delimiter, int maxRows, QString *error)
{
    const QByteArray text = withoutBom(data);
    if (!delimiter)
        delimiter = delimiterOf(text);
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
        const qsizetype end = std::min(lineEnd(text, pos), pos + slice);
        const size_t length = size_t(end - pos);
        if (csv_parse(&parser, text.constData() + pos, length, onField, onRow, &collector)
            != length) {
            failure = QString::fromUtf8(csv_strerror(csv_error(&parser)));
            break;
        }
        // A slice may part a CR from its LF: the line ends after the LF.
        const char last = text.at(end - 1);
        if (last == '\n' || (last == '\r' && (end == text.size() || text.at(end) != '\n'))) {
            // A line end read while a quote is open belongs to the field.
            if (parser.quoted && !collector.openQuoteLine)
                collector.openQuoteLine = collector.line;
            ++collector.line;
        }
        pos = end;
        const size_t buffered = csv_get_buffer_size(&parser);
        if (qsizetype(buffered) > maxFieldBytes) {
            failure
                = QStringLiteral("line %1 holds a field of a megabyte or more").arg(collector.line);
            break;
        }
        csv_set_blk_size(&parser, std::clamp<size_t>(buffered, 128, maxFieldBytes / 4));
    }
    if (failure.isEmpty() && (maxRows < 0 || collector.rows.size() < maxRows)) {
        const bool openQuote = parser.quoted && parser.pstate == insideQuoteState();
        if (openQuote && collector.openQuoteLine) {
            failure = QStringLiteral("line %1: a quoted field is not closed before the end of "
                                     "the file")
                          .arg(collector.openQuoteLine);
        } else {
            const qsizetype before = collector.rows.size();
            csv_fini(&parser, onField, onRow, &collector);
            if (openQuote && collector.rows.size() > before)
                collector.rows.last().cut = true;
            // The real exports end their last row with a line end, which
            // this one, read by csv_fini, lacks; a closed quote ends its field whole.
            if (before > 0 && collector.rows.size() > before && !openQuote && !text.endsWith('"'))
                collector.rows.last().unended = true;
        }
    }
    csv_free(&parser);
    if (!failure.isEmpty() && error)
        *error = failure;
    if (maxRows >= 0 && collector.rows.size() > maxRows)
        collector.rows.resize(maxRows);
    return collector.rows;
}
