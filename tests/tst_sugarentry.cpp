// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SugarEntry.h"
#include "detailtest.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>

#include <memory>

using detailtest::DetailSeen;
using detailtest::openDetail;

namespace {

const SugarEntry::MyFactory sugarFactory;

std::unique_ptr<SugarEntry> decodeSugar(const QString &line)
{
    return std::unique_ptr<SugarEntry>(static_cast<SugarEntry *>(JournalEntry::decode(line)));
}

// Whether a line read from its bytes says what its entry says.
bool plainAgrees(const QByteArray &line, const SugarEntry::Reading &plain)
{
    const auto entry = decodeSugar(QString::fromUtf8(line));
    return entry && entry->getDate() == plain.date && entry->getTime() == plain.time
        && entry->getRType() == QLatin1String(plain.type) && entry->getValue() == plain.value
        && entry->hasWholeValue() && entry->getNotes().isEmpty() != plain.hasNotes;
}

} // namespace

class TstSugarEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void decode_data();
    void decode();
    void summary_data();
    void summary();
    void valueKeptAsWritten_data();
    void valueKeptAsWritten();
    void readingTypesOfManyLines();
    void encodeLine();
    void roundTrip_data();
    void roundTrip();
    void detail_data();
    void detail();
    void otherTypesSkipped();
    void plainReadings_data();
    void plainReadings();
    void plainReadingsOfRandomLines();
};

void TstSugarEntry::defaults()
{
    const QDateTime before = QDateTime::currentDateTime();
    const SugarEntry entry;
    QCOMPARE(entry.getType(), "SUGR");
    QCOMPARE(entry.getRType(), "????");
    QCOMPARE(entry.getValue(), 0);
    QVERIFY(entry.getNotes().isEmpty());
    QVERIFY(entry.getDateTime().secsTo(QDateTime(before.date(), before.time(), Qt::UTC)) <= 0);
    QVERIFY(entry.getSummary().endsWith(": Sugar = 0 (\?\?\?\?) "));

    QStringList fields;
    entry.encode(fields);
    QCOMPARE(fields.size(), 6);
    QCOMPARE(fields.last(), "");
    QVERIFY(entry.encode().endsWith("|????|0|"));
}

void TstSugarEntry::decode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("rtype");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("notes");

    const QDate day(2024, 3, 5);
    const QTime time(7, 8);
    QTest::newRow("all fields") << "SUGR|20240305|0708|pre-lunch|104|felt fine" << day << time
                                << "pre-lunch" << 104 << "felt fine";
    QTest::newRow("empty notes") << "SUGR|20240305|0708|cgm|93|" << day << time << "cgm" << 93
                                 << "";
    QTest::newRow("no notes field")
        << "SUGR|20240305|0708|cgm|93" << day << time << "cgm" << 93 << "";
    QTest::newRow("line ends after the time")
        << "SUGR|20240305|0708" << day << time << "" << 0 << "";
    QTest::newRow("empty reading type keeps the fields in place")
        << "SUGR|20240305|0708||104|notes" << day << time << "" << 104 << "notes";
    QTest::newRow("empty reading type and notes")
        << "SUGR|20240305|0708||104|" << day << time << "" << 104 << "";
    QTest::newRow("negative value")
        << "SUGR|20240305|0708|x|-40|" << day << time << "x" << -40 << "";
    QTest::newRow("letters after the digits")
        << "SUGR|20240305|0708|x|12abc|" << day << time << "x" << 0 << "";
    QTest::newRow("value NA") << "SUGR|20240305|0708|cgm|NA|" << day << time << "cgm" << 0 << "";
    QTest::newRow("empty value") << "SUGR|20240305|0708|code 0||patient 1" << day << time
                                 << "code 0" << 0 << "patient 1";
    QTest::newRow("decimal value")
        << "SUGR|20240305|0708|insulin|6.5|" << day << time << "insulin" << 0 << "";
    QTest::newRow("value of 30 digits")
        << "SUGR|20240305|0708|x|123456789012345678901234567890|" << day << time << "x" << 0 << "";
    QTest::newRow("fields after the sixth are ignored")
        << "SUGR|20240305|0708|x|5|n|extra|more" << day << time << "x" << 5 << "n";
    QTest::newRow("escapes are undone")
        << R"(SUGR|20240305|0708|a\Pb|5|c\\d\ne)" << day << time << "a|b" << 5 << "c\\d\ne";
    QTest::newRow("only the code") << "SUGR" << QDate() << QTime(0, 0) << "" << 0 << "";
    QTest::newRow("separator before the code")
        << "|SUGR|20240305|0708|x|5|" << day << time << "x" << 5 << "";
}

void TstSugarEntry::decode()
{
    QFETCH(QString, line);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, rtype);
    QFETCH(int, value);
    QFETCH(QString, notes);

    const auto entry = decodeSugar(line);
    QVERIFY(entry);
    QCOMPARE(entry->getType(), "SUGR");
    QCOMPARE(entry->getDate(), date);
    QCOMPARE(entry->getTime(), time);
    QCOMPARE(entry->getRType(), rtype);
    QCOMPARE(entry->getValue(), value);
    QCOMPARE(entry->getNotes(), notes);
}

void TstSugarEntry::summary_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("summary");
    QTest::newRow("with notes") << "SUGR|20240305|0730|X|104|some notes"
                                << "07:30:00: Sugar = 104 (X) [NOTE]";
    QTest::newRow("without notes") << "SUGR|20240305|0730|X|104|"
                                   << "07:30:00: Sugar = 104 (X) ";
    QTest::newRow("notes of one space") << "SUGR|20240305|0730|X|104| "
                                        << "07:30:00: Sugar = 104 (X) [NOTE]";
    QTest::newRow("reading type shown unescaped") << R"(SUGR|20240305|2359|a\Pb\\c|-3|)"
                                                  << "23:59:00: Sugar = -3 (a|b\\c) ";
    QTest::newRow("impossible time") << "SUGR|19910421|5635|pre-lunch|80|"
                                     << ": Sugar = 80 (pre-lunch) ";
    // A meter's HIGH must not read as a low of 0.
    QTest::newRow("value not a number") << "SUGR|19910421|0700|pre-breakfast|0Hi|"
                                        << "07:00:00: Sugar = 0Hi (pre-breakfast) ";
    QTest::newRow("decimal value") << "SUGR|19910421|0700|X|5.6|n"
                                   << "07:00:00: Sugar = 5.6 (X) [NOTE]";
    QTest::newRow("empty value") << "SUGR|19910421|0700|X||" << "07:00:00: Sugar =  (X) ";
    QTest::newRow("zero") << "SUGR|19910421|0700|X|0|" << "07:00:00: Sugar = 0 (X) ";
}

void TstSugarEntry::valueKeptAsWritten_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("letters") << "SUGR|19910421|0700|pre-breakfast|0Hi|";
    QTest::newRow("decimal") << "SUGR|19910421|0700|cgm|5.6|notes";
    QTest::newRow("NA") << "SUGR|19910421|0700|cgm|NA|";
    QTest::newRow("empty") << "SUGR|19910421|0700|cgm||x";
    QTest::newRow("too large for an int") << "SUGR|19910421|0700|cgm|99999999999|";
    QTest::newRow("a backslash that escapes nothing") << R"(SUGR|19910421|0700|cgm|\x|)";
}

void TstSugarEntry::valueKeptAsWritten()
{
    QFETCH(QString, line);
    const auto entry = decodeSugar(line);
    QCOMPARE(entry->getValue(), 0);
    QCOMPARE(entry->encode(), line);

    // A value set by hand replaces the text.
    entry->setValue(120);
    QCOMPARE(entry->getValueText(), "120");
    QVERIFY(entry->encode().contains("|120|"));
}

void TstSugarEntry::summary()
{
    QFETCH(QString, line);
    QFETCH(QString, summary);
    QCOMPARE(decodeSugar(line)->getSummary(), summary);
}

void TstSugarEntry::readingTypesOfManyLines()
{
    // Reading types repeat from line to line, with and without escapes; each
    // reads as its own field does, and changing one entry changes no other.
    const QStringList fields { "cgm", R"(a\Pb)", R"(a\Pb)", "cgm", R"(x\y)", R"(x\y)", "",
        R"(a\Pb)", "cgm", "a|b" };
    const QStringList texts { "cgm", "a|b", "a|b", "cgm", R"(x\y)", R"(x\y)", "", "a|b", "cgm",
        "a" };
    std::vector<std::unique_ptr<SugarEntry>> entries;
    for (const QString &field : fields)
        entries.push_back(decodeSugar("SUGR|20240305|0708|" + field + "|1|"));
    for (size_t i = 0; i < entries.size(); ++i)
        QCOMPARE(entries[i]->getRType(), texts[i]);

    entries[0]->setRType("changed");
    QCOMPARE(entries[3]->getRType(), "cgm");
    QCOMPARE(decodeSugar("SUGR|20240305|0708|cgm|1|")->getRType(), "cgm");
}

void TstSugarEntry::encodeLine()
{
    SugarEntry entry;
    entry.setDateTime(QDateTime(QDate(2024, 3, 5), QTime(7, 8, 59)));
    entry.setRType("pre|x");
    entry.setValue(-5);
    entry.setNotes("a\nb\\");
    QCOMPARE(entry.encode(), R"(SUGR|20240305|0708|pre\Px|-5|a\nb\\)");
}

void TstSugarEntry::roundTrip_data()
{
    QTest::addColumn<QString>("rtype");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("notes");
    QTest::newRow("plain") << "pre-breakfast" << 104 << "ok";
    QTest::newRow("empty notes") << "cgm" << 93 << "";
    QTest::newRow("empty reading type") << "" << 104 << "notes";
    QTest::newRow("both empty") << "" << 0 << "";
    QTest::newRow("special characters") << "a|b\\c\nd" << -17 << "line 1\nline 2 | \\ \\n \\P";
    QTest::newRow("only separators") << "|" << 5 << "||";
    QTest::newRow("trailing backslash") << "\\" << 5 << "x\\";
    QTest::newRow("extreme values") << "min" << std::numeric_limits<int>::min() << " ";
}

void TstSugarEntry::roundTrip()
{
    QFETCH(QString, rtype);
    QFETCH(int, value);
    QFETCH(QString, notes);

    SugarEntry entry;
    entry.setDateTime(QDateTime(QDate(2023, 12, 31), QTime(23, 59)));
    entry.setRType(rtype);
    entry.setValue(value);
    entry.setNotes(notes);

    const QString line = entry.encode();
    QVERIFY(!line.contains(u'\n'));
    const auto back = decodeSugar(line);
    QVERIFY(back);
    QCOMPARE(back->getDateTime(), entry.getDateTime());
    QCOMPARE(back->getRType(), rtype);
    QCOMPARE(back->getValue(), value);
    QCOMPARE(back->getNotes(), notes);
    QCOMPARE(back->encode(), line);
}

void TstSugarEntry::detail_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("text");
    QTest::newRow("notes with a line break")
        << R"(SUGR|20240305|0708|pre-lunch|104|first\nsecond)"
        << "Blood Sugar Reading 104(pre-lunch)\nTue Mar 5 2024 07:08:00\n\nfirst\nsecond";
    QTest::newRow("no notes") << "SUGR|20240305|1430|cgm|-3|"
                              << "Blood Sugar Reading -3(cgm)\nTue Mar 5 2024 14:30:00\n\n";
}

void TstSugarEntry::detail()
{
    QFETCH(QString, line);
    QFETCH(QString, text);

    const DetailSeen seen = openDetail(*decodeSugar(line));
    QVERIFY(seen.seen);
    QCOMPARE(seen.text, text);
    QCOMPARE(seen.size, QSize(200, 250));
    QVERIFY(seen.modal);
    QVERIFY(seen.readOnly);
    QVERIFY(seen.enabled);
    QVERIFY(!QApplication::activeModalWidget());
}

// Only "SUGR" is registered here, as in a program that knows only readings:
// the other record types' lines read as nothing, and the lines around them
// as before.
void TstSugarEntry::otherTypesSkipped()
{
    QString journal = "SUGR|20240305|0700|cgm|104|\n";
    for (const char *code : { "INSL", "CARB", "ACTV", "NOTE", "KETO", "WGHT", "BLPR", "HBA1" })
        journal += QString::fromLatin1(code) + "|20240305|0710|8|x|y|z\n";
    journal += "SUGR|20240305|0720|cgm|110|";
    QTextStream in(&journal);
    QStringList read;
    while (!in.atEnd()) {
        const JournalEntry *e = nullptr;
        in >> e;
        if (e)
            read << static_cast<const SugarEntry *>(e)->getValueText();
        delete e;
    }
    QCOMPARE(read, QStringList({ "104", "110" }));
}

QTEST_MAIN(TstSugarEntry)
void TstSugarEntry::plainReadings_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("plain");
    QTest::newRow("a reading") << QByteArray("SUGR|20240305|0708|pre-breakfast|104|") << true;
    QTest::newRow("with notes") << QByteArray("SUGR|20240305|0708|cgm|104|felt fine") << true;
    QTest::newRow("without notes or their bar") << QByteArray("SUGR|20240305|0708|cgm|104") << true;
    QTest::newRow("fields after the notes")
        << QByteArray("SUGR|20240305|0708|cgm|104||x|y") << true;
    QTest::newRow("an empty type") << QByteArray("SUGR|20240305|0708||104|") << true;
    QTest::newRow("leading zeros") << QByteArray("SUGR|20240305|0708|cgm|0104|") << true;
    QTest::newRow("impossible date, read as such")
        << QByteArray("SUGR|20240231|0708|cgm|1|") << true;
    QTest::newRow("impossible time, read as such")
        << QByteArray("SUGR|20240305|2460|cgm|1|") << true;
    QTest::newRow("hour 24, read as no time") << QByteArray("SUGR|20240305|2400|cgm|1|") << true;
    QTest::newRow("the day's last minute") << QByteArray("SUGR|20240305|2359|cgm|1|") << true;
    QTest::newRow("value not a whole number") << QByteArray("SUGR|20240305|0708|cgm|5.6|") << false;
    QTest::newRow("value missing") << QByteArray("SUGR|20240305|0708|cgm") << false;
    QTest::newRow("a sign") << QByteArray("SUGR|20240305|0708|cgm|+104|") << false;
    QTest::newRow("a time with a colon") << QByteArray("SUGR|20240305|7:08|cgm|104|") << false;
    QTest::newRow("a short date") << QByteArray("SUGR|2024035|0708|cgm|104|") << false;
    QTest::newRow("an escape") << QByteArray("SUGR|20240305|0708|a\\Pb|104|") << false;
    QTest::newRow("escapes in the notes, not read")
        << QByteArray("SUGR|20240305|0708|cgm|104|shaky\\nhad juice \\P \\\\") << true;
    QTest::newRow("beyond ASCII in the notes, not read")
        << QByteArray("SUGR|20240305|0708|cgm|104|caf\xc3\xa9") << true;
    QTest::newRow("no notes before a field more")
        << QByteArray("SUGR|20240305|0708|cgm|104||x") << true;
    QTest::newRow("beyond ASCII") << QByteArray("SUGR|20240305|0708|\xc3\xa9t\xc3\xa9|104|")
                                  << false;
    QTest::newRow("leading bar") << QByteArray("|SUGR|20240305|0708|cgm|104|") << false;
    QTest::newRow("another type") << QByteArray("NOTE|20240305|0708|x") << false;
    QTest::newRow("ten digits") << QByteArray("SUGR|20240305|0708|cgm|1234567890|") << false;
}

void TstSugarEntry::plainReadings()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, plain);
    SugarEntry::Reading reading;
    QCOMPARE(SugarEntry::readPlain(line, &reading), plain);
    if (plain)
        QVERIFY(plainAgrees(line, reading));
}

void TstSugarEntry::plainReadingsOfRandomLines()
{
    // Lines near readings, each field as the journal writes it or a few
    // characters of any kind: what reads as a plain reading says what its
    // entry says.
    QRandomGenerator random(11);
    const QByteArray alphabet = "0123456789|:+-. \\\xc3\xa9"
                                "ab";
    const auto noise = [&] {
        QByteArray text;
        for (int k = random.bounded(6); k > 0; --k)
            text += alphabet[random.bounded(int(alphabet.size()))];
        return text;
    };
    const auto digits = [&](int width, int below) {
        return QByteArray::number(random.bounded(below)).rightJustified(width, '0');
    };
    int plain = 0;
    for (int i = 0; i < 20000; ++i) {
        const bool canonical[4] = { random.bounded(5) > 0, random.bounded(5) > 0,
            random.bounded(5) > 0, random.bounded(5) > 0 };
        const QByteArray line = "SUGR|" + (canonical[0] ? digits(8, 30000000) : noise()) + '|'
            + (canonical[1] ? digits(4, 3000) : noise()) + '|' + noise() + '|'
            + (canonical[2] ? QByteArray::number(random.bounded(1000)) : noise())
            + (canonical[3] ? QByteArray() : '|' + noise());
        SugarEntry::Reading reading;
        if (SugarEntry::readPlain(line, &reading)) {
            ++plain;
            QVERIFY2(plainAgrees(line, reading), line.constData());
        }
    }
    QVERIFY(plain > 1000);
}

#include "tst_sugarentry.moc"
