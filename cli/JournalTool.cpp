// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalTool.h"

#include "CommandLine.h"
#include "CsvExport.h"
#include "CsvReader.h"
#include "DeviceImport.h"
#include "DuplicateFilter.h"
#include "GlucosePeriod.h"
#include "GlucoseProfile.h"
#include "GlucoseReport.h"
#include "GlucoseSequence.h"
#include "GlucoseStatistics.h"
#include "GlucoseSummary.h"
#include "GlucoseUnit.h"
#include "HbA1cEntry.h"
#include "JournalFile.h"
#include "JournalTypes.h"
#include "ReadingValue.h"
#include "RegularFile.h"
#include "SugarEntry.h"
#include "TreatmentRecords.h"
#include "TreatmentStatistics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <future>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

// The highest value a reading may hold, the same as an import's.
constexpr int highestValue = ReadingValue::maxMgPerDl;
// How long a change waits for another writer unless --wait says: a command
// has no window to hold up, and a script that adds beside an import must
// not fail, yet one that is stuck behind a hung writer hears of it.
constexpr int writerWaitSeconds = 10;
// The largest device export read; more is not an export.
constexpr qint64 sourceLimit = qint64(1) << 30;
// How often a change reads the journal again when a program that takes no
// lock changes it meanwhile.
constexpr int changeAttempts = 3;

struct Command
{
    const char *name;
    const char *arguments;
    const char *description;
};

const Command commands[] = {
    { "check", "JOURNAL", "Lists the lines that do not read as sound readings or records." },
    { "stats", "JOURNAL", "Shows the statistics of a period." },
    { "add", "JOURNAL VALUE [TYPE [NOTES]]",
        "Adds one reading or record, now unless --at is given." },
    { "import", "JOURNAL SOURCE",
        "Adds the readings and records of a device export, all or none." },
    { "export", "JOURNAL", "Writes the readings and records of a period as CSV." },
    { "report", "JOURNAL", "Writes the report, two pages, as PDF or PNG." },
};

bool isMissing(const JournalFile &file)
{
    return !file.exists() && file.errorString() == QLatin1String("No such file");
}

// The readings and records of a journal, with their entries.
struct Journal
{
    JournalFile file;
    // Every reading, sound or not: the statistics count those that are not
    // as ignored, as the viewer's do.
    std::vector<std::unique_ptr<SugarEntry>> readings;
    // The other records, those of a possible date and time.
    std::vector<std::unique_ptr<RecordEntry>> records;

    explicit Journal(const QString &path)
        : file(path)
    { }

    // False when the journal cannot be read, a missing one too.
    bool read()
    {
        if (!file.read())
            return false;
        decode();
        return true;
    }

    // The readings and records of the journal as last read.
    void decode()
    {
        readings.clear();
        records.clear();
        for (int n = 1; n <= file.lineCount(); ++n) {
            std::unique_ptr<JournalEntry> entry(JournalEntry::decode(file.lineText(n)));
            if (!entry)
                continue;
            if (auto *sugar = dynamic_cast<SugarEntry *>(entry.get())) {
                entry.release();
                readings.emplace_back(sugar);
            } else if (!entry->getDate().isValid() || !entry->getTime().isValid()) {
                continue;
            } else if (auto *record = dynamic_cast<RecordEntry *>(entry.get())) {
                entry.release();
                records.emplace_back(record);
            }
        }
        // In time order, the file's order among entries of one minute.
        const auto earlier = [](const auto &a, const auto &b) { return *a < *b; };
        std::stable_sort(readings.begin(), readings.end(), earlier);
        std::stable_sort(records.begin(), records.end(), earlier);
    }

    std::vector<GlucoseReading> glucose() const
    {
        std::vector<GlucoseReading> all;
        all.reserve(readings.size());
        // Lines share the text of a reading type: its kind is found once a run.
        QString lastType;
        GlucoseReading::Type type = GlucoseReading::Unspecified;
        for (const auto &r : readings) {
            if (!r->getRType().isSharedWith(lastType)) {
                lastType = r->getRType();
                type = GlucoseReading::typeOf(lastType);
            }
            all.push_back({ r->getDate(), r->getTime(), r->getValue(), type });
        }
        return all;
    }
};

// What the statistics and the report need of a journal: its readings as
// the statistics see them, sound or not (those that are not count as
// ignored), and its treatments, both in time order. A plain reading is read
// from its bytes, without an entry, and the two halves of the journal on
// two threads: a million readings take a fraction of a second. Each half
// is filled in a Figures of its own cache lines: a line that one thread
// writes at every reading and the other reads would pass between the
// cores each time.
struct alignas(64) Figures
{
    std::vector<GlucoseReading> readings;
    std::vector<TreatmentStatistics::Treatment> treatments;

    // False, with the file's errorString(), when the journal cannot be
    // read, a missing one too.
    bool read(JournalFile &file)
    {
        // Room for a line of readings in every 24 bytes, each half in its
        // own list: pages never written to cost nothing.
        const auto most = std::size_t(QFileInfo(file.path()).size() / 24);
        sequence.reserve(most);
        Figures second;
        second.sequence.reserve(most / 2);
        Figures *const parts[] = { this, &second };
        if (!file.readInParts(
                2, [&parts](int part, QByteArrayView line) { parts[part]->read(line); }))
            return false;
        readings = GlucoseSequence::join(sequence, second.sequence);
        treatments.insert(treatments.end(), second.treatments.begin(), second.treatments.end());
        std::stable_sort(treatments.begin(), treatments.end(), [](const auto &a, const auto &b) {
            return a.date != b.date ? a.date < b.date : a.time < b.time;
        });
        return true;
    }

private:
    void read(QByteArrayView line)
    {
        SugarEntry::Reading plain;
        if (!SugarEntry::readPlain(line, &plain)) {
            readEntry(QString::fromUtf8(line));
            return;
        }
        // Lines share the text of a reading type: its kind is found once a run.
        if (plain.type != lastType) {
            lastType = plain.type.toByteArray();
            type = GlucoseReading::typeOf(QString::fromLatin1(lastType));
        }
        sequence.add(plain.date, plain.time, plain.value, type);
    }

    void readEntry(const QString &line)
    {
        const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
        TreatmentStatistics::Treatment t;
        if (const auto *sugar = dynamic_cast<const SugarEntry *>(entry.get())) {
            sequence.add(sugar->getDate(), sugar->getTime(), sugar->getValue(),
                GlucoseReading::typeOf(sugar->getRType()));
        } else if (entry && entry->getDate().isValid() && entry->getTime().isValid()
            && TreatmentRecords::read(*entry, &t)) {
            treatments.push_back(t);
        }
    }

    GlucoseSequence sequence; // the readings as they are read
    QByteArray lastType;
    GlucoseReading::Type type = GlucoseReading::Unspecified;
};

// Takes the journal's lock, reads the journal and appends the lines that
// make() gives for what it read: other writers wait for this change, and
// it for theirs. A program that writes without the lock may change the
// file in between: then it is read again, a few times. False, with the
// file's errorString(), when the journal cannot be read or written.
bool appendLocked(JournalFile &file, int waitMs, const std::function<QStringList()> &make)
{
    if (!file.lock(waitMs))
        return false;
    for (int attempt = 1;; ++attempt) {
        if (!file.read() && !isMissing(file))
            return false;
        const QStringList lines = make();
        if (lines.isEmpty() || file.append(lines))
            return true;
        if (!file.wasChanged() || attempt == changeAttempts)
            return false;
    }
}

// "1 reading", "2 readings".
QString counted(qsizetype n, const char *one, const char *many)
{
    return QString::number(n) + u' ' + QLatin1String(n == 1 ? one : many);
}

void addPeriodOptions(QCommandLineParser &parser)
{
    parser.addOption({ "days",
        "The last N days, ending on the newest reading's day, today at the latest.", "N" });
    parser.addOption({ "from", "The first day, YYYY-MM-DD.", "DATE" });
    parser.addOption({ "to", "The last day, YYYY-MM-DD.", "DATE" });
}

void addWaitOption(QCommandLineParser &parser)
{
    parser.addOption({ "wait",
        QStringLiteral("How long to wait for another writer, in seconds; %1 when not given.")
            .arg(writerWaitSeconds),
        "SECONDS", QString::number(writerWaitSeconds) });
}

// The wait that --wait names, in milliseconds; false, with the reason, when it names none.
bool waitOf(const QCommandLineParser &parser, int *ms, QString *error)
{
    bool ok = false;
    const int seconds = parser.value("wait").toInt(&ok);
    if (!ok || seconds < 0 || seconds > 24 * 3600) {
        *error = QStringLiteral("--wait needs a number of seconds from 0 to 86400, not \"%1\"")
                     .arg(parser.value("wait"));
        return false;
    }
    *ms = seconds * 1000;
    return true;
}

void addUnitOption(QCommandLineParser &parser)
{
    parser.addOption({ "unit", "mg/dL (the default) or mmol/L.", "UNIT", "mg/dL" });
}

// The period the options name; an empty error when they name one.
GlucosePeriod periodOf(const QCommandLineParser &parser, QString *error)
{
    if (parser.isSet("days")) {
        if (parser.isSet("from") || parser.isSet("to")) {
            *error = QStringLiteral("--days and --from/--to exclude each other");
            return {};
        }
        bool ok = false;
        const int days = parser.value("days").toInt(&ok);
        if (!ok || days < 1) {
            *error = QStringLiteral("--days needs a number of days above 0, not \"%1\"")
                         .arg(parser.value("days"));
            return {};
        }
        return GlucosePeriod::lastDays(days);
    }
    if (parser.isSet("from") != parser.isSet("to")) {
        *error = QStringLiteral("--from and --to go together");
        return {};
    }
    if (parser.isSet("from")) {
        const QDate from = QDate::fromString(parser.value("from"), Qt::ISODate);
        const QDate to = QDate::fromString(parser.value("to"), Qt::ISODate);
        if (!from.isValid() || !to.isValid()) {
            *error = QStringLiteral("dates are written YYYY-MM-DD");
            return {};
        }
        if (from > to) {
            *error = QStringLiteral("--from %1 is after --to %2")
                         .arg(parser.value("from"), parser.value("to"));
            return {};
        }
        return GlucosePeriod::between(from, to);
    }
    return GlucosePeriod::all();
}

bool unitOf(const QCommandLineParser &parser, GlucoseUnit::Unit *unit, QString *error)
{
    if (GlucoseUnit::parse(parser.value("unit"), unit))
        return true;
    *error = QStringLiteral("the unit is mg/dL or mmol/L, not \"%1\"").arg(parser.value("unit"));
    return false;
}

// The period and the unit that the options name; false, with the reason, on a usage error.
bool periodAndUnitOf(const QCommandLineParser &parser, GlucosePeriod *period,
    GlucoseUnit::Unit *unit, QString *error)
{
    *period = periodOf(parser, error);
    return error->isEmpty() && unitOf(parser, unit, error);
}

// A record of an export as the journal's entry; null, with the reason,
// when the journal knows no such record.
std::unique_ptr<RecordEntry> entryOf(const ImportedRecord &r, QString *why)
{
    const RecordEntry::Description *type = JournalTypes::record(r.type);
    std::unique_ptr<RecordEntry> entry = type ? JournalTypes::create(*type) : nullptr;
    if (!entry) {
        *why = QStringLiteral("no such record type \"%1\"").arg(r.type.left(40));
        return nullptr;
    }
    entry->setDate(r.date);
    entry->setTime(r.time);
    for (int i = 0; i < entry->fieldCount(); ++i)
        entry->setText(i,
            QString(r.fields.value(QString::fromLatin1(type->fields[size_t(i)].key)))
                .remove(u'\r'));
    return entry;
}

// And a journal's record as an export writes it, named by its word.
ImportedRecord exportedOf(const RecordEntry &entry)
{
    ImportedRecord r { entry.getDate(), entry.getTime(),
        QString::fromLatin1(entry.description().word), {} };
    for (int i = 0; i < entry.fieldCount(); ++i) {
        if (!entry.text(i).isEmpty())
            r.fields.insert(
                QString::fromLatin1(entry.description().fields[size_t(i)].key), entry.text(i));
    }
    return r;
}

// Every record field's name but the notes, which share the readings' column.
QStringList recordFieldNames()
{
    QStringList names;
    for (const RecordEntry::Description *type : JournalTypes::records()) {
        for (const RecordEntry::Field &f : type->fields) {
            const QString key = QString::fromLatin1(f.key);
            if (key != QLatin1String("notes") && !names.contains(key))
                names << key;
        }
    }
    return names;
}

// "KIND UNITS INSULIN NOTES": a record's fields as add takes them.
QString fieldWords(const RecordEntry::Description &type)
{
    QStringList words;
    for (const RecordEntry::Field &f : type.fields)
        words << QString::fromLatin1(f.key).toUpper();
    return words.join(u' ');
}

QJsonValue number(double v)
{
    return std::isnan(v) ? QJsonValue() : QJsonValue(v);
}

QString shown(double mgPerDl, GlucoseUnit::Unit unit)
{
    return std::isnan(mgPerDl) ? QStringLiteral("-") : GlucoseUnit::format(mgPerDl, unit);
}

QString percent(double v)
{
    return std::isnan(v) ? QStringLiteral("-") : QString::number(v, 'f', 1) + u" %";
}

const char *const episodeKeys[GlucoseEpisodes::kindCount]
    = { "hypo_lv1", "hypo_lv2", "hypo_extended", "hyper_lv1", "hyper_lv2" };
const char *const timeOfDayKeys[GlucoseStatistics::timeOfDayCount]
    = { "night", "morning", "afternoon", "evening" };

// The figures of one period as JSON, glucose in the unit. A meter's
// readings are too sparse for the figures of a sensor: those are null.
QJsonObject statsJson(const GlucoseStatistics &s, GlucoseUnit::Unit unit)
{
    const auto inUnit
        = [unit](double mgPerDl) { return number(GlucoseUnit::fromMgPerDl(mgPerDl, unit)); };
    const bool cgm = !s.isMeter();
    const auto sensor = [cgm](double v) { return cgm ? number(v) : QJsonValue(); };
    const auto date = [](const QDate &d) {
        return d.isValid() ? QJsonValue(d.toString(Qt::ISODate)) : QJsonValue();
    };
    QJsonObject o;
    o["kind"] = cgm ? "cgm" : "meter";
    o["period_start"] = date(s.periodStart());
    o["period_end"] = date(s.periodEnd());
    o["readings"] = s.count();
    o["ignored"] = s.ignored();
    o["first"] = date(s.firstDay());
    o["last"] = date(s.lastDay());
    o["days"] = s.daysWithReadings();
    o["readings_per_day"] = s.readingsPerDay();
    o["active"] = sensor(s.activePercent());
    o["unit"] = GlucoseUnit::name(unit);
    o["mean"] = inUnit(s.mean());
    o["sd"] = inUnit(s.sd());
    o["cv"] = number(s.cv());
    o["gmi"] = number(s.gmiPercent());
    o["gmi_mmol_mol"] = number(s.gmiMmolPerMol());
    o["gri"] = sensor(s.gri());
    o["min"] = inUnit(s.minimum());
    o["q1"] = inUnit(s.firstQuartile());
    o["median"] = inUnit(s.median());
    o["q3"] = inUnit(s.thirdQuartile());
    o["max"] = inUnit(s.maximum());
    QJsonObject ranges;
    ranges["very_low"] = s.bandPercent(GlucoseStatistics::VeryLow);
    ranges["low"] = s.bandPercent(GlucoseStatistics::Low);
    ranges["in_range"] = s.bandPercent(GlucoseStatistics::InRange);
    ranges["high"] = s.bandPercent(GlucoseStatistics::High);
    ranges["very_high"] = s.bandPercent(GlucoseStatistics::VeryHigh);
    o["ranges"] = ranges;
    o["counts"] = QJsonObject { { "below_70", s.countBelow70() }, { "below_54", s.countBelow54() },
        { "above_250", s.countAbove250() } };

    const auto group = [&inUnit](const GlucoseStatistics::Group &g) {
        return QJsonObject { { "n", g.count }, { "mean", inUnit(g.mean) }, { "sd", inUnit(g.sd) } };
    };
    QJsonObject types;
    for (int t = 0; t < GlucoseReading::typeCount; ++t) {
        const auto type = GlucoseReading::Type(t);
        if (s.byType(type).count > 0)
            types[QLatin1String(GlucoseReading::typeName(type))] = group(s.byType(type));
    }
    o["by_type"] = types;
    QJsonObject parts;
    for (int p = 0; p < GlucoseStatistics::timeOfDayCount; ++p)
        parts[QLatin1String(timeOfDayKeys[p])]
            = group(s.byTimeOfDay(GlucoseStatistics::TimeOfDay(p)));
    o["by_time_of_day"] = parts;

    if (cgm) {
        const GlucoseEpisodes &e = s.episodes();
        QJsonObject episodes;
        QJsonObject perWeek;
        QJsonObject minutes;
        for (int k = 0; k < GlucoseEpisodes::kindCount; ++k) {
            const auto kind = GlucoseEpisodes::Kind(k);
            episodes[QLatin1String(episodeKeys[k])] = e.count(kind);
            perWeek[QLatin1String(episodeKeys[k])] = e.perWeek(kind);
            minutes[QLatin1String(episodeKeys[k])] = e.meanMinutes(kind);
        }
        episodes["per_week"] = perWeek;
        episodes["mean_minutes"] = minutes;
        o["episodes"] = episodes;
    } else {
        o["episodes"] = QJsonValue();
    }
    const GlucoseVariability &v = s.variability();
    // Changes in glucose are in the unit; the indices have none. A meter's
    // readings, hours apart, do not show the curve these measure.
    const auto sensorGlucose
        = [&](double mgPerDl) { return sensor(GlucoseUnit::fromMgPerDl(mgPerDl, unit)); };
    o["variability"] = QJsonObject { { "mage", sensorGlucose(v.mage()) },
        { "modd", sensorGlucose(v.modd()) }, { "conga", sensorGlucose(v.conga()) },
        { "lbgi", number(v.lbgi()) }, { "hbgi", number(v.hbgi()) }, { "adrr", number(v.adrr()) },
        { "j_index", number(v.jIndex()) }, { "mag", sensorGlucose(v.mag()) },
        { "cogi", number(v.cogi()) }, { "gvp", sensor(v.gvp()) } };
    return o;
}

// The rest of the diabetes day beside a period's figures: means over the
// days that have each kind, the last HbA1c only when there is one.
void addTreatments(QJsonObject &o, const TreatmentStatistics &t)
{
    o["insulin"] = QJsonObject { { "days", t.insulinDays() }, { "doses", t.doses() },
        { "total_per_day", number(t.insulinPerDay()) },
        { "bolus_per_day", number(t.bolusPerDay()) },
        { "basal_per_day", number(t.basalPerDay()) } };
    o["carbs"] = QJsonObject { { "days", t.carbDays() }, { "entries", t.carbEntries() },
        { "grams_per_day", number(t.gramsPerDay()) } };
    o["activity"] = QJsonObject { { "days", t.activityDays() },
        { "minutes_per_day", number(t.minutesPerDay()) } };
    if (t.lastHbA1cDate().isValid())
        o["hba1c"] = QJsonObject { { "last", t.lastHbA1c() },
            { "date", t.lastHbA1cDate().toString(Qt::ISODate) } };
}

} // namespace

JournalTool::JournalTool(QTextStream &out, QTextStream &err)
    : out(out)
    , err(err)
{ }

int JournalTool::usage(const QString &message)
{
    err << "journal-tool: " << CommandLine::printable(message) << "\n"
        << "Try 'journal-tool --help'.\n";
    err.flush();
    return 2;
}

int JournalTool::fail(const QString &message)
{
    err << "journal-tool: " << CommandLine::printable(message) << "\n";
    err.flush();
    return 1;
}

int JournalTool::run(const QStringList &arguments)
{
    const int code = dispatch(arguments);
    // What a command prints is lost on a full disk or a closed pipe: that
    // is a failure, as export's is.
    out.flush();
    if (out.status() == QTextStream::Ok)
        return code;
    QIODevice *device = out.device();
    const QString why = device && !device->errorString().isEmpty()
            && device->errorString() != QLatin1String("Unknown error")
        ? device->errorString()
        : QStringLiteral("The output could not be written whole");
    return std::max(code, fail(u"standard output: " + why));
}

int JournalTool::dispatch(const QStringList &arguments)
{
    const QString command = arguments.value(1);
    const Command *known = nullptr;
    for (const Command &c : commands) {
        if (command == QLatin1String(c.name))
            known = &c;
    }
    if (!known) {
        if (command == QLatin1String("--version") || command == QLatin1String("-v")) {
            out << "journal-tool " << QCoreApplication::applicationVersion() << "\n";
            return 0;
        }
        if (command.isEmpty() || command == QLatin1String("--help")
            || command == QLatin1String("-h") || command == QLatin1String("help")) {
            out << "Usage: journal-tool COMMAND [OPTIONS] JOURNAL ...\n\n"
                << "The readings of a health journal from the command line.\n\nCommands:\n";
            for (const Command &c : commands)
                out << "  " << QString::fromLatin1(c.name).leftJustified(8) << c.description
                    << "\n";
            out << "\n'journal-tool COMMAND --help' shows a command's options.\n";
            out.flush();
            return command.isEmpty() ? 2 : 0;
        }
        return usage(QStringLiteral("unknown command \"%1\"").arg(command));
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(known->description));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help = parser.addHelpOption();
    const QString name = QString::fromLatin1(known->name);
    if (name == QLatin1String("stats")) {
        addPeriodOptions(parser);
        addUnitOption(parser);
        parser.addOption({ "json", "One JSON object, numbers unrounded." });
        parser.addOption({ "profile", "With --json: the daily profile, 96 bins of 15 minutes." });
        parser.addOption({ "compare", "Also the period of the same length just before." });
    } else if (name == QLatin1String("add")) {
        QString records = QStringLiteral(
            "\n\nA record other than a reading: journal-tool add JOURNAL RECORD FIELD..., "
            "its fields in this order:");
        for (const RecordEntry::Description *type : JournalTypes::records())
            records
                += u"\n  " + QString::fromLatin1(type->word).leftJustified(9) + fieldWords(*type);
        parser.setApplicationDescription(parser.applicationDescription() + records);
        parser.addOption({ "at", "The entry's date and time, \"YYYY-MM-DD HH:MM\".", "TIME" });
        addUnitOption(parser);
        parser.addOption({ "force",
            QStringLiteral("Adds a glucose value outside %1-%2 mg/dL all the same.")
                .arg(GlucoseReading::plausibleLowest)
                .arg(GlucoseReading::plausibleHighest) });
        addWaitOption(parser);
    } else if (name == QLatin1String("import")) {
        parser.addOption({ "format",
            DeviceImport::formats().join(u", ") + u"; recognised from the file when not given.",
            "FORMAT" });
        parser.addOption({ "columns",
            "The columns of a CSV by their names in its header, the first line that has them "
            "all: date=NAME,time=NAME,value=NAME and, if wanted, timestamp, type, unit (a name "
            "or the unit itself) and notes; a name with a comma in double quotes.",
            "LIST" });
        parser.addOption({ "dry-run", "Reads and counts, writes nothing." });
        addWaitOption(parser);
    } else if (name == QLatin1String("export")) {
        addPeriodOptions(parser);
        addUnitOption(parser);
        parser.addOption(
            { { "o", "output" }, "The CSV file; standard output when not given.", "FILE" });
    } else if (name == QLatin1String("report")) {
        addPeriodOptions(parser);
        addUnitOption(parser);
        parser.addOption({ { "o", "output" }, "The report: FILE.pdf or FILE.png.", "FILE" });
    }
    for (const QString &a : QString::fromLatin1(known->arguments).split(u' '))
        parser.addPositionalArgument(a, QString());

    QStringList rest = arguments;
    rest.removeAt(1);
    if (!parser.parse(rest))
        return usage(parser.errorText());
    if (parser.isSet(help)) {
        QString text = parser.helpText();
        text.replace(QStringLiteral("journal-tool [options]"),
            QStringLiteral("journal-tool %1 [options]").arg(name));
        out << text;
        out.flush();
        return 0;
    }

    if (name == QLatin1String("check"))
        return check(parser);
    if (name == QLatin1String("stats"))
        return stats(parser);
    if (name == QLatin1String("add"))
        return add(parser);
    if (name == QLatin1String("import"))
        return import(parser);
    if (name == QLatin1String("export"))
        return exportCsv(parser);
    return report(parser);
}

int JournalTool::check(QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return usage(QStringLiteral("check takes one journal"));
    JournalFile file(args[0]);
    if (!file.read())
        return fail(args[0] + u": " + file.errorString());
    int problems = 0;
    const QDate today = QDate::currentDate();
    for (int n = 1; n <= file.lineCount(); ++n) {
        const QString line = file.lineText(n);
        if (line.isEmpty())
            continue;
        const std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
        // The lines not read, as the viewer counts them.
        const QString problem = JournalFile::problem(entry.get());
        // Fields after the entry's last are read past, but a change of the
        // line leaves them out: a note, as the viewer reads the line.
        const QString extra
            = entry ? line.section(u'|', entry->encode().count(u'|') + 1) : QString();
        if (!problem.isEmpty()) {
            out << CommandLine::printable(args[0]) << ':' << n << ": " << problem << "\n";
            ++problems;
        } else if (!QString(extra).remove(u'|').isEmpty()) {
            out << CommandLine::printable(args[0]) << ':' << n << ": note: "
                << counted(extra.count(u'|') + 1, "field", "fields")
                << " after the last, lost when the line is changed: \""
                << ImportResult::excerpt(extra) << "\"\n";
        } else if (entry->getDate() > today) {
            // Read, and counted, but most likely a slip or a clock ahead.
            out << CommandLine::printable(args[0]) << ':' << n << ": note: dated after today, "
                << entry->getDate().toString(Qt::ISODate) << "\n";
        }
    }
    out << counted(problems, "problem", "problems") << " in "
        << counted(file.lineCount(), "line", "lines") << "\n";
    out.flush();
    return problems ? 1 : 0;
}

namespace {

// Each figure of a period beside the period before, as the statistics dock
// shows it and judges its change, in the plain numbers of the rest of the text.
void compareText(QTextStream &out, const GlucoseStatistics &now, const GlucoseStatistics &before,
    const TreatmentStatistics &treatedNow, const TreatmentStatistics &treatedBefore,
    GlucoseUnit::Unit unit)
{
    const QLocale shown;
    QLocale::setDefault(QLocale::c());
    const std::vector<GlucoseSummary::Line> lines
        = GlucoseSummary::lines(now, unit, &before, &treatedNow, &treatedBefore);
    const std::vector<GlucoseSummary::Line> then
        = GlucoseSummary::lines(before, unit, nullptr, &treatedBefore);
    QLocale::setDefault(shown);
    for (const GlucoseSummary::Line &line : lines) {
        if (line.heading) {
            out << "  " << line.label << ":\n";
            continue;
        }
        out << "    " << line.label.leftJustified(30);
        // A sensor's figures have no value for a meter's readings: the line says so.
        if (line.greyed) {
            out << line.value << "\n";
            continue;
        }
        const auto was = std::find_if(then.begin(), then.end(),
            [&line](const GlucoseSummary::Line &b) { return !b.heading && b.label == line.label; });
        out << (was == then.end() ? QStringLiteral("–") : was->value) << " → " << line.value;
        if (!line.change.isEmpty())
            out << "  " << line.change;
        out << "\n";
    }
}

} // namespace

int JournalTool::stats(QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return usage(QStringLiteral("stats takes one journal"));
    QString error;
    GlucosePeriod period;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    if (!periodAndUnitOf(parser, &period, &unit, &error))
        return usage(error);
    if (parser.isSet("profile") && !parser.isSet("json"))
        return usage(QStringLiteral("--profile goes with --json"));
    JournalFile file(args[0]);
    Figures figures;
    if (!figures.read(file))
        return fail(args[0] + u": " + file.errorString());
    const std::vector<GlucoseReading> &readings = figures.readings;
    const std::vector<TreatmentStatistics::Treatment> &treatments = figures.treatments;
    const GlucoseStatistics s(readings, period);
    const TreatmentStatistics t(treatments, s, period);
    const bool compare = parser.isSet("compare");
    const GlucosePeriod previousPeriod = compare ? period.previous(readings) : GlucosePeriod();
    const GlucoseStatistics before
        = compare ? GlucoseStatistics(readings, previousPeriod) : GlucoseStatistics();
    const TreatmentStatistics treatedBefore
        = compare ? TreatmentStatistics(treatments, before, previousPeriod) : TreatmentStatistics();
    const auto inUnit
        = [unit](double mgPerDl) { return number(GlucoseUnit::fromMgPerDl(mgPerDl, unit)); };

    if (parser.isSet("json")) {
        QJsonObject o = statsJson(s, unit);
        addTreatments(o, t);
        if (compare) {
            QJsonObject previous = statsJson(before, unit);
            addTreatments(previous, treatedBefore);
            o["previous"] = previous;
        }
        if (parser.isSet("profile")) {
            const GlucoseProfile profile(readings, period);
            QJsonArray bins;
            for (int i = 0; i < GlucoseProfile::binCount; ++i) {
                const GlucoseProfile::Bin &b = profile.bin(i);
                bins.append(QJsonObject { { "minute", i * GlucoseProfile::binMinutes },
                    { "n", b.count }, { "p5", inUnit(b.p5) }, { "p25", inUnit(b.p25) },
                    { "p50", inUnit(b.p50) }, { "p75", inUnit(b.p75) }, { "p95", inUnit(b.p95) } });
            }
            o["profile"] = bins;
        }
        out << QJsonDocument(o).toJson(QJsonDocument::Indented);
        out.flush();
        return 0;
    }

    // The rest of the diabetes day, after the glucose figures.
    QString treatmentText;
    QTextStream more(&treatmentText);
    const auto oneDecimal = [](double v) { return QString::number(v, 'f', 1); };
    if (t.insulinDays())
        more << "Insulin: " << oneDecimal(t.insulinPerDay()) << " u a day (bolus "
             << oneDecimal(t.bolusPerDay()) << ", basal " << oneDecimal(t.basalPerDay())
             << ") over " << t.insulinDays() << (t.insulinDays() == 1 ? " day" : " days") << "\n";
    if (t.carbDays())
        more << "Carbohydrates: " << QString::number(t.gramsPerDay(), 'f', 0) << " g a day over "
             << t.carbDays() << (t.carbDays() == 1 ? " day" : " days") << "\n";
    if (t.activityDays())
        more << "Activity: " << QString::number(t.minutesPerDay(), 'f', 0) << " min a day over "
             << t.activityDays() << (t.activityDays() == 1 ? " day" : " days") << "\n";
    if (t.lastHbA1cDate().isValid())
        more << "HbA1c: " << t.lastHbA1c() << " % (" << HbA1cEntry::mmolPerMol(t.lastHbA1c())
             << " mmol/mol) on " << t.lastHbA1cDate().toString(Qt::ISODate) << "\n";
    more.flush();
    const QString u = GlucoseUnit::name(unit);
    const auto mark = [&s](GlucoseStatistics::Target target) {
        const char *sign = target == GlucoseStatistics::VariabilityTarget ? "≤"
            : GlucoseStatistics::targetIsMaximum(target)                  ? "<"
                                                                          : ">";
        const QString limit = QString::fromUtf8(sign)
            + QString::number(GlucoseStatistics::targetLimit(target)) + u" %";
        // A figure the readings cannot give is not judged: a CV of one reading.
        const bool missed = !std::isnan(s.targetValue(target)) && !s.targetMet(target);
        return QStringLiteral("  (target %1%2)").arg(limit, missed ? ", missed" : "");
    };
    const int decimals = unit == GlucoseUnit::MmolPerL ? 1 : 0;
    const auto glucose = [&](double mgPerDl) {
        return std::isnan(mgPerDl)
            ? QStringLiteral("-")
            : QString::number(GlucoseUnit::fromMgPerDl(mgPerDl, unit), 'f', decimals);
    };
    out << "Journal: " << CommandLine::printable(QFileInfo(args[0]).fileName()) << "\n";
    // As the window's period says: the last days end today at the latest.
    if (period.kind() == GlucosePeriod::LastDays && period.endsBeforeNewest(readings))
        out << "Readings dated after today are left out.\n";
    if (!s.count()) {
        out << "No readings in the period.\n" << treatmentText;
        out.flush();
        return 0;
    }
    const bool meter = s.isMeter();
    out << "Period: " << s.periodStart().toString(Qt::ISODate) << " to "
        << s.periodEnd().toString(Qt::ISODate) << ", "
        << counted(s.daysWithReadings(), "day", "days") << " with readings";
    if (meter)
        out << ", a meter's readings (" << QString::number(s.readingsPerDay(), 'f', 1)
            << " a day)\n";
    else
        out << ", CGM active " << percent(s.activePercent()) << "\n";
    if (!meter && !s.isSufficient())
        out << "Too few data for the consensus: it asks for 14 days and 70 % active.\n";
    out << "Readings: " << s.count() << " (ignored " << s.ignored() << ")\n"
        << "Mean: " << shown(s.mean(), unit) << ' ' << u << "   SD: " << glucose(s.sd()) << ' ' << u
        << "   CV: " << percent(s.cv()) << mark(GlucoseStatistics::VariabilityTarget) << "\n"
        << "GMI: " << percent(s.gmiPercent()) << " (" << QString::number(s.gmiMmolPerMol(), 'f', 0)
        << " mmol/mol)";
    if (!meter)
        out << "   GRI: " << QString::number(s.gri(), 'f', 1);
    out << "\n"
        << (meter ? "Readings in ranges:\n" : "Time in ranges:\n") << "  very high  > 250 mg/dL   "
        << percent(s.bandPercent(GlucoseStatistics::VeryHigh))
        << mark(GlucoseStatistics::VeryHighTarget) << "\n"
        << "  high     181-250 mg/dL   " << percent(s.bandPercent(GlucoseStatistics::High))
        << mark(GlucoseStatistics::AboveRangeTarget) << " with very high\n"
        << "  in range  70-180 mg/dL   " << percent(s.bandPercent(GlucoseStatistics::InRange))
        << mark(GlucoseStatistics::InRangeTarget) << "\n"
        << "  low        54-69 mg/dL   " << percent(s.bandPercent(GlucoseStatistics::Low))
        << mark(GlucoseStatistics::BelowRangeTarget) << " with very low\n"
        << "  very low    < 54 mg/dL   " << percent(s.bandPercent(GlucoseStatistics::VeryLow))
        << mark(GlucoseStatistics::VeryLowTarget) << "\n"
        << "Min / Q1 / median / Q3 / max: " << shown(s.minimum(), unit) << " / "
        << shown(s.firstQuartile(), unit) << " / " << shown(s.median(), unit) << " / "
        << shown(s.thirdQuartile(), unit) << " / " << shown(s.maximum(), unit) << ' ' << u << "\n"
        << "Readings below 70: " << s.countBelow70() << ", below 54: " << s.countBelow54()
        << ", above 250: " << s.countAbove250() << "\n";
    const auto group = [&](const char *name, const GlucoseStatistics::Group &g) {
        if (g.count > 0)
            out << "  " << QString::fromLatin1(name).leftJustified(15) << glucose(g.mean) << " ± "
                << glucose(g.sd) << ' ' << u << "  (" << g.count << ")\n";
    };
    if (meter) {
        out << "By reading type:\n";
        for (int t = 0; t < GlucoseReading::typeCount; ++t)
            group(GlucoseReading::typeName(GlucoseReading::Type(t)),
                s.byType(GlucoseReading::Type(t)));
        out << "By time of day:\n";
        for (int p = 0; p < GlucoseStatistics::timeOfDayCount; ++p)
            group(timeOfDayKeys[p], s.byTimeOfDay(GlucoseStatistics::TimeOfDay(p)));
    } else {
        const GlucoseEpisodes &e = s.episodes();
        out << "Episodes (count, per week, mean minutes):\n";
        const char *const names[]
            = { "hypo < 70", "hypo < 54", "hypo < 70, 2 h", "hyper > 180", "hyper > 250" };
        for (int k = 0; k < GlucoseEpisodes::kindCount; ++k) {
            const auto kind = GlucoseEpisodes::Kind(k);
            out << "  " << QString::fromLatin1(names[k]).leftJustified(15) << e.count(kind) << ", "
                << QString::number(e.perWeek(kind), 'f', 1) << ", "
                << QString::number(e.meanMinutes(kind), 'f', 0) << "\n";
        }
    }
    const GlucoseVariability &v = s.variability();
    const auto index
        = [](double x) { return std::isnan(x) ? QStringLiteral("-") : QString::number(x, 'f', 1); };
    // A meter's readings, hours apart, do not show the curve these measure.
    const QString notMetered = QStringLiteral("- (meter)");
    if (meter)
        out << "Variability: MAGE, MODD, CONGA, MAG " << notMetered;
    else
        out << "Variability: MAGE " << glucose(v.mage()) << ", MODD " << glucose(v.modd())
            << ", CONGA " << glucose(v.conga()) << ", MAG " << glucose(v.mag()) << ' ' << u;
    out << "\n  LBGI " << index(v.lbgi()) << ", HBGI " << index(v.hbgi()) << ", ADRR "
        << index(v.adrr()) << ", J-index " << index(v.jIndex()) << ", COGI " << index(v.cogi())
        << ", GVP " << (meter ? notMetered : percent(v.gvp())) << "\n";

    out << treatmentText;

    if (compare) {
        out << "Previous period: ";
        if (!before.periodStart().isValid() || before.count() == 0) {
            out << "no readings\n";
        } else {
            out << before.periodStart().toString(Qt::ISODate) << " to "
                << before.periodEnd().toString(Qt::ISODate) << " (then → now, change)\n";
            compareText(out, s, before, t, treatedBefore, unit);
        }
    }
    out.flush();
    return 0;
}

int JournalTool::add(QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    int waitMs = 0;
    QString error;
    if (!waitOf(parser, &waitMs, &error))
        return usage(error);
    QDateTime at = QDateTime::currentDateTime();
    if (parser.isSet("at")) {
        const QString text = parser.value("at");
        const QDate date = QDate::fromString(text.left(10), QStringLiteral("yyyy-MM-dd"));
        const QTime time = QTime::fromString(text.mid(11), QStringLiteral("HH:mm"));
        if (!date.isValid() || !time.isValid() || text.size() != 16 || text[10] != u' ')
            return usage(QStringLiteral("--at is \"YYYY-MM-DD HH:MM\", not \"%1\"").arg(text));
        at = QDateTime(date, time);
        // Clocks that go forward skip an hour: no reading was taken in it.
        if (!at.isValid() || at.time() != time)
            return usage(QStringLiteral("--at %1 does not exist in the local time zone: the clocks "
                                        "skip it")
                             .arg(text));
    }
    at.setTime(QTime(at.time().hour(), at.time().minute()));
    // Meant, perhaps, as a clock may be ahead; most likely a slip.
    if (at.date() > QDate::currentDate()) {
        err << "journal-tool: warning: " << at.date().toString(Qt::ISODate) << " is after today\n";
        err.flush();
    }

    // A record's word in place of the value: the record's fields follow in line order.
    std::unique_ptr<JournalEntry> entry;
    if (const RecordEntry::Description *type = JournalTypes::record(args.value(1))) {
        const QStringList fields = args.mid(2);
        if (fields.isEmpty() || fields.size() > qsizetype(type->fields.size()))
            return usage(QStringLiteral("add JOURNAL %1 takes %2").arg(args[1], fieldWords(*type)));
        std::unique_ptr<RecordEntry> record = JournalTypes::create(*type);
        record->setDateTime(at);
        for (int i = 0; i < fields.size(); ++i) {
            // Numbers as the window's dialog writes them: "72.40" as "72.4".
            const QString text = QString(fields[i]).remove(u'\r');
            record->setText(i,
                type->fields[size_t(i)].kind == RecordEntry::Field::Number
                    ? RecordEntry::tidyNumber(text)
                    : text);
        }
        const QString problem = record->problem();
        if (!problem.isEmpty())
            return usage(problem);
        entry = std::move(record);
    } else {
        if (args.size() < 2 || args.size() > 4)
            return usage(
                QStringLiteral("add takes a journal, a value, and a type and notes if wanted"));
        GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
        if (!unitOf(parser, &unit, &error))
            return usage(error);
        bool ok = false;
        const double value = args[1].toDouble(&ok);
        if (!ok || !(value > 0) || value > GlucoseUnit::fromMgPerDl(highestValue, unit))
            return usage(QStringLiteral("\"%1\" is not a glucose value in %2")
                             .arg(args[1], GlucoseUnit::name(unit)));
        // The journal holds whole mg/dL: a fraction is most likely mmol/L.
        if (unit == GlucoseUnit::MgPerDl && value != std::floor(value))
            return usage(QStringLiteral("%1 is not a whole number of mg/dL: did you mean --unit "
                                        "mmol/L?")
                             .arg(args[1]));
        bool implausible = false;
        const QString doubt = GlucoseUnit::doubt(value, unit, &implausible);
        if (implausible && !parser.isSet("force"))
            return usage(doubt + u" (--force adds it all the same)");
        if (!doubt.isEmpty()) {
            err << "journal-tool: warning: " << doubt << "\n";
            err.flush();
        }
        const int mgPerDl = GlucoseUnit::toMgPerDl(value, unit);
        auto sugar = std::make_unique<SugarEntry>();
        sugar->setDateTime(at);
        sugar->setValue(mgPerDl);
        sugar->setRType(args.value(2));
        sugar->setNotes(args.value(3).remove(u'\r'));
        entry = std::move(sugar);
    }

    JournalFile file(args[0]);
    const QString line = entry->encode();
    if (!appendLocked(file, waitMs, [&] { return QStringList { line }; }))
        return fail(args[0] + u": " + file.errorString());
    out << line << "\n";
    out.flush();
    return 0;
}

int JournalTool::import(QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2)
        return usage(QStringLiteral("import takes a journal and a device export"));
    const QString format = parser.value("format");
    if (!format.isEmpty() && !DeviceImport::formats().contains(format))
        return usage(QStringLiteral("the formats are %1, not \"%2\"")
                         .arg(DeviceImport::formats().join(QStringLiteral(", ")), format));
    const QString columns = parser.value("columns");
    if (parser.isSet("columns")) {
        if (!format.isEmpty() && format != CsvReader::format)
            return usage(QStringLiteral("--columns goes with the format csv, not %1").arg(format));
        const QString problem = CsvReader::columnsProblem(columns);
        if (!problem.isEmpty())
            return usage(problem);
    }
    int waitMs = 0;
    QString why;
    if (!waitOf(parser, &waitMs, &why))
        return usage(why);
    QByteArray bytes;
    if (!RegularFile::readAll(args[1], sourceLimit, &bytes, &why))
        return fail(args[1] + u": " + why);
    const ImportResult result
        = DeviceImport::read(bytes, parser.isSet("columns") ? CsvReader::format : format, columns);
    if (!result.ok())
        return fail(args[1] + u": " + result.error);

    // Each record as the journal's entry. A row that gives a record the
    // journal knows no type for is rejected whole: a row is imported with
    // all its records or none.
    QList<RejectedRow> rejected = result.rejected;
    QSet<int> rejectedRows;
    std::vector<std::pair<int, std::unique_ptr<RecordEntry>>> entries; // by source row
    for (const ImportedRecord &r : result.records) {
        QString why;
        std::unique_ptr<RecordEntry> entry = entryOf(r, &why);
        if (!entry && !rejectedRows.contains(r.row)) {
            rejectedRows.insert(r.row);
            rejected.append({ r.row, why });
        }
        entries.emplace_back(r.row, std::move(entry));
    }
    std::stable_sort(rejected.begin(), rejected.end(),
        [](const RejectedRow &a, const RejectedRow &b) { return a.row < b.row; });
    for (const RejectedRow &row : std::as_const(rejected)) {
        err << "journal-tool: "
            << CommandLine::printable(
                   QStringLiteral("%1: row %2: %3").arg(args[1]).arg(row.row).arg(row.reason))
            << "\n";
    }
    err.flush();

    // What is new is told by the journal as it is when the lock is held.
    // The source's rows are counted, each once: imported, already there or
    // repeated in the file; the records are counted by type besides.
    Journal journal(args[0]);
    QStringList lines;
    int importedRows = 0;
    int alreadyRows = 0;
    int repeatedRows = 0;
    int readings = 0;
    QMap<QString, int> added; // records by type code
    const auto newLines = [&] {
        journal.decode();
        DuplicateFilter known;
        for (const auto &r : journal.readings)
            known.addExisting(r->getDate(), r->getTime(), r->getRType(), r->getValue());
        // A record is there already when one of the same minute, type and fields is.
        QSet<QString> knownRecords;
        for (const auto &r : journal.records)
            knownRecords.insert(r->encode());
        QSet<QString> newRecords;
        importedRows = 0;
        alreadyRows = 0;
        repeatedRows = result.repeated;
        readings = 0;
        added.clear();
        // The new lines in time order, readings before records of the same minute.
        std::vector<std::pair<std::pair<QDate, QTime>, QString>> made;
        // One entry for all: a new one reads the clock, and the zone with it.
        SugarEntry entry;
        for (const ImportedReading &r : result.readings) {
            const DuplicateFilter::Verdict verdict = known.check(r);
            if (verdict != DuplicateFilter::New) {
                ++(verdict == DuplicateFilter::AlreadyThere ? alreadyRows : repeatedRows);
                continue;
            }
            entry.setDate(r.date);
            entry.setTime(r.time);
            entry.setRType(r.type);
            entry.setValue(r.value);
            entry.setNotes(QString(r.notes).remove(u'\r'));
            made.push_back({ { r.date, r.time }, entry.encode() });
            ++readings;
            ++importedRows;
        }
        // A row of records is imported when one of them is new, else already
        // there when one is in the journal, else repeated.
        enum RowVerdict { Repeated, AlreadyThere, Imported };
        QHash<int, RowVerdict> rows;
        for (const auto &[row, record] : entries) {
            if (rejectedRows.contains(row))
                continue;
            QString line = record->encode();
            RowVerdict verdict = Imported;
            if (knownRecords.contains(line)) {
                verdict = AlreadyThere;
            } else if (newRecords.contains(line)) {
                verdict = Repeated;
            } else {
                newRecords.insert(line);
                ++added[record->getType()];
                made.push_back({ { record->getDate(), record->getTime() }, std::move(line) });
            }
            const auto it = rows.constFind(row);
            rows.insert(row, it == rows.cend() ? verdict : std::max(*it, verdict));
        }
        for (const RowVerdict verdict : std::as_const(rows))
            ++(verdict == Imported            ? importedRows
                    : verdict == AlreadyThere ? alreadyRows
                                              : repeatedRows);
        std::stable_sort(made.begin(), made.end(),
            [](const auto &a, const auto &b) { return a.first < b.first; });
        lines.clear();
        for (const auto &m : made)
            lines << m.second;
        return lines;
    };
    const bool dryRun = parser.isSet("dry-run");
    if (dryRun ? !journal.file.read() && !isMissing(journal.file)
               : !appendLocked(journal.file, waitMs, newLines))
        return fail(args[0] + u": nothing imported: " + journal.file.errorString());
    if (dryRun)
        newLines();
    // The rows, whose counts add up to the rows read, and what the imported ones gave.
    QStringList kinds;
    if (readings)
        kinds << ImportResult::counted(readings, QStringLiteral("reading"));
    for (const RecordEntry::Description *type : JournalTypes::records()) {
        if (const int n = added.value(type->typecode))
            kinds << ImportResult::counted(n, QString::fromLatin1(type->noun));
    }
    out << (dryRun ? "would import " : "imported ")
        << ImportResult::counted(importedRows, QStringLiteral("row"));
    if (!kinds.isEmpty())
        out << ": " << kinds.join(u", ");
    out << "; skipped " << result.skippedText() << "; already there " << alreadyRows;
    if (repeatedRows)
        out << "; repeated in the file " << repeatedRows;
    out << "; rejected " << rejected.size() << "; read "
        << ImportResult::counted(result.rows, QStringLiteral("row")) << "\n";
    out.flush();
    // An export of which no row could be read is a failure, not an import of nothing.
    return importedRows + alreadyRows == 0 && !rejected.isEmpty() ? 1 : 0;
}

int JournalTool::exportCsv(QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return usage(QStringLiteral("export takes one journal"));
    QString error;
    GlucosePeriod period;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    if (!periodAndUnitOf(parser, &period, &unit, &error))
        return usage(error);
    Journal journal(args[0]);
    if (!journal.read())
        return fail(args[0] + u": " + journal.file.errorString());

    // The period's days among every entry's, the records' too.
    std::vector<GlucoseReading> moments = journal.glucose();
    for (const auto &r : journal.records)
        moments.push_back({ r->getDate(), r->getTime(), 1 });
    const GlucosePeriod days = period.resolved(moments);
    const auto inPeriod = [&](const JournalEntry &e) {
        return period.kind() == GlucosePeriod::All
            || (days.from().isValid() && e.getDate() >= days.from() && e.getDate() <= days.to());
    };
    QList<ImportedReading> rows;
    QList<ImportedRecord> records;
    for (const auto &r : journal.records) {
        if (inPeriod(*r))
            records.append(exportedOf(*r));
    }
    int noValue = 0;
    int noMoment = 0;
    for (const auto &r : journal.readings) {
        if (!inPeriod(*r))
            continue;
        if (!r->getDate().isValid() || !r->getTime().isValid()) {
            ++noMoment;
            continue;
        }
        if (!r->hasWholeValue()) {
            ++noValue;
            continue;
        }
        rows.append({ r->getDate(), r->getTime(), r->getRType(), r->getValue(), r->getNotes() });
    }
    if (noValue) {
        err << "journal-tool: " << counted(noValue, "reading", "readings")
            << " without a number for a value left out\n";
    }
    if (noMoment) {
        err << "journal-tool: " << counted(noMoment, "reading", "readings")
            << " of an impossible date or time left out\n";
    }
    err.flush();
    const QByteArray csv = CsvExport::write(rows, records, recordFieldNames(), unit);
    if (!parser.isSet("output")) {
        // Unbuffered, so that a full disk behind it is told, not lost.
        QFile standardOutput;
        if (!standardOutput.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered)
            || !RegularFile::write(standardOutput, csv, &error))
            return fail(u"standard output: " + error);
        return 0;
    }
    if (!RegularFile::save(parser.value("output"), csv, &error))
        return fail(parser.value("output") + u": " + error);
    return 0;
}

int JournalTool::report(QCommandLineParser &parser)
{
    const QStringList args = parser.positionalArguments();
    if (args.size() != 1)
        return usage(QStringLiteral("report takes one journal"));
    if (!parser.isSet("output"))
        return usage(QStringLiteral("report needs -o FILE.pdf or -o FILE.png"));
    QString error;
    GlucosePeriod period;
    GlucoseUnit::Unit unit = GlucoseUnit::MgPerDl;
    if (!periodAndUnitOf(parser, &period, &unit, &error))
        return usage(error);
    JournalFile file(args[0]);
    Figures figures;
    if (!figures.read(file))
        return fail(args[0] + u": " + file.errorString());
    GlucoseReport report(figures.readings, period, unit, figures.treatments);
    report.setTitle(QFileInfo(args[0]).fileName());
    if (!report.write(parser.value("output"), &error))
        return fail(parser.value("output") + u": " + error);
    return 0;
}
