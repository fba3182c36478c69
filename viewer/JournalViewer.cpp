// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalViewer.h"

#include "BlockPool.h"
#include "GlucosePeriod.h"
#include "JournalEntry.h"
#include "ListBoxDateItem.h"
#include "ListBoxDelegate.h"
#include "ListBoxEntryItem.h"
#include "SugarEntry.h"
#include "TreatmentRecords.h"

#include <QFileInfo>
#include <QSignalBlocker>
#include <QStringDecoder>
#include <QThreadPool>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <future>
#include <string>

namespace {

// Where an entry stands: keys that lie side by side sort far faster than
// entries reached through pointers. They order as JournalEntry's operator<
// does, by day and then time of day (an invalid time, like an invalid date,
// first), and keep the file's order among entries of one moment. A day's
// header stands before all its entries.
struct Moment
{
    qint64 day;
    int msecs;
    quint32 rank; // the entry's line, or anything in the same order

    bool operator<(const Moment &o) const
    {
        return day != o.day ? day < o.day : msecs != o.msecs ? msecs < o.msecs : rank < o.rank;
    }
};

Moment momentOf(const JournalEntry *entry, int line)
{
    const QTime &time = entry->getTime();
    return { entry->getDate().toJulianDay(), time.isValid() ? time.msecsSinceStartOfDay() : -1,
        quint32(line) };
}

Moment momentOfRow(const QListWidgetItem *item)
{
    if (const auto *row = dynamic_cast<const ListBoxEntryItem *>(item))
        return momentOf(row->getEntry(), row->getLine());
    const auto *header = static_cast<const ListBoxDateItem *>(item);
    return { header->date().toJulianDay(), INT_MIN, 0 };
}

// The rows are in order of their moments: the first one at or after it.
int firstRowFrom(const QListWidget &list, const Moment &moment)
{
    int lo = 0, hi = list.count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (momentOfRow(list.item(mid)) < moment)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

// Lines a batch holds: each keeps a thread busy for a millisecond or more,
// and the few batches in hand stay small beside the journal's entries.
constexpr size_t batchLines = 8192;
constexpr int decoders = 1;

// A line decoded: its entry and the entry's row, which the receiver owns,
// or null; and what is wrong with it, if anything. What the receiver needs
// of every entry comes with it, read where the entry was just made:
// reaching into a million entries from the other thread would fetch each
// from the other core's cache.
struct Decoded
{
    int number = 0;
    // The line's place in its batch when it is left for the receiver to
    // decode, or -1.
    int later = -1;
    const JournalEntry *entry = nullptr;
    ListBoxEntryItem *row = nullptr;
    QString problem;
    // The entry's Julian day, INT_MIN without one, and time of day.
    std::pair<int, int> when;
    bool reading = false;
};

// Lines on their way to the decoding thread and back: their bytes back to
// back, the number of each with where it ends, and then what they decoded
// to. A few batches serve a whole journal, each used again once its lines
// are taken, so their memory is touched once rather than fresh for every
// batch, which costs far more than copying the lines into it. Each stands
// on cache lines of its own: the decoding thread grows one batch's list
// while this one fills the next, line by line.
struct alignas(128) Batch
{
    std::string bytes;
    std::vector<std::pair<int, qsizetype>> ends;
    std::vector<Decoded> decoded;
    std::future<void> done;
    // Whether the decoding thread makes the rows too, or leaves them here.
    bool rows = true;
};

// The text of a line of UTF-8, in a buffer that the lines share.
QStringView widen(QByteArrayView bytes, QString &buffer, QStringDecoder &utf8)
{
    if (buffer.size() < bytes.size())
        buffer.resize(bytes.size());
    QChar *out = buffer.data();
    // A line of ASCII, as most are, is widened as it stands: the decoder's
    // setting up costs more than the line.
    uchar seen = 0;
    for (const char c : bytes)
        seen |= uchar(c);
    if (seen >= 0x80)
        return QStringView(out, utf8.appendToBuffer(out, bytes));
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QLatin1Char(bytes[i]);
    return QStringView(out, bytes.size());
}

bool isReading(const JournalEntry *entry)
{
    return &entry->getType() == &SugarEntry::typecode;
}

// A reading as the statistics see it. Lines share the text of a reading
// type: its kind is found once a run.
class ReadingOf
{
public:
    GlucoseReading operator()(const JournalEntry *entry)
    {
        const auto *sugar = static_cast<const SugarEntry *>(entry);
        if (!sugar->getRType().isSharedWith(lastType)) {
            lastType = sugar->getRType();
            type = GlucoseReading::typeOf(lastType);
        }
        return { sugar->getDate(), sugar->getTime(), sugar->getValue(), type };
    }

private:
    QString lastType;
    GlucoseReading::Type type = GlucoseReading::Unspecified;
};

// A row holds no widget until it is added to the list: it can be made on
// any thread.
Decoded decodeLine(int number, QStringView text, bool row)
{
    Decoded line;
    line.number = number;
    const JournalEntry *entry = line.entry = JournalEntry::decode(text);
    line.problem = JournalFile::problem(entry);
    if (entry) {
        if (row)
            line.row = new ListBoxEntryItem(entry, number);
        const Moment moment = momentOf(entry, number);
        // Days of the years 1 to 9999, all a line can hold, are ints.
        line.when = { int(std::clamp<qint64>(moment.day, INT_MIN, INT_MAX)), moment.msecs };
        line.reading = isReading(entry);
    }
    return line;
}

// The bytes of the line at a place in a batch.
QByteArrayView lineOf(const Batch &batch, std::size_t place)
{
    const qsizetype from = place ? batch.ends[place - 1].second : 0;
    return QByteArrayView(batch.bytes.data() + from, batch.ends[place].second - from);
}

// Readings, the bulk of a journal, are decoded here; the other lines are
// left to the receiver, which would otherwise wait for this thread when a
// journal holds many records, which take longer to decode.
void decodeBatch(Batch &batch)
{
    QString buffer;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    batch.decoded.reserve(batch.ends.size());
    for (std::size_t place = 0; place < batch.ends.size(); ++place) {
        const QByteArrayView bytes = lineOf(batch, place);
        const int number = batch.ends[place].first;
        if (bytes.isEmpty())
            continue;
        if (!bytes.startsWith("SUGR|")) {
            Decoded line;
            line.number = number;
            line.later = int(place);
            batch.decoded.push_back(line);
            continue;
        }
        batch.decoded.push_back(decodeLine(number, widen(bytes, buffer, utf8), batch.rows));
    }
}

} // namespace

JournalViewer::JournalViewer(const QString &fileName, QWidget *parent, const char *name)
    : QListWidget(parent)
    , fileName(fileName)
    , journal(std::in_place, fileName)
{
    setObjectName(QString::fromLatin1(name));
    // Every row has the same height: the list need not measure a million of
    // them before it first paints.
    setUniformItemSizes(true);
    setItemDelegate(new ListBoxDelegate(this));
}

JournalViewer::~JournalViewer()
{
    clear(); // the rows point into the entries
    // The window goes when the process ends: a million readings in pooled
    // memory are left to go with it rather than freed one by one.
    if (BlockPool::holdsBlocks()) {
        for (auto &entry : entries)
            static_cast<void>(entry.release());
    }
}

void JournalViewer::setFileName(const QString &name)
{
    fileName = name;
    journal.emplace(name);
}

void JournalViewer::reload()
{
    clear();
    entries.clear();
    lines.clear();
    unreadable.clear();
    soundReadings = 0;
    soundRecords = 0;
    otherEntries = 0;

    // The lines are decoded, and their rows made, on other threads, a batch
    // at a time, while this one reads on and takes the batches decoded in
    // their turn. The file's bytes are read a piece at a time and not kept.
    std::vector<std::unique_ptr<ListBoxEntryItem>> made; // the entries' rows
    // Room for as many entries as a journal of readings has lines: growing
    // the lists line by line would copy them over and over.
    const auto expected = std::size_t(QFileInfo(fileName).size() / 28);
    made.reserve(expected);
    entries.reserve(expected);
    lines.reserve(expected);
    std::vector<std::pair<int, int>> when;
    when.reserve(expected);
    // The treatments are found here while the other thread decodes.
    treated.clear();
    TreatmentStatistics::Treatment treatment;
    const auto accept = [&](const Decoded &line) {
        if (!line.problem.isEmpty())
            unreadable.push_back({ line.number, line.problem });
        if (line.entry) {
            if (!line.reading && TreatmentRecords::read(*line.entry, &treatment))
                treated.push_back(treatment);
            keep(line.entry, line.number, line.problem.isEmpty(), line.reading);
            when.push_back(line.when);
            made.emplace_back(line.row ? line.row : new ListBoxEntryItem(line.entry, line.number));
        }
    };
    // A few batches in hand at most, however long the file: one filling
    // here, the others being decoded or waiting to be taken, in turn. They
    // outlive the decoding thread, which is waited for, whatever happens.
    std::array<Batch, decoders + 2> batches;
    QThreadPool decoder;
    decoder.setMaxThreadCount(decoders);
    std::size_t filling = 0;
    bool rowsThere = true;
    QString buffer; // for the lines left to this thread
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const auto collect = [&](Batch &batch) {
        if (!batch.done.valid())
            return;
        // Rows are made by the thread that waits for the other: here when
        // decoding is behind, there when reading is.
        rowsThere = batch.done.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
        batch.done.get();
        for (const Decoded &line : batch.decoded) {
            if (line.later < 0) {
                accept(line);
            } else {
                const QStringView text = widen(lineOf(batch, std::size_t(line.later)), buffer, utf8);
                if (!text.isEmpty())
                    accept(decodeLine(line.number, text, true));
            }
        }
        batch.bytes.clear();
        batch.ends.clear();
        batch.decoded.clear();
    };
    const auto send = [&] {
        Batch &batch = batches[filling];
        batch.rows = rowsThere;
        auto task = std::make_shared<std::packaged_task<void()>>([&batch] { decodeBatch(batch); });
        batch.done = task->get_future();
        decoder.start([task] { (*task)(); });
        filling = (filling + 1) % batches.size();
        collect(batches[filling]);
    };
    journal->scan([&](int n, QByteArrayView bytes) {
        Batch &batch = batches[filling];
        batch.bytes.append(bytes.data(), std::size_t(bytes.size()));
        // Made in place: a pair made aside and copied in whole would be read
        // back before the line's bytes, just copied, reach the cache, and
        // wait for them, which took most of the time of reading a line.
        batch.ends.emplace_back(n, qsizetype(batch.bytes.size()));
        if (batch.ends.size() == batchLines)
            send();
    });
    if (!batches[filling].ends.empty())
        send();
    for (std::size_t k = 1; k <= batches.size(); ++k)
        collect(batches[(filling + k) % batches.size()]);
    if (journal->isUtf16()) {
        for (int n = 1; n <= journal->lineCount(); ++n) {
            const QString text = journal->lineText(n);
            if (!text.isEmpty())
                accept(decodeLine(n, text, true));
        }
    }
    treatedKnown = true;
    buildRows(std::move(made), when);

    connect(this, &QListWidget::itemDoubleClicked, this, &JournalViewer::viewDetail,
        Qt::UniqueConnection);
}

void JournalViewer::buildRows(std::vector<std::unique_ptr<ListBoxEntryItem>> made,
    const std::vector<std::pair<int, int>> &when)
{
    clear();
    // The entries stand in the order of their lines, so an entry's index
    // ranks it as its line does. A journal kept by hand or by a device is
    // in order but for a few lines stored late: those are set aside,
    // sorted and merged back, which needs no key for every entry.
    std::vector<Moment> late;
    Moment last { LLONG_MIN, INT_MIN, 0 };
    std::vector<bool> inTurn(entries.size());
    const auto momentOfEntry = [&when](size_t i) {
        return Moment { when[i].first, when[i].second, quint32(i) };
    };
    for (size_t i = 0; i < entries.size(); ++i) {
        const Moment moment = momentOfEntry(i);
        if (moment < last) {
            late.push_back(moment);
        } else {
            last = moment;
            inTurn[i] = true;
        }
    }
    std::sort(late.begin(), late.end());
    {
        // The view learns of the new rows once, through reset(), rather
        // than row by row, which costs more than making the rows.
        const QSignalBlocker quiet(model());
        std::optional<int> shownDay;
        const auto add = [&](size_t i) {
            ListBoxEntryItem *row = made[i].release();
            if (when[i].first != shownDay) {
                shownDay = when[i].first;
                addItem(new ListBoxDateItem(row->getEntry()->getDate()));
            }
            addItem(row);
        };
        auto nextLate = late.cbegin();
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!inTurn[i])
                continue;
            const Moment moment = momentOfEntry(i);
            for (; nextLate != late.cend() && *nextLate < moment; ++nextLate)
                add(nextLate->rank);
            add(i);
        }
        for (; nextLate != late.cend(); ++nextLate)
            add(nextLate->rank);
    }
    reset();
    if (!hiddenTypes.isEmpty())
        applyShownTypes();
}

QString JournalViewer::summaryOf(const JournalEntry *entry) const
{
    // A value the statistics leave out is shown as written, with why: a
    // hand-typed 6.2 is no reading in mg/dL, whatever unit is shown.
    const QString problem = JournalFile::problem(entry);
    const auto *sugar = dynamic_cast<const SugarEntry *>(entry);
    QString s;
    if (shownUnit == GlucoseUnit::MgPerDl || !sugar || !problem.isEmpty()) {
        s = entry->getSummary();
    } else {
        s = entry->JournalEntry::getSummary() + u"Sugar = "
            + GlucoseUnit::format(sugar->getValue(), shownUnit) + u" mmol/L (" + sugar->getRType()
            + u") ";
        if (!sugar->getNotes().isEmpty())
            s += u"[NOTE]";
    }
    if (!problem.isEmpty())
        s += (s.endsWith(u' ') ? u"[" : u" [") + tr("not read: %1").arg(problem) + u']';
    return s;
}

void JournalViewer::showDetailOf(const JournalEntry *entry) const
{
    const auto *sugar = dynamic_cast<const SugarEntry *>(entry);
    if (sugar && sugar->hasWholeValue())
        sugar->showDetail(
            GlucoseUnit::format(sugar->getValue(), shownUnit), GlucoseUnit::name(shownUnit));
    else
        entry->showDetail();
}

std::vector<GlucoseReading> JournalViewer::readings(const QDate &from, const QDate &to) const
{
    std::vector<GlucoseReading> some;
    ReadingOf glucose;
    for (int row = from.isValid() ? rowOfDay(from) : 0; row >= 0 && row < count(); ++row) {
        const QListWidgetItem *it = item(row);
        if (const auto *entryRow = dynamic_cast<const ListBoxEntryItem *>(it)) {
            if (isReading(entryRow->getEntry()))
                some.push_back(glucose(entryRow->getEntry()));
        } else if (to.isValid() && static_cast<const ListBoxDateItem *>(it)->date() > to) {
            break;
        }
    }
    return some;
}

std::vector<GlucoseReading> JournalViewer::readingDays() const
{
    std::vector<GlucoseReading> days;
    ReadingOf glucose;
    int row = 0;
    while (row < count()) {
        const auto *entryRow = dynamic_cast<const ListBoxEntryItem *>(item(row));
        if (entryRow && isReading(entryRow->getEntry())) {
            const GlucoseReading reading = glucose(entryRow->getEntry());
            GlucosePeriod::addDay(days, reading);
            // A day with a usable reading is known: on to the next day.
            if (GlucosePeriod::isUsable(reading)) {
                row = firstRowFrom(*this, { reading.date.toJulianDay() + 1, INT_MIN, 0 });
                continue;
            }
        }
        ++row;
    }
    return days;
}

std::vector<TreatmentStatistics::Treatment> JournalViewer::treatments() const
{
    if (!treatedKnown) {
        treated.clear();
        TreatmentStatistics::Treatment t;
        // A journal of readings alone has none: the common case costs nothing.
        for (std::size_t i = 0; otherEntries > 0 && i < entries.size(); ++i) {
            if (!isReading(entries[i].get()) && TreatmentRecords::read(*entries[i], &t))
                treated.push_back(t);
        }
        treatedKnown = true;
    }
    return treated;
}

void JournalViewer::setUnit(GlucoseUnit::Unit unit)
{
    if (unit == shownUnit)
        return;
    shownUnit = unit;
    viewport()->update();
}

ListBoxEntryItem *JournalViewer::insertEntry(std::unique_ptr<const JournalEntry> entry, int line)
{
    shiftLines(line, +1);
    const JournalEntry *shown = entry.release();
    const QString problem = JournalFile::problem(shown);
    keep(shown, line, problem.isEmpty(), isReading(shown));
    if (!problem.isEmpty()) {
        const auto after = std::find_if(unreadable.begin(), unreadable.end(),
            [line](const Problem &p) { return p.line > line; });
        unreadable.insert(after, { line, problem });
    }

    const Moment moment = momentOf(shown, line);
    int lo = firstRowFrom(*this, moment);
    const bool sameDay = lo > 0 && momentOfRow(item(lo - 1)).day == moment.day;
    if (!sameDay)
        insertItem(lo++, new ListBoxDateItem(shown->getDate()));
    auto *row = new ListBoxEntryItem(shown, line);
    insertItem(lo, row);
    if (!hiddenTypes.isEmpty())
        applyShownTypes();
    return row;
}

void JournalViewer::removeEntry(ListBoxEntryItem *row)
{
    treatedKnown = false;
    const int at = this->row(row);
    const int line = row->getLine();
    const JournalEntry *entry = row->getEntry();
    delete takeItem(at);
    // A header that heads nothing goes too.
    const bool headerBefore = at > 0 && !dynamic_cast<ListBoxEntryItem *>(item(at - 1));
    const bool entryAfter = at < count() && dynamic_cast<ListBoxEntryItem *>(item(at));
    if (headerBefore && !entryAfter)
        delete takeItem(at - 1);

    // The line was either not read, and listed so, or a sound entry.
    const auto listed = std::find_if(
        unreadable.begin(), unreadable.end(), [line](const Problem &p) { return p.line == line; });
    const bool sound = listed == unreadable.end();
    if (!sound)
        unreadable.erase(listed);
    const auto found = std::find_if(entries.begin(), entries.end(),
        [entry](const std::unique_ptr<const JournalEntry> &e) { return e.get() == entry; });
    if (found != entries.end()) {
        if (sound)
            --(isReading(entry) ? soundReadings : soundRecords);
        otherEntries -= !isReading(entry);
        lines.erase(lines.begin() + (found - entries.begin()));
        entries.erase(found);
    }
    shiftLines(line + 1, -1);
    if (!hiddenTypes.isEmpty())
        applyShownTypes();
}

bool JournalViewer::replaceEntry(ListBoxEntryItem *row, std::unique_ptr<const JournalEntry> &entry)
{
    const JournalEntry *old = row->getEntry();
    if (!entry || entry->getDate() != old->getDate() || entry->getTime() != old->getTime())
        return false;
    const auto found = std::find_if(entries.begin(), entries.end(),
        [old](const std::unique_ptr<const JournalEntry> &e) { return e.get() == old; });
    if (found == entries.end())
        return false;
    const int line = row->getLine();
    // The line was either not read, and listed so, or a sound entry; so it
    // is again, as the new entry is.
    const auto listed = std::find_if(
        unreadable.begin(), unreadable.end(), [line](const Problem &p) { return p.line == line; });
    if (listed == unreadable.end())
        --(isReading(old) ? soundReadings : soundRecords);
    else
        unreadable.erase(listed);
    otherEntries -= !isReading(old);
    const QString problem = JournalFile::problem(entry.get());
    if (problem.isEmpty()) {
        ++(isReading(entry.get()) ? soundReadings : soundRecords);
    } else {
        const auto after = std::find_if(unreadable.begin(), unreadable.end(),
            [line](const Problem &p) { return p.line > line; });
        unreadable.insert(after, { line, problem });
    }
    otherEntries += !isReading(entry.get());
    row->setEntry(entry.get());
    found->reset(entry.release());
    treatedKnown = false;
    update(indexFromItem(row));
    if (!hiddenTypes.isEmpty())
        applyShownTypes();
    return true;
}

ListBoxEntryItem *JournalViewer::rowOfLine(int line) const
{
    const auto found = std::find(lines.begin(), lines.end(), line);
    if (found == lines.end())
        return nullptr;
    const JournalEntry *entry = entries[size_t(found - lines.begin())].get();
    return dynamic_cast<ListBoxEntryItem *>(item(firstRowFrom(*this, momentOf(entry, line))));
}

int JournalViewer::rowOfDay(const QDate &date) const
{
    const int row = firstRowFrom(*this, { date.toJulianDay(), INT_MIN, 0 });
    return row < count() ? row : -1;
}

void JournalViewer::keep(const JournalEntry *entry, int line, bool sound, bool reading)
{
    treatedKnown = false;
    entries.emplace_back(entry);
    lines.push_back(line);
    if (sound)
        ++(reading ? soundReadings : soundRecords);
    otherEntries += !reading;
}

void JournalViewer::shiftLines(int from, int delta)
{
    bool rowsMove = false;
    for (int &l : lines) {
        if (l >= from) {
            l += delta;
            rowsMove = true;
        }
    }
    // A reading added at the end moves no row: the rows need no visit.
    for (int i = 0; rowsMove && i < count(); ++i) {
        auto *row = dynamic_cast<ListBoxEntryItem *>(item(i));
        if (row && row->getLine() >= from)
            row->setLine(row->getLine() + delta);
    }
    for (Problem &p : unreadable) {
        if (p.line >= from)
            p.line += delta;
    }
}

void JournalViewer::setTypeShown(const QString &typecode, bool shown)
{
    if (shown == isTypeShown(typecode))
        return;
    if (shown)
        hiddenTypes.remove(typecode);
    else
        hiddenTypes.insert(typecode);
    applyShownTypes();
}

void JournalViewer::applyShownTypes()
{
    // From the end, so that a header knows whether a row of its day shows.
    bool dayShown = false;
    for (int i = count() - 1; i >= 0; --i) {
        bool show = dayShown;
        if (auto *row = dynamic_cast<ListBoxEntryItem *>(item(i))) {
            show = isTypeShown(row->getEntry()->getType());
            dayShown = dayShown || show;
        } else {
            dayShown = false;
        }
        if (isRowHidden(i) == show)
            setRowHidden(i, !show);
    }
}

void JournalViewer::viewDetail(QListWidgetItem *item)
{
    if (auto *row = dynamic_cast<ListBoxCustomItem *>(item))
        row->showDetail();
}
