// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include "GlucoseChart.h"
#include "fulldisk.h"
#include "imagetest.h"

#include <algorithm>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

bool mountsAllowed = false;

struct Run
{
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// The tool run to its end; a file size limit of more than 0 holds in it,
// and its standard output goes to the file when one is named.
Run tool(const QStringList &args, rlim_t sizeLimit = 0, const QString &output = QString())
{
    QProcess p;
    if (!output.isEmpty())
        p.setStandardOutputFile(output);
    if (sizeLimit > 0)
        p.setChildProcessModifier([sizeLimit] { fulldisk::limitFileSize(sizeLimit); });
    p.start(QStringLiteral(TOOL), args);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QByteArray bytesOf(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void put(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Readings every 5 minutes, a day at each value from 2024-03-05 on.
QByteArray cgmDays(const QList<int> &values)
{
    QByteArray lines;
    for (int day = 0; day < values.size(); ++day)
        for (int m = 0; m < 24 * 60; m += 5)
            lines += QStringLiteral("SUGR|%1|%2|cgm|%3|\n")
                         .arg(QDate(2024, 3, 5).addDays(day).toString(QStringLiteral("yyyyMMdd")))
                         .arg(QTime(0, 0).addSecs(m * 60).toString(QStringLiteral("HHmm")))
                         .arg(values[day])
                         .toUtf8();
    return lines;
}

QString shared(const QString &file)
{
    return QStringLiteral(SHARED_DIR "/data/") + file;
}

} // namespace

class TstJournalTool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usage_data();
    void usage();
    void check();
    void statsJson();
    void statsCompareCgm();
    void statsText_data();
    void statsText();
    void statsReadEveryLineEnd_data();
    void statsReadEveryLineEnd();
    void add();
    void addDoubtfulValue_data();
    void addDoubtfulValue();
    void futureDates();
    void addRecord_data();
    void addRecord();
    void checkRecords();
    void importTwiceAddsNothing();
    void importCountsEveryRow_data();
    void importCountsEveryRow();
    void importMessage_data();
    void importMessage();
    void importRowsOfRecords_data();
    void importRowsOfRecords();
    void importRecords_data();
    void importRecords();
    void exportImportsBackEveryRecord();
    void exportImportsBackTheSameReadings();
    void report_data();
    void report();
    void fullDisk_data();
    void fullDisk();
    void failures_data();
    void failures();
    void fullStandardOutput_data();
    void fullStandardOutput();
    void unreadableJournal();
    void fileNameNotUtf8();
    void linkOrFolderNotUtf8_data();
    void linkOrFolderNotUtf8();
    void messagesEscapeControlBytes();
    void countsOfOne();
    void writersWaitForEachOther();
    void waitsForALockHeld();
    void oldLockOfALiveWriterHolds();
    void noSessionNoWarning();

private:
    QTemporaryDir dir;
};

void TstJournalTool::usage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");
    QTest::newRow("help") << QStringList { "--help" } << 0 << "Commands:";
    QTest::newRow("version") << QStringList { "--version" } << 0 << "journal-tool 1.0.0";
    QTest::newRow("a command's help") << QStringList { "stats", "--help" } << 0 << "--profile";
    QTest::newRow("no command") << QStringList {} << 2 << "Usage:";
    QTest::newRow("unknown command")
        << QStringList { "frobnicate" } << 2 << "journal-tool: unknown command";
    QTest::newRow("unknown option")
        << QStringList { "check", "--loud", "x" } << 2 << "journal-tool: Unknown option 'loud'";
    QTest::newRow("bad unit") << QStringList { "stats", "x", "--unit", "g/l" } << 2
                              << "the unit is mg/dL or mmol/L";
    QTest::newRow("days and dates") << QStringList { "stats", "x", "--days", "3", "--from", "2024-01-01", "--to", "2024-01-02" }
                                    << 2 << "exclude each other";
    QTest::newRow("not a value") << QStringList { "add", "x", "high" } << 2 << "not a glucose value";
    QTest::newRow("unknown format") << QStringList { "import", "x", "y", "--format", "fax" } << 2
                                    << "the formats are";
    QTest::newRow("columns of another format")
        << QStringList { "import", "x", "y", "--format", "dexcom", "--columns", "value=v" } << 2
        << "--columns goes with the format csv";
    QTest::newRow("columns without names")
        << QStringList { "import", "x", "y", "--columns", "value" } << 2
        << "--columns takes KEY=NAME pairs";
    QTest::newRow("missing journal") << QStringList { "check", "/nonexistent/j" } << 1
                                     << "journal-tool: /nonexistent/j: No such file";
}

void TstJournalTool::usage()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, says);
    const Run r = tool(args);
    QCOMPARE(r.code, code);
    const QByteArray said = r.out + r.err;
    QVERIFY2(said.contains(says.toUtf8()), said.constData());
}

void TstJournalTool::check()
{
    const QString path = dir.filePath("check.journal");
    const QByteArray bytes = "SUGR|20240305|0800|x|104|\nWEIGHT|20240305|0800|80\n"
                             "SUGR|20240305|0800|x|-5|\nSUGR|20240305|0800|x|5.6|\n";
    put(path, bytes);
    const Run r = tool({ "check", path });
    QCOMPARE(r.code, 1);
    QCOMPARE(QString::fromUtf8(r.out),
        path + ":2: unknown type code\n" + path + ":3: impossible value -5\n" + path
            + ":4: value not a whole number\n3 problems in 4 lines\n");
    QCOMPARE(bytesOf(path), bytes);
    put(path, "SUGR|20240305|0800|x|104|\n");
    QCOMPARE(tool({ "check", path }).code, 0);
}

void TstJournalTool::statsJson()
{
    const QString path = dir.filePath("stats.journal");
    put(path,
        "SUGR|20240305|0800|x|50|\nSUGR|20240305|0805|x|100|\nSUGR|20240305|0810|x|0Hi|\n"
        "SUGR|20240306|0800|x|300|\n");
    const Run r = tool({ "stats", path, "--json", "--profile", "--unit", "mmol/L" });
    QCOMPARE(r.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QStringList keys = o.keys();
    QCOMPARE(keys,
        (QStringList { "active", "activity", "by_time_of_day", "by_type", "carbs", "counts", "cv",
            "days", "episodes", "first", "gmi", "gmi_mmol_mol", "gri", "ignored", "insulin", "kind",
            "last", "max", "mean", "median", "min", "period_end", "period_start", "profile", "q1",
            "q3", "ranges", "readings", "readings_per_day", "sd", "unit", "variability" }));
    // Readings a day apart are a meter's: no sensor figures, counts instead.
    QCOMPARE(o["kind"].toString(), "meter");
    QVERIFY(o["active"].isNull() && o["gri"].isNull() && o["episodes"].isNull());
    // Nor the figures of the curve between readings hours apart.
    for (const char *curve : { "mag", "mage", "modd", "conga", "gvp" })
        QVERIFY2(o["variability"][curve].isNull(), curve);
    QVERIFY(!o["variability"]["lbgi"].isNull());
    QCOMPARE(o["counts"]["below_54"].toInt(), 1);
    QCOMPARE(o["counts"]["above_250"].toInt(), 1);
    QCOMPARE(o["by_time_of_day"]["morning"]["n"].toInt(), 3);
    QCOMPARE(o["readings_per_day"].toDouble(), 1.5);
    QCOMPARE(o["readings"].toInt(), 3);
    QCOMPARE(o["ignored"].toInt(), 1);
    QCOMPARE(o["first"].toString(), "2024-03-05");
    QCOMPARE(o["unit"].toString(), "mmol/L");
    QCOMPARE(o["mean"].toDouble(), 150 / 18.016);
    QCOMPARE(o["max"].toDouble(), 300 / 18.016);
    QCOMPARE(o["ranges"]["very_low"].toDouble() * 3, 100.0);
    QCOMPARE(o["profile"].toArray().size(), 96);
    QCOMPARE(o["profile"][32]["minute"].toInt(), 480);
    QCOMPARE(o["profile"][32]["n"].toInt(), 3);
    QCOMPARE(o["profile"][32]["p50"].toDouble(), 100 / 18.016);
}

void TstJournalTool::statsCompareCgm()
{
    // Two days of readings every 5 minutes, the first lower than the second.
    const QString path = dir.filePath("cgm.journal");
    QByteArray lines;
    for (int day = 0; day < 2; ++day) {
        for (int m = 0; m < 24 * 60; m += 5) {
            const QTime t = QTime(0, 0).addSecs(m * 60);
            lines += QStringLiteral("SUGR|2024030%1|%2|cgm|%3|\n")
                         .arg(day + 5)
                         .arg(t.toString(QStringLiteral("HHmm")))
                         .arg(day == 0 ? 60 : 200)
                         .toUtf8();
        }
    }
    put(path, lines);
    const Run r = tool(
        { "stats", path, "--json", "--compare", "--from", "2024-03-06", "--to", "2024-03-06" });
    QCOMPARE(r.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    QCOMPARE(o["kind"].toString(), "cgm");
    QCOMPARE(o["episodes"].toObject().keys(),
        (QStringList { "hyper_lv1", "hyper_lv2", "hypo_extended", "hypo_lv1", "hypo_lv2",
            "mean_minutes", "per_week" }));
    QCOMPARE(o["variability"].toObject().keys(),
        (QStringList {
            "adrr", "cogi", "conga", "gvp", "hbgi", "j_index", "lbgi", "mag", "mage", "modd" }));
    // The day above 180 is one long episode; the day before, one below 70.
    QCOMPARE(o["episodes"]["hyper_lv1"].toInt(), 1);
    QCOMPARE(o["episodes"]["hypo_lv1"].toInt(), 0);
    const QJsonObject before = o["previous"].toObject();
    QCOMPARE(before.keys(), o.keys().filter(QRegularExpression("^(?!previous$)")));
    QCOMPARE(before["period_start"].toString(), "2024-03-05");
    QCOMPARE(before["episodes"]["hypo_lv1"].toInt(), 1);
    QCOMPARE(before["episodes"]["hypo_extended"].toInt(), 1);
    QCOMPARE(before["mean"].toDouble(), 60.0);

    const Run text = tool({ "stats", path, "--compare", "--days", "1" });
    QCOMPARE(text.code, 0);
    QVERIFY2(text.out.contains("    Mean glucose                  60 mg/dL → 200 mg/dL  ▲ 140\n"),
        text.out.constData());
}

void TstJournalTool::statsText_data()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QStringList>("args"); // after the journal
    QTest::addColumn<QStringList>("says"); // whole lines
    QTest::addColumn<QString>("never");

    QTest::newRow("one reading: its CV is not judged")
        << QByteArray("SUGR|20240305|0800|x|104|\n") << QStringList()
        << QStringList { "Mean: 104 mg/dL   SD: - mg/dL   CV: -  (target ≤36 %)" } << "missed";
    QByteArray meter;
    for (int d = 1; d <= 9; ++d)
        for (const char *at : { "0700", "1200", "1800", "2200" })
            meter += QStringLiteral("SUGR|2024030%1|%2|x|%3|\n")
                         .arg(d)
                         .arg(at)
                         .arg(90 + 10 * d)
                         .toUtf8();
    QTest::newRow("a meter: no figures of the curve between readings")
        << meter << QStringList()
        << QStringList { "Variability: MAGE, MODD, CONGA, MAG - (meter)",
               "  LBGI 0.1, HBGI 2.6, ADRR 2.7, J-index 27.6, COGI 98.6, GVP - (meter)" }
        << "MODD 100";
    // GMI 6.37 % before, 6.42 % now: both read 6.4 %, and no change is seen.
    QTest::newRow("compared: every figure, judged as shown")
        << cgmDays({ 128, 130 })
            + "INSL|20240305|0730|bolus|6||\nINSL|20240306|0730|bolus|8||\n"
              "CARB|20240306|0745|40|porridge|\n"
        << QStringList { "--compare", "--days", "1" }
        << QStringList { "Previous period: 2024-03-05 to 2024-03-05 (then → now, change)",
               "    Mean glucose                  128 mg/dL → 130 mg/dL  ▲ 2",
               "    GMI                           6.4 % (46 mmol/mol) → 6.4 % (47 mmol/mol)  =",
               "    GRI                           0.0 → 0.0  =",
               "    Very high > 250               0.0 % → 0.0 %  =",
               "    Min / Q1 / median / Q3 / max  128 / 128 / 128 / 128 / 128 → 130 / 130 / 130 / "
               "130 / 130",
               "  Episodes:",
               "    Below 70                      0 (0.0 a week, 0 min) → 0 (0.0 a week, 0 min)  =",
               "    MAGE                          – → –",
               "    LBGI                          0.0 → 0.0  =",
               "    Insulin a day                 6.0 u → 8.0 u  ▲ 2.0",
               "    Carbohydrates a day           – → 40 g" }
        << "(47 mmol/mol)  ▲";
}

void TstJournalTool::statsText()
{
    QFETCH(QByteArray, journal);
    QFETCH(QStringList, args);
    QFETCH(QStringList, says);
    QFETCH(QString, never);
    const QString path = dir.filePath("text.journal");
    put(path, journal);
    const Run r = tool(QStringList { "stats", path } + args);
    QCOMPARE(r.code, 0);
    const QStringList lines = QString::fromUtf8(r.out).split(u'\n');
    for (const QString &line : says)
        QVERIFY2(lines.contains(line), qPrintable(line + "\nnot in\n" + r.out));
    QVERIFY2(!r.out.contains(never.toUtf8()), r.out.constData());
}

void TstJournalTool::statsReadEveryLineEnd_data()
{
    QTest::addColumn<QString>("end");
    QTest::addColumn<QByteArray>("head");
    QTest::addColumn<bool>("utf16");
    QTest::newRow("CR LF") << "\r\n" << QByteArray() << false;
    QTest::newRow("CR alone") << "\r" << QByteArray() << false;
    QTest::newRow("byte order mark") << "\n" << QByteArray("\xef\xbb\xbf") << false;
    QTest::newRow("UTF-16") << "\n" << QByteArray("\xff\xfe") << true;
}

// The statistics split a journal's bytes into lines themselves, in two
// halves: they read the same however the lines end.
void TstJournalTool::statsReadEveryLineEnd()
{
    QFETCH(QString, end);
    QFETCH(QByteArray, head);
    QFETCH(bool, utf16);
    QStringList lines;
    for (int m = 0; m < 300; m += 5)
        lines << QStringLiteral("SUGR|20240305|%1|cgm|%2|")
                     .arg(QTime(8, 0).addSecs(m * 60).toString("hhmm"))
                     .arg(90 + m % 70);
    // Lines that take the whole decoding, a record, a foreign line and a late one.
    lines << "SUGR|20240305|1300|pre\\Plunch|150|caf\u00e9" << "INSL|20240305|1200|bolus|6||"
          << "foreign line" << "SUGR|20240305|0759|cgm|95|";
    const QString lf = dir.filePath("lf.journal");
    put(lf, lines.join(u'\n').toUtf8() + '\n');
    const QString text = lines.join(end) + end;
    const QString other = dir.filePath("other.journal");
    put(other,
        head
            + (utf16 ? QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
                     : text.toUtf8()));
    const Run expected = tool({ "stats", lf, "--json" });
    QCOMPARE(expected.code, 0);
    QCOMPARE(QJsonDocument::fromJson(expected.out)["readings"].toInt(), 62);
    QCOMPARE(QJsonDocument::fromJson(expected.out)["insulin"]["doses"].toInt(), 1);
    const Run r = tool({ "stats", other, "--json" });
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, expected.out);
}

void TstJournalTool::add()
{
    const QString path = dir.filePath("add.journal");
    put(path, "SUGR|20240305|0800|x|104|"); // no line end
    const Run r = tool({ "add", path, "6.1", "fasting", "before\nthe run", "--at",
        "2024-03-06 07:15", "--unit", "mmol/L" });
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, "SUGR|20240306|0715|fasting|110|before\\nthe run\n");
    QCOMPARE(bytesOf(path),
        "SUGR|20240305|0800|x|104|\nSUGR|20240306|0715|fasting|110|before\\nthe run\n");
    QCOMPARE(tool({ "add", path, "120", "--at", "2024-02-30 07:15" }).code, 2);
}

void TstJournalTool::addDoubtfulValue_data()
{
    QTest::addColumn<QStringList>("args"); // after the journal
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // on standard error
    QTest::addColumn<QByteArray>("line"); // written, or nothing

    const QString force = " (--force adds it all the same)\nTry 'journal-tool --help'.\n";
    QTest::newRow("a fraction of mg/dL is not rounded")
        << QStringList { "5.5" } << 2
        << "journal-tool: 5.5 is not a whole number of mg/dL: did you mean --unit mmol/L?\n"
           "Try 'journal-tool --help'.\n"
        << QByteArray();
    QTest::newRow("below the plausible")
        << QStringList { "19" } << 2
        << "journal-tool: 19 mg/dL is below 20 mg/dL, the lowest plausible reading: did you mean "
           "mmol/L?"
            + force
        << QByteArray();
    QTest::newRow("a very low value is added with a doubt")
        << QStringList { "30" } << 0
        << "journal-tool: warning: 30 mg/dL is a very low reading: did you mean mmol/L?\n"
        << QByteArray("30");
    QTest::newRow("above the plausible")
        << QStringList { "601" } << 2
        << "journal-tool: 601 mg/dL is above 600 mg/dL, the highest plausible reading" + force
        << QByteArray();
    QTest::newRow("insisted on")
        << QStringList { "1200", "--force" } << 0
        << "journal-tool: warning: 1200 mg/dL is above 600 mg/dL, the highest plausible reading\n"
        << QByteArray("1200");
    QTest::newRow("beyond what a reading holds, even insisted on")
        << QStringList { "2000", "--force" } << 2
        << "journal-tool: \"2000\" is not a glucose value in mg/dL\nTry 'journal-tool --help'.\n"
        << QByteArray();
    QTest::newRow("mg/dL typed as mmol/L")
        << QStringList { "45", "--unit", "mmol/L" } << 2
        << "journal-tool: 45 mmol/L is above 33.3 mmol/L, the highest plausible reading: did you "
           "mean mg/dL?"
            + force
        << QByteArray();
    QTest::newRow("mmol/L") << QStringList { "6.2", "--unit", "mmol/L" } << 0 << ""
                            << QByteArray("112");
}

void TstJournalTool::addDoubtfulValue()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    QFETCH(QByteArray, line);
    const QString path = dir.filePath("doubt.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    const Run r
        = tool(QStringList { "add", path } + args + QStringList { "--at", "2024-03-06 07:15" });
    QCOMPARE(r.code, code);
    QCOMPARE(QString::fromUtf8(r.err), said);
    QCOMPARE(bytesOf(path),
        "SUGR|20240305|0800|x|104|\n"
            + (line.isEmpty() ? QByteArray() : "SUGR|20240306|0715||" + line + "|\n"));
}

void TstJournalTool::futureDates()
{
    const QDate today = QDate::currentDate();
    const QDate later = today.addDays(3);
    const QString path = dir.filePath("future.journal");
    put(path, "SUGR|" + today.toString("yyyyMMdd").toUtf8() + "|0700|x|104|\n");
    // Added, with a warning.
    const QString at = later.toString(Qt::ISODate) + " 07:00";
    const Run added = tool({ "add", path, "120", "--at", at });
    QCOMPARE(added.code, 0);
    QCOMPARE(QString::fromUtf8(added.err),
        "journal-tool: warning: " + later.toString(Qt::ISODate) + " is after today\n");
    // Named by check, yet no problem: it is read and counted.
    const Run checked = tool({ "check", path });
    QCOMPARE(checked.code, 0);
    QCOMPARE(QString::fromUtf8(checked.out),
        path + ":2: note: dated after today, " + later.toString(Qt::ISODate)
            + "\n0 problems in 2 lines\n");
    // The last days end today, and say what they leave out.
    const Run days = tool({ "stats", path, "--days", "14" });
    QCOMPARE(days.code, 0);
    QVERIFY2(days.out.contains(QByteArray("Readings dated after today are left out.\nPeriod: "
                 + today.toString(Qt::ISODate).toUtf8() + " to "
                 + today.toString(Qt::ISODate).toUtf8())),
        days.out.constData());
    QVERIFY2(days.out.contains("Readings: 1 (ignored 0)"), days.out.constData());
    const Run all = tool({ "stats", path });
    QVERIFY(!all.out.contains("after today"));
    QVERIFY2(all.out.contains("Readings: 2 (ignored 0)"), all.out.constData());
}

void TstJournalTool::addRecord_data()
{
    QTest::addColumn<QStringList>("args"); // after the journal
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("said"); // the line written, or the message

    QTest::newRow("insulin") << QStringList { "insulin", "bolus", "8", "Humalog" } << 0
                             << "INSL|20240306|0715|bolus|8|Humalog|";
    QTest::newRow("carbs, food with a bar") << QStringList { "carbs", "40", "porridge | milk",
        "oats" } << 0 << "CARB|20240306|0715|40|porridge \\P milk|oats";
    QTest::newRow("activity") << QStringList { "activity", "walk", "30", "light" } << 0
                              << "ACTV|20240306|0715|walk|30|light|";
    QTest::newRow("note of two lines")
        << QStringList { "note", "ill\nstayed in" } << 0 << "NOTE|20240306|0715|ill\\nstayed in";
    QTest::newRow("ketones") << QStringList { "ketones", "0.6" } << 0 << "KETO|20240306|0715|0.6|";
    QTest::newRow("weight") << QStringList { "weight", "72.4" } << 0 << "WGHT|20240306|0715|72.4|";
    QTest::newRow("numbers as the dialog writes them")
        << QStringList { "bp", "128.0", "082", "64.50" } << 0 << "BLPR|20240306|0715|128|82|64.5|";
    QTest::newRow("blood pressure without pulse")
        << QStringList { "bp", "128", "82" } << 0 << "BLPR|20240306|0715|128|82||";
    QTest::newRow("hba1c") << QStringList { "hba1c", "6.8", "lab" } << 0
                           << "HBA1|20240306|0715|6.8|lab";
    QTest::newRow("kind neither bolus nor basal")
        << QStringList { "insulin", "fast", "8" } << 2 << "kind not bolus or basal: \"fast\"";
    QTest::newRow("decimal comma")
        << QStringList { "weight", "72,4" } << 2 << "kg not a number: \"72,4\"";
    QTest::newRow("systolic below diastolic")
        << QStringList { "bp", "80", "120" } << 2 << "impossible blood pressure 80/120";
    QTest::newRow("units missing") << QStringList { "insulin", "bolus" } << 2 << "units missing";
    QTest::newRow("no fields") << QStringList { "carbs" } << 2
                               << "add JOURNAL carbs takes GRAMS FOOD NOTES";
    QTest::newRow("too many fields") << QStringList { "ketones", "1", "a", "b" } << 2
                                     << "add JOURNAL ketones takes KETONES NOTES";
}

void TstJournalTool::addRecord()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, said);
    const QString path = dir.filePath("record.journal");
    const QByteArray before = "SUGR|20240305|0800|x|104|\r\nforeign line\r\n";
    put(path, before);
    const Run r
        = tool(QStringList { "add", path } + args + QStringList { "--at", "2024-03-06 07:15" });
    QCOMPARE(r.code, code);
    if (code == 0) {
        QCOMPARE(QString::fromUtf8(r.out), said + "\n");
        QCOMPARE(bytesOf(path), before + said.toUtf8() + "\r\n");
    } else {
        QVERIFY2(r.err.contains(said.toUtf8()), r.err.constData());
        QCOMPARE(bytesOf(path), before);
    }
}

void TstJournalTool::checkRecords()
{
    const QString path = dir.filePath("records.journal");
    put(path,
        "INSL|20240305|0800|bolus|8|Humalog|\nINSL|20240305|0800|bolus|8u||\n"
        "INSL|20240305|0800|Bolus|8||\nBLPR|20240305|0800|400|80||\n"
        "CARB|20240305|0800|||\nNOTE|20240305|0800|Alcohol\nHBA1|20240305|0800|6.8|\n"
        "INSL|20240305|0800|bolus|8|Humalog|n|extra\nNOTE|20240305|0800|a|b|c\n"
        "SUGR|20240305|0800|x|104|n|more\nWGHT|20240305|0800|72|n|\n");
    const Run r = tool({ "check", path });
    QCOMPARE(r.code, 1);
    QCOMPARE(QString::fromUtf8(r.out),
        path + ":2: units not a number: \"8u\"\n" + path
            + ":3: kind not bolus or basal: \"Bolus\"\n" + path + ":4: impossible systolic 400\n"
            + path + ":5: grams missing\n" + path
            + ":8: note: 1 field after the last, lost when the line is changed: \"extra\"\n"
            + path + ":9: note: 2 fields after the last, lost when the line is changed: \"b|c\"\n"
            + path + ":10: note: 1 field after the last, lost when the line is changed: \"more\"\n"
            + "4 problems in 11 lines\n");
}

void TstJournalTool::importTwiceAddsNothing()
{
    const QString source
        = shared("fixtures/dexcom-clarity/glucosedao_000_2019-10-14_to_2019-10-28.csv");
    if (!QFile::exists(source))
        QSKIP("the shared device exports are not here");
    const QString path = dir.filePath("import.journal");
    const Run dry = tool({ "import", path, source, "--dry-run" });
    QCOMPARE(dry.code, 0);
    QVERIFY(!QFile::exists(path));
    const Run first = tool({ "import", path, source });
    QCOMPARE(first.code, 0);
    const QByteArray counts = "skipped 7 alerts, 2 patient info rows, 1 device row; ";
    QCOMPARE(first.out,
        "imported 4002 rows: 3922 readings, 73 insulin doses, 4 carbohydrate entries, 3 "
        "activities; "
            + counts + "already there 0; rejected 0; read 4012 rows\n");
    const QByteArray after = bytesOf(path);
    const Run second = tool({ "import", path, source });
    QCOMPARE(second.out,
        "imported 0 rows; " + counts + "already there 4002; rejected 0; read 4012 rows\n");
    QCOMPARE(bytesOf(path), after);
}

void TstJournalTool::importCountsEveryRow_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("rows");
    // The rows after title and header, as a CSV reader of their own counts them.
    QTest::newRow("clarity 2016") << "dexcom-clarity/cgmquantify_test_file.csv" << 2159;
    QTest::newRow("clarity 000") << "dexcom-clarity/glucosedao_000_2019-10-14_to_2019-10-28.csv"
                                 << 4012;
    QTest::newRow("clarity 008") << "dexcom-clarity/glucosedao_008_2020-01-23_to_2020-04-21.csv"
                                 << 25728;
    QTest::newRow("clarity 022") << "dexcom-clarity/glucosedao_022_2023-05-27_to_2023-06-14.csv"
                                 << 5207;
    QTest::newRow("glucometerutils") << "glucometerutils/libre1-ns_sample.csv" << 3;
    QTest::newRow("iglu, one subject") << "iglu/example_data_1_subject.csv" << 2915;
    QTest::newRow("iglu, five subjects") << "iglu/example_data_5_subject.csv" << 13866;
    QTest::newRow("libre glyco") << "libreview/glyco_sample_glucose.csv" << 11099;
    QTest::newRow("libre 3") << "libreview/jeffreyruoss_libre-3-plug-cgm-data.csv" << 993;
    QTest::newRow("libre qh") << "libreview/qh-charts_JohnnyBGood_glucose_29-3-2021.csv" << 1396;
    QTest::newRow("libre warren") << "libreview/warren8824_sample_libreview.csv" << 3615;
    QTest::newRow("nightscout json") << "nightscout/cgm-remote-monitor_example.json" << 30;
    QTest::newRow("nightscout tsv") << "nightscout/cgm-remote-monitor_example.tsv" << 30;
    QTest::newRow("nightscout openaps")
        << "nightscout/cgm-remote-monitor_openaps_glucose-zoned-merge.json" << 4;
    QTest::newRow("nightscout t1gym") << "nightscout/t1gym_glucose.json" << 200;
}

// The rows counted add up to the rows read, and those are all the file's
// rows; what the imported rows gave follows their count after a colon.
void TstJournalTool::importCountsEveryRow()
{
    QFETCH(QString, file);
    const QString source = shared("fixtures/" + file);
    if (!QFile::exists(source))
        QSKIP("the shared device exports are not here");
    const Run r = tool({ "import", dir.filePath("count.journal"), source, "--dry-run" });
    QCOMPARE(r.code, 0);
    const QString out = QString::fromUtf8(r.out);
    const qsizetype read = out.lastIndexOf(QLatin1String("; read "));
    QVERIFY2(read > 0 && out.endsWith(QLatin1String(" rows\n")), qPrintable(out));
    int sum = 0;
    QRegularExpressionMatchIterator numbers
        = QRegularExpression(QStringLiteral("[0-9]+"))
              .globalMatch(out.left(read).remove(QRegularExpression(QStringLiteral(":[^;]*"))));
    while (numbers.hasNext())
        sum += numbers.next().captured().toInt();
    QFETCH(int, rows);
    QCOMPARE(out.mid(read + 7).section(u' ', 0, 0).toInt(), rows);
    QCOMPARE(sum, rows);
}

void TstJournalTool::importMessage_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("err");

    QTest::newRow("singular for one, repeated rows counted")
        << QByteArray("\xEF\xBB\xBFIndex,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Glucose "
                      "Value (mg/dL)\n1,,Alert,200\n2,2024-03-05T07:08:00,EGV,104\n"
                      "3,2024-03-05T07:08:30,EGV,104\n4,2024-03-05T07:09:00,EGV,x\n")
        << QByteArray(
               "imported 1 row: 1 reading; skipped 1 alert; already there 0; repeated in the "
               "file 1; rejected 1; read 4 rows\n")
        << QByteArray("row 5: glucose value \"x\" is not a number\n");
    QTest::newRow("refused when most rows fail alike")
        << QByteArray("date,time,value\n2024-03-05,07:08,5.8.1\n2024-03-05,07:09,6.1.1\n")
        << QByteArray()
        << QByteArray("2 of 2 rows with readings are rejected alike, as line 2: glucose value "
                      "\"5.8.1\" is not a number; nothing is imported\n");
    // The doses that could be read go with the readings that could not.
    QTest::newRow("refused, records and all")
        << QByteArray("Index,Timestamp (YYYY-MM-DDThh:mm:ss),Event Type,Event Subtype,Glucose "
                      "Value (mg/dL),Insulin Value (u)\n1,2024-03-05T07:00:00,Insulin,Fast-Acting,,"
                      "8\n2,2024-03-05T07:05:00,EGV,,1O4,\n3,2024-03-05T07:10:00,EGV,,1O6,\n"
                      "4,2024-03-05T07:15:00,EGV,,1O9,\n")
        << QByteArray()
        << QByteArray("3 of 4 rows with readings are rejected alike, as line 3: glucose value "
                      "\"1O4\" is not a number; nothing is imported\n");
}

void TstJournalTool::importMessage()
{
    QFETCH(QByteArray, source);
    const QString path = dir.filePath("message.csv");
    put(path, source);
    const QString journal = dir.filePath("message.journal");
    QFile::remove(journal);
    const Run r = tool({ "import", journal, path });
    QFETCH(QByteArray, out);
    QFETCH(QByteArray, err);
    QCOMPARE(r.out, out);
    QVERIFY2(r.err.endsWith(err), r.err.constData());
    QCOMPARE(r.code, out.isEmpty() ? 1 : 0);
    QCOMPARE(QFile::exists(journal), !out.isEmpty());
}

void TstJournalTool::importRowsOfRecords_data()
{
    QTest::addColumn<QByteArray>("source");
    QTest::addColumn<QByteArray>("out");
    QTest::addColumn<QByteArray>("again");
    QTest::addColumn<QByteArray>("err");
    QTest::addColumn<int>("code");

    QTest::newRow("a meal bolus of insulin and carbohydrates is one row")
        << QByteArray("[{\"eventType\":\"Meal Bolus\",\"created_at\":\"2024-03-05T07:00:00Z\","
                      "\"insulin\":4.5,\"carbs\":40},"
                      "{\"type\":\"sgv\",\"sgv\":120,\"date\":1709622000000}]")
        << QByteArray(
               "imported 2 rows: 1 reading, 1 insulin dose, 1 carbohydrate entry; skipped 0; "
               "already there 0; rejected 0; read 2 rows\n")
        << QByteArray("imported 0 rows; skipped 0; already there 2; rejected 0; read 2 rows\n")
        << QByteArray() << 0;
    QTest::newRow("meal and correction insulin of the same units in one row")
        << QByteArray("Device,Serial Number,Device Timestamp,Record Type,Historic Glucose mg/dL,"
                      "Notes,Meal Insulin (units),Correction Insulin (units)\n"
                      "L,1,05-12-2019 16:25,0,104,,,\nL,1,05-12-2019 16:50,4,,,2,2\n")
        << QByteArray("imported 2 rows: 1 reading, 2 insulin doses; skipped 0; already there 0; "
                      "rejected 0; read 2 rows\n")
        << QByteArray("imported 0 rows; skipped 0; already there 2; rejected 0; read 2 rows\n")
        << QByteArray() << 0;
    QTest::newRow("every row a record the journal has no type for")
        << QByteArray("date,time,value,record,units\n2024-03-05,07:00,,pump,4\n"
                      "2024-03-05,07:05,,pump,5\n")
        << QByteArray("imported 0 rows; skipped 0; already there 0; rejected 2; read 2 rows\n")
        << QByteArray("imported 0 rows; skipped 0; already there 0; rejected 2; read 2 rows\n")
        << QByteArray("journal-tool: SOURCE: row 2: no such record type \"pump\"\n"
                      "journal-tool: SOURCE: row 3: no such record type \"pump\"\n")
        << 1;
}

// Rows are counted once, whatever number of records each gives.
void TstJournalTool::importRowsOfRecords()
{
    QFETCH(QByteArray, source);
    const QString path = dir.filePath("rows.source");
    put(path, source);
    const QString journal = dir.filePath("rows.journal");
    QFile::remove(journal);
    QFETCH(int, code);
    QFETCH(QByteArray, err);
    const Run first = tool({ "import", journal, path });
    QTEST(first.out, "out");
    QCOMPARE(first.err, err.replace("SOURCE", path.toUtf8()));
    QCOMPARE(first.code, code);
    // A refused import writes no journal.
    QCOMPARE(QFile::exists(journal), code == 0);
    const Run again = tool({ "import", journal, path });
    QTEST(again.out, "again");
    QCOMPARE(again.code, code);
}

void TstJournalTool::importRecords_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("said");
    QTest::newRow("Dexcom Clarity: doses, carbohydrates, exercise and health")
        << "dexcom-clarity/glucosedao_008_2020-01-23_to_2020-04-21.csv"
        << "imported 25718 rows: 24973 readings, 394 insulin doses, 339 carbohydrate entries, 10 "
           "activities, 2 notes; skipped 7 alerts, 2 patient info rows, 1 device row; already "
           "there 0; "
           "rejected 0; read 25728 rows";
    QTest::newRow("LibreView: doses and carbohydrates")
        << "libreview/warren8824_sample_libreview.csv"
        << "imported 3334 rows: 3098 readings, 147 insulin doses, 88 carbohydrate entries, 1 note; "
           "skipped 216 empty notes; already there 0; repeated in the file 65; rejected 0; read "
           "3615 rows";
    // One note row repeats another word for word.
    QTest::newRow("LibreView: notes and food")
        << "libreview/glyco_sample_glucose.csv"
        << "imported 10476 rows: 10295 readings, 2 carbohydrate entries, 179 notes; skipped 398 "
           "empty notes; "
           "already there 0; repeated in the file 225; rejected 0; read 11099 rows";
}

void TstJournalTool::importRecords()
{
    QFETCH(QString, source);
    QFETCH(QString, said);
    if (!QFile::exists(shared("fixtures/" + source)))
        QSKIP("the shared device exports are not here");
    const QString path = dir.filePath("records-import.journal");
    QFile::remove(path);
    const Run first = tool({ "import", path, shared("fixtures/" + source) });
    QCOMPARE(first.code, 0);
    QCOMPARE(QString::fromUtf8(first.out).trimmed(), said);
    const QByteArray after = bytesOf(path);
    // The journal is in time order, readings and records alike.
    QByteArray previous;
    for (const QByteArray &line : after.trimmed().split('\n')) {
        const QByteArray moment = line.mid(5, 13);
        QVERIFY2(moment >= previous, line.constData());
        previous = moment;
    }
    const Run second = tool({ "import", path, shared("fixtures/" + source) });
    QCOMPARE(second.code, 0);
    QVERIFY2(second.out.startsWith("imported 0 rows; skipped "), second.out.constData());
    QCOMPARE(bytesOf(path), after);

    // Its export gives an empty journal the same lines.
    const QString csv = dir.filePath("records-export.csv");
    QCOMPARE(tool({ "export", path, "-o", csv }).code, 0);
    const QString back = dir.filePath("records-back.journal");
    QFile::remove(back);
    QCOMPARE(tool({ "import", back, csv }).code, 0);
    QCOMPARE(bytesOf(back), after);
}

void TstJournalTool::exportImportsBackEveryRecord()
{
    const QString path = dir.filePath("every.journal");
    const QByteArray lines
        = "SUGR|20240305|0700|cgm|104|\nINSL|20240305|0710|bolus|8|Humalog|\n"
          "CARB|20240305|0711|40|bread, \"butter\"|a\\nb\nACTV|20240305|1230|exercise|20|medium|\n"
          "NOTE|20240305|2031|Alcohol\nKETO|20240305|0714|0.6|\nWGHT|20240305|0715|72.4|\n"
          "BLPR|20240305|0716|128|82|64|\nHBA1|20240305|0717|6.8|lab\n";
    put(path, lines);
    const QString csv = dir.filePath("every.csv");
    QCOMPARE(tool({ "export", path, "-o", csv }).code, 0);
    const QString back = dir.filePath("every-back.journal");
    const Run r = tool({ "import", back, csv });
    QCOMPARE(r.code, 0);
    QCOMPARE(QString::fromUtf8(r.out).trimmed(),
        "imported 9 rows: 1 reading, 1 insulin dose, 1 carbohydrate entry, 1 activity, 1 note, "
        "1 ketone "
        "reading, 1 weight, 1 blood pressure reading, 1 HbA1c result; skipped 0; already there 0; "
        "rejected 0; read 9 rows");
    QList<QByteArray> want = lines.trimmed().split('\n');
    QList<QByteArray> got = bytesOf(back).trimmed().split('\n');
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    QCOMPARE(got, want);

    const Run stats = tool({ "stats", path, "--json" });
    QCOMPARE(stats.code, 0);
    const QJsonObject o = QJsonDocument::fromJson(stats.out).object();
    QCOMPARE(o["insulin"].toObject(),
        (QJsonObject { { "days", 1 }, { "doses", 1 }, { "total_per_day", 8 },
            { "bolus_per_day", 8 }, { "basal_per_day", 0 } }));
    QCOMPARE(o["carbs"].toObject(),
        (QJsonObject { { "days", 1 }, { "entries", 1 }, { "grams_per_day", 40 } }));
    QCOMPARE(o["activity"].toObject(), (QJsonObject { { "days", 1 }, { "minutes_per_day", 20 } }));
    QCOMPARE(o["hba1c"].toObject(), (QJsonObject { { "last", 6.8 }, { "date", "2024-03-05" } }));
}

void TstJournalTool::exportImportsBackTheSameReadings()
{
    const QString journal = shared("journals/uci-patient-20.journal");
    if (!QFile::exists(journal))
        QSKIP("the shared journals are not here");
    const QString csv = dir.filePath("export.csv");
    QCOMPARE(tool({ "export", journal, "-o", csv }).code, 0);
    QVERIFY(bytesOf(csv).startsWith("date,time,type,value,unit,notes\r\n"));
    const QString back = dir.filePath("back.journal");
    const Run r = tool({ "import", back, csv, "--format", "csv" });
    QCOMPARE(r.code, 0);
    // The same readings, in time order.
    const Run again = tool({ "export", back });
    QCOMPARE(again.code, 0);
    QCOMPARE(again.out, bytesOf(csv));
}

void TstJournalTool::report_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("starts");
    QTest::newRow("PDF") << "report.pdf" << QByteArray("%PDF");
    QTest::newRow("PNG") << "report.png" << QByteArray("\x89PNG");
}

void TstJournalTool::report()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, starts);
    const QString path = dir.filePath("report.journal");
    put(path,
        "SUGR|20240305|0800|x|104|\nINSL|20240305|0805|bolus|6||\nCARB|20240305|0810|50||\n"
        "SUGR|20240305|1200|x|190|\n");
    const QString out = dir.filePath(file);
    const Run r = tool({ "report", path, "-o", out, "--days", "14" });
    QCOMPARE(r.code, 0);
    QVERIFY(bytesOf(out).startsWith(starts));
    // The journal's dose and meal on the logbook page, in their colours.
    if (file.endsWith(".png")) {
        const QImage image(out);
        QVERIFY(imagetest::hasColour(image, GlucoseChart::insulinColour(), image.height() / 2));
        QVERIFY(imagetest::hasColour(image, GlucoseChart::carbsColour(), image.height() / 2));
    }
    // The pages' count, the figures and the logbook, in the PDF's own words.
    if (file.endsWith(".pdf"))
        QVERIFY(bytesOf(out).contains("/Count 2"));
    QCOMPARE(tool({ "report", path }).code, 2);
    QCOMPARE(tool({ "report", path, "-o", "/nonexistent/folder/r.pdf" }).code, 1);
}

void TstJournalTool::fullDisk_data()
{
    fulldisk::addRows({ 1024, 16384, 65536 },
        { "add", "import", "export", "export to standard output", "report" });
}

void TstJournalTool::fullDisk()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(QString, change);
    const QString &command = change;
    const QString folder
        = dir.filePath(QStringLiteral("full-%1-%2-%3").arg(kind).arg(size).arg(command));
    fulldisk::Disk disk(folder, kind, mountsAllowed);
    if (!disk.unavailable().isEmpty())
        QSKIP(qPrintable(disk.unavailable()));
    const QString path = folder + "/full.journal";
    const QByteArray before = fulldisk::journalOf(size);
    put(path, before);
    const QString source = dir.filePath("full-source.csv");
    put(source, fulldisk::exportOf("2024-03-07", 200));
    // The outputs are no smaller than the journal.
    const QString output = folder + (command == "report" ? "/report.png" : "/readings.csv");
    const QStringList args = command == "add" ? QStringList { "add", path, "120" }
        : command == "import"                 ? QStringList { "import", path, source }
        : command.contains("standard")        ? QStringList { "export", path }
                                              : QStringList { command, path, "-o", output };

    const Run r
        = tool(args, disk.fill(before.size()), command.contains("standard") ? output : QString());
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(disk.full().toUtf8()), r.err.constData());
    QFile::remove(output);
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(disk.files(), QStringList { "full.journal" });
}

void TstJournalTool::failures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");
    for (const char *command : { "stats", "export", "report" }) {
        QStringList args { command, "/nonexistent/j" };
        if (args[0] == "report")
            args << "-o" << dir.filePath("r.pdf");
        QTest::addRow("%s of a missing journal", command)
            << args << 1 << "journal-tool: /nonexistent/j: No such file";
    }
    QTest::newRow("add into a missing folder") << QStringList { "add", "/nonexistent/j",
        "120" } << 1 << "journal-tool: /nonexistent/j: The folder /nonexistent does not exist";
    QTest::newRow("import into a missing folder")
        << QStringList { "import", "/nonexistent/j", dir.filePath("one.csv") } << 1
        << "journal-tool: /nonexistent/j: nothing imported: The folder /nonexistent does not exist";
    QTest::newRow("--from after --to") << QStringList { "stats", "x", "--from", "2024-03-02",
        "--to", "2024-03-01" } << 2 << "journal-tool: --from 2024-03-02 is after --to 2024-03-01";
    QTest::newRow("an hour the clocks skip")
        << QStringList { "add", dir.filePath("dst.journal"), "120", "--at", "2024-03-31 02:30" }
        << 2 << "journal-tool: --at 2024-03-31 02:30 does not exist in the local time zone";
    QTest::newRow("an hour the clocks repeat is a time")
        << QStringList { "add", dir.filePath("dst.journal"), "120", "--at", "2024-10-27 02:30" }
        << 0 << "SUGR|20241027|0230||120|";
    const QString fifo = dir.filePath("fifo.journal");
    for (const char *command : { "check", "stats", "add", "export", "report" }) {
        QStringList args { command, fifo };
        if (args[0] == "add")
            args << "120";
        if (args[0] == "report")
            args << "-o" << dir.filePath("r.pdf");
        QTest::addRow("%s of a FIFO", command)
            << args << 1 << "journal-tool: " + fifo + ": Not a regular file";
    }
    QTest::newRow("check of /dev/zero") << QStringList { "check", "/dev/zero" } << 1
                                        << "journal-tool: /dev/zero: Not a regular file";
    QTest::newRow("import from a FIFO") << QStringList { "import", dir.filePath("i.journal"), fifo }
                                        << 1 << "journal-tool: " + fifo + ": Not a regular file";
    QTest::newRow("import from a source of more than 1 GiB")
        << QStringList { "import", dir.filePath("i.journal"), dir.filePath("huge.csv") } << 1
        << "journal-tool: " + dir.filePath("huge.csv") + ": Too large: more than 1 GiB";
    QTest::newRow("add with a FIFO as its lock")
        << QStringList { "add", dir.filePath("fifo-lock.journal"), "120" } << 1
        << "journal-tool: " + dir.filePath("fifo-lock.journal") + ": Cannot lock the journal: "
            + dir.filePath("fifo-lock.journal.lock") + " is a FIFO, not a lock file";
    QTest::newRow("import from /dev/zero") << QStringList { "import", dir.filePath("i.journal"),
        "/dev/zero" } << 1 << "journal-tool: /dev/zero: Not a regular file";
}

void TstJournalTool::failures()
{
    QFETCH(QStringList, args);
    QFETCH(int, code);
    QFETCH(QString, says);
    const QString fifo = dir.filePath("fifo.journal");
    if (!QFileInfo::exists(fifo)) {
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QCOMPARE(
            ::mkfifo(QFile::encodeName(dir.filePath("fifo-lock.journal.lock")).constData(), 0600),
            0);
    }
    put(dir.filePath("one.csv"), "date,time,value\n2024-03-05,08:00,104\n");
    // Sparse: it takes no room on the disk.
    QFile huge(dir.filePath("huge.csv"));
    QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64(1) << 30) + 1));
    // Nothing waits on the FIFO or reads /dev/zero without end.
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TZ", "Europe/Berlin");
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(TOOL), args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), code);
    const QByteArray said = p.readAllStandardOutput() + p.readAllStandardError();
    QVERIFY2(said.startsWith(says.toUtf8()), said.constData());
    QVERIFY(!said.contains("another program"));
    QVERIFY(QFileInfo(fifo).isReadable() && !QFileInfo(fifo).isFile());
}

void TstJournalTool::fullStandardOutput_data()
{
    QTest::addColumn<QStringList>("args"); // the journal as %1
    QTest::newRow("check") << QStringList { "check", "%1" };
    QTest::newRow("check that finds a problem") << QStringList { "check", "%1-bad" };
    QTest::newRow("stats") << QStringList { "stats", "%1" };
    QTest::newRow("stats --json") << QStringList { "stats", "%1", "--json" };
    QTest::newRow("export") << QStringList { "export", "%1" };
    QTest::newRow("help") << QStringList { "--help" };
}

void TstJournalTool::fullStandardOutput()
{
    QFETCH(QStringList, args);
    if (!QFileInfo::exists("/dev/full"))
        QSKIP("no /dev/full here");
    const QString path = dir.filePath("to-full.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    put(path + "-bad", "SUGR|20240305|0800|x|5.5|\n");
    args.replaceInStrings("%1", path);
    QProcess p;
    p.setStandardOutputFile("/dev/full");
    p.start(QStringLiteral(TOOL), args);
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QCOMPARE(p.readAllStandardError(), "journal-tool: standard output: No space left on device\n");
}

void TstJournalTool::unreadableJournal()
{
    // A folder that others may enter, the journal in it only its owner's.
    QTemporaryDir open;
    QVERIFY(QFile::setPermissions(
        open.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ExeOther));
    const QString folder = open.filePath("shut");
    QVERIFY(QDir().mkpath(folder));
    const QString path = folder + "/j.journal";
    put(path, "SUGR|20240305|0800|x|104|\n");
    QVERIFY(QFile::setPermissions(path, QFile::WriteOwner));
    QVERIFY(QFile::setPermissions(folder,
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther
            | QFile::WriteOther | QFile::ExeOther));
    // Root reads whatever it likes: the tool runs as nobody then.
    QProcess p;
    if (::geteuid() == 0)
        p.setChildProcessModifier([] { static_cast<void>(::setgid(65534) + ::setuid(65534)); });
    p.start(QStringLiteral(TOOL), { "add", path, "120" });
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QCOMPARE(p.readAllStandardError(), "journal-tool: " + path.toUtf8() + ": Permission denied\n");
    QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(bytesOf(path), "SUGR|20240305|0800|x|104|\n");
}

void TstJournalTool::fileNameNotUtf8()
{
    // QProcess would encode the name as UTF-8: the shell gives the bytes.
    QProcess p;
    p.setWorkingDirectory(dir.path());
    p.start("/bin/sh", { "-c", "exec \"$0\" add \"$(printf 'j\\377\\376.txt')\" 120", TOOL });
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 2);
    QCOMPARE(p.readAllStandardError(),
        "journal-tool: \"j\\xff\\xfe.txt\" is not UTF-8: file names and text are taken as UTF-8\n");
    QVERIFY(QDir(dir.path()).entryList({ "j*.txt" }).isEmpty());
}

void TstJournalTool::linkOrFolderNotUtf8_data()
{
    QTest::addColumn<QString>("script"); // run by sh in a fresh folder, the tool as $0
    QTest::addColumn<QString>("said");
    QTest::addColumn<QByteArray>("left"); // ls -b, then the journal
    const QString link = "printf 'SUGR|20240305|0800|x|104|\\n' >\"$(printf 'j\\377.txt')\"; "
                         "ln -s \"$(printf 'j\\377.txt')\" link.txt; ";
    const QString linked = "Links to \"j\\xff.txt\", a name that is not UTF-8 (names are taken as "
                           "UTF-8)\n";
    const QByteArray journal = "SUGR|20240305|0800|x|104|\n";
    QTest::newRow("add to a link")
        << link + "exec \"$0\" add link.txt 120"
        << "journal-tool: link.txt: " + linked << "j\\377.txt\nlink.txt\n" + journal;
    QTest::newRow("import into a link") << link
            + "printf 'date,time,value\\n2024-03-05,09:00,110\\n' >s.csv; "
              "exec \"$0\" import link.txt s.csv"
                                        << "journal-tool: link.txt: nothing imported: " + linked
                                        << "j\\377.txt\nlink.txt\ns.csv\n" + journal;
    QTest::newRow("export to a link")
        << link + "exec \"$0\" export link.txt -o link.txt"
        << "journal-tool: link.txt: " + linked << "j\\377.txt\nlink.txt\n" + journal;
    QTest::newRow("add in a folder not UTF-8")
        << "mkdir \"$(printf 'd\\377')\" && cd \"$(printf 'd\\377')\" && "
           "exec \"$0\" add j.txt 120"
        << "journal-tool: j.txt: The current folder, \"%1/d\\xff\", has a name that is not UTF-8 "
           "(names are taken as UTF-8)\n"
        << QByteArray("d\\377\n");
}

void TstJournalTool::linkOrFolderNotUtf8()
{
    QFETCH(QString, script);
    QFETCH(QString, said);
    QFETCH(QByteArray, left);
    QTemporaryDir here;
    QProcess p;
    p.setWorkingDirectory(here.path());
    p.start("/bin/sh", { "-c", script, TOOL });
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(QString::fromUtf8(p.readAllStandardError()), said.replace("%1", here.path()));
    QCOMPARE(p.exitCode(), 1);
    // Nothing written under another name; the journal as it was.
    QProcess list;
    list.setWorkingDirectory(here.path());
    list.start(
        "/bin/sh", { "-c", "ls -b; cat \"$(printf 'j\\377.txt')\" 2>/dev/null; rm -rf ./*" });
    QVERIFY(list.waitForFinished(30000));
    QCOMPARE(list.readAllStandardOutput(), left);
}

void TstJournalTool::messagesEscapeControlBytes()
{
    const QString source = dir.filePath("control.csv");
    QByteArray bytes = "date,time,value\n2024-03-05,08:00,1\x01\x1b[31m";
    bytes += '\0';
    bytes += "2\n";
    put(source, bytes);
    const Run r = tool({ "import", dir.filePath("control.journal"), source });
    // Every row rejected is a failure.
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains("1\\x01\\x1b[31m\\x002"), r.err.constData());
    for (const char c : r.err)
        QVERIFY2(uchar(c) >= 0x20 || c == '\n', r.err.constData());
    // Its one row rejected: the file is refused, nothing counted as imported.
    QCOMPARE(r.out, QByteArray());
    QVERIFY2(r.err.contains("1 of 1 row with readings is rejected alike"), r.err.constData());
}

void TstJournalTool::countsOfOne()
{
    const QString path = dir.filePath("one.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    QCOMPARE(tool({ "check", path }).out, "0 problems in 1 line\n");
    QVERIFY(tool({ "stats", path }).out.contains(", 1 day with readings,"));
    put(path, "SUGR|20240305|0800|x|104|\nSUGR|20240305|0900|x|0Hi|\n");
    QVERIFY(tool({ "check", path })
                .out.endsWith(":2: value not a whole number\n1 problem in 2 lines\n"));
    QCOMPARE(tool({ "export", path, "-o", dir.filePath("one.csv") }).err,
        "journal-tool: 1 reading without a number for a value left out\n");
}

void TstJournalTool::writersWaitForEachOther()
{
    // Four scripts add beside an import, all at once, on a journal large
    // enough that each change takes a while: every one of them succeeds.
    const QString path = dir.filePath("busy.journal");
    put(path, fulldisk::journalOf(2 << 20));
    const QByteArray before = bytesOf(path);
    const QString source = dir.filePath("busy.csv");
    put(source, fulldisk::exportOf("2024-04-01", 300));
    std::vector<std::unique_ptr<QProcess>> writers;
    for (int w = 0; w < 4; ++w) {
        writers.push_back(std::make_unique<QProcess>());
        writers.back()->start("/bin/sh",
            { "-c",
                QStringLiteral("for i in 1 2 3 4 5 6 7 8; do \"$0\" add \"$1\" 1%1$i --at "
                               "\"2024-04-02 0%1:0$i\" >/dev/null || exit 1; done")
                    .arg(w),
                TOOL, path });
    }
    const Run import = tool({ "import", path, source });
    QCOMPARE(import.code, 0);
    QVERIFY2(import.out.startsWith("imported 300 rows: 300 readings;"), import.out.constData());
    for (auto &w : writers) {
        QVERIFY(w->waitForFinished(120000));
        QVERIFY2(w->exitCode() == 0, w->readAllStandardError().constData());
    }
    const QByteArray after = bytesOf(path);
    QVERIFY(after.startsWith(before));
    QCOMPARE(after.count('\n') - before.count('\n'), 300 + 4 * 8);
    for (int w = 0; w < 4; ++w) {
        for (int i = 1; i <= 8; ++i)
            QVERIFY(after.contains(QStringLiteral("SUGR|20240402|0%1%2||1%1%3|\n")
                                       .arg(w)
                                       .arg(i, 2, 10, QChar(u'0'))
                                       .arg(i)
                                       .toUtf8()));
    }
}

void TstJournalTool::waitsForALockHeld()
{
    const QString path = dir.filePath("held.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    // The holder is this live process, for longer than the window waits.
    auto held = std::make_unique<QLockFile>(path + ".lock");
    QVERIFY(held->tryLock(0));
    QProcess p;
    p.start(QStringLiteral(TOOL), { "add", path, "120", "--at", "2024-03-05 09:00" });
    QVERIFY(!p.waitForFinished(2500));
    held.reset();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(bytesOf(path), "SUGR|20240305|0800|x|104|\nSUGR|20240305|0900||120|\n");
    // A lock left empty by a writer killed as it made it is no lock.
    put(path + ".lock", "");
    QCOMPARE(tool({ "add", path, "121", "--at", "2024-03-05 10:00" }).code, 0);
    QVERIFY(bytesOf(path).endsWith("SUGR|20240305|1000||121|\n"));
}

void TstJournalTool::oldLockOfALiveWriterHolds()
{
    const QString path = dir.filePath("old-lock.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    // This process lives on, its lock older than Qt's stale time of 30 s.
    QLockFile held(path + ".lock");
    QVERIFY(held.tryLock(0));
    QFile lock(path + ".lock");
    QVERIFY(lock.open(QIODevice::ReadWrite));
    QVERIFY(lock.setFileTime(
        QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
    lock.close();
    const Run r = tool({ "add", path, "120", "--wait", "1" });
    QCOMPARE(r.code, 1);
    QCOMPARE(QString::fromUtf8(r.err),
        QStringLiteral("journal-tool: %1: Another program (tst_journaltool, process %2) is "
                       "writing the journal; gave up after 1 s\n")
            .arg(path)
            .arg(QCoreApplication::applicationPid()));
    QCOMPARE(bytesOf(path), "SUGR|20240305|0800|x|104|\n");
    QCOMPARE(tool({ "add", path, "120", "--wait", "soon" }).code, 2);
}

void TstJournalTool::noSessionNoWarning()
{
    const QString path = dir.filePath("session.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    QTemporaryDir temporary;
    QProcess p;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("XDG_RUNTIME_DIR");
    environment.remove("QT_QPA_PLATFORM");
    environment.insert("TMPDIR", temporary.path());
    p.setProcessEnvironment(environment);
    p.start(QStringLiteral(TOOL), { "report", path, "-o", dir.filePath("session.png") });
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    QCOMPARE(p.readAllStandardError(), QByteArray());
    // The runtime folder it made for itself goes with it.
    QCOMPARE(
        QDir(temporary.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
}

int main(int argc, char **argv)
{
    // Before any thread starts: mounts made in the test go with its process.
    mountsAllowed = fulldisk::privateMounts();
    QCoreApplication app(argc, argv);
    TstJournalTool test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journaltool.moc"
