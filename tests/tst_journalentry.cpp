// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FieldIterator.h"
#include "JournalEntry.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>

#include <memory>
#include <time.h>

namespace {

// A record type that keeps every field after the time, as read.
class RecordEntry : public JournalEntry
{
public:
    RecordEntry() = default;
    RecordEntry(FieldIterator &it, int maker)
        : JournalEntry(it)
        , maker(maker)
    {
        for (; !it.atEnd(); ++it)
            fields << (*it).toString();
    }
    const QString &getType() const override
    {
        static const QString type = QStringLiteral("REC");
        return type;
    }

    QStringList fields;
    int maker = 0;
};

class RecordFactory : public JournalEntry::JournalFactory
{
public:
    RecordFactory(const QString &code, int id)
        : JournalFactory(code)
        , id(id)
    { }
    JournalEntry *create(FieldIterator &it) const override { return new RecordEntry(it, id); }

private:
    int id;
};

const RecordFactory recordFactory(QStringLiteral("REC"), 1);
const RecordFactory firstTwin(QStringLiteral("TWIN"), 1);
const RecordFactory secondTwin(QStringLiteral("TWIN"), 2);

std::unique_ptr<RecordEntry> decodeRecord(const QString &line)
{
    return std::unique_ptr<RecordEntry>(static_cast<RecordEntry *>(JournalEntry::decode(line)));
}

RecordEntry at(const QDate &date, const QTime &time)
{
    RecordEntry e;
    e.setDate(date);
    e.setTime(time);
    return e;
}

} // namespace

class TstJournalEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void dateAndTimeFields_data();
    void dateAndTimeFields();
    void registry();
    void compare_data();
    void compare();
    void readBackDropsSeconds();
    void summary();
    void escape_data();
    void escape();
    void unescape_data();
    void unescape();
    void escapeRoundTripsEveryMix();
    void escapeRoundTripsRandomText();
    void numbers_data();
    void numbers();
    void dateAndTimeItems();
    void decodeLine_data();
    void decodeLine();
    void encodeLine();
    void streams();
};

void TstJournalEntry::initTestCase()
{
    // The spring-forward night of Europe/Berlin must not reorder readings.
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

void TstJournalEntry::dateAndTimeFields_data()
{
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QString>("next");

    QTest::newRow("date, time and a field after")
        << QStringList { "20240131", "0905", "x" } << QDate(2024, 1, 31) << QTime(9, 5) << "x";
    QTest::newRow("seven-character date reads the day from one digit")
        << QStringList { "2024013", "0905" } << QDate(2024, 1, 3) << QTime(9, 5) << "";
    QTest::newRow("long date ignores the rest")
        << QStringList { "2024013199", "0905" } << QDate(2024, 1, 31) << QTime(9, 5) << "";
    QTest::newRow("one-character time is the hour")
        << QStringList { "20240131", "9" } << QDate(2024, 1, 31) << QTime(9, 0) << "";
    QTest::newRow("seconds in the time are ignored")
        << QStringList { "20240131", "093045" } << QDate(2024, 1, 31) << QTime(9, 30) << "";
    QTest::newRow("list ends after the date")
        << QStringList { "20240131" } << QDate(2024, 1, 31) << QTime(0, 0) << "";
    QTest::newRow("empty list") << QStringList {} << QDate() << QTime(0, 0) << "";
    QTest::newRow("month 13 is kept as an invalid date")
        << QStringList { "20241301", "0000" } << QDate() << QTime(0, 0) << "";
    QTest::newRow("31 June is invalid")
        << QStringList { "19910631", "1200" } << QDate() << QTime(12, 0) << "";
    QTest::newRow("letters in the month read as 0")
        << QStringList { "2024ab01", "0000" } << QDate() << QTime(0, 0) << "";
    QTest::newRow("minute 80 is an invalid time")
        << QStringList { "19910421", "18800" } << QDate(1991, 4, 21) << QTime() << "";
    QTest::newRow("hour 56 is an invalid time")
        << QStringList { "19910421", "5635" } << QDate(1991, 4, 21) << QTime() << "";
    QTest::newRow("a year below 1 is an invalid date")
        << QStringList { "-0011231", "0800" } << QDate() << QTime(8, 0) << "";
    QTest::newRow("year 0 is an invalid date")
        << QStringList { "00000101", "0800" } << QDate() << QTime(8, 0) << "";
    QTest::newRow("year 1 is a date")
        << QStringList { "00010101", "0800" } << QDate(1, 1, 1) << QTime(8, 0) << "";
    QTest::newRow("7:05 typed by hand is 07:05, not 00:05")
        << QStringList { "20241202", "7:05" } << QDate(2024, 12, 2) << QTime(7, 5) << "";
    QTest::newRow("07:05 typed by hand")
        << QStringList { "20241202", "07:05" } << QDate(2024, 12, 2) << QTime(7, 5) << "";
    QTest::newRow("23:59 typed by hand")
        << QStringList { "20241202", "23:59" } << QDate(2024, 12, 2) << QTime(23, 59) << "";
    QTest::newRow("7:5 is an invalid time")
        << QStringList { "20241202", "7:5" } << QDate(2024, 12, 2) << QTime() << "";
    QTest::newRow("7:05:30 is an invalid time")
        << QStringList { "20241202", "7:05:30" } << QDate(2024, 12, 2) << QTime() << "";
    QTest::newRow("24:00 is an invalid time")
        << QStringList { "20241202", "24:00" } << QDate(2024, 12, 2) << QTime() << "";
    QTest::newRow("a sign before the hour is an invalid time")
        << QStringList { "20241202", "+7:05" } << QDate(2024, 12, 2) << QTime() << "";
    QTest::newRow("a colon alone is an invalid time")
        << QStringList { "20241202", ":" } << QDate(2024, 12, 2) << QTime() << "";
}

void TstJournalEntry::dateAndTimeFields()
{
    QFETCH(QStringList, fields);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QString, next);

    FieldIterator it(fields);
    RecordEntry entry(it, 0);
    QCOMPARE(entry.getDate(), date);
    QCOMPARE(entry.getTime(), time);
    QCOMPARE(entry.getTime().msec(), time.isValid() ? 0 : -1);
    QCOMPARE(entry.fields.value(0), next);
}

void TstJournalEntry::registry()
{
    using Factory = JournalEntry::JournalFactory;
    QCOMPARE(Factory::factories.value("REC"), &recordFactory);
    QCOMPARE(Factory::factories.value("rec"), nullptr);
    QCOMPARE(Factory::factories.value("REC "), nullptr);

    const auto twin = decodeRecord("TWIN|20240101|0000");
    QVERIFY(twin);
    QCOMPARE(twin->maker, 2);

    // A type registered after lines of it were read is known from then on,
    // and the last one registered under a code makes its entries.
    QVERIFY(!decodeRecord("LATE|20240101|0000"));
    const RecordFactory late(QStringLiteral("LATE"), 3);
    const auto known = decodeRecord("LATE|20240101|0000");
    QVERIFY(known);
    QCOMPARE(known->maker, 3);
    const RecordFactory third(QStringLiteral("TWIN"), 3);
    QCOMPARE(decodeRecord("TWIN|20240101|0000")->maker, 3);
    Factory::factories.remove(QStringLiteral("LATE"));
    QVERIFY(!decodeRecord("LATE|20240101|0000"));
    Factory::factories.remove(QStringLiteral("TWIN"), &third);
}

void TstJournalEntry::compare_data()
{
    QTest::addColumn<QDate>("date1");
    QTest::addColumn<QTime>("time1");
    QTest::addColumn<QDate>("date2");
    QTest::addColumn<QTime>("time2");
    QTest::addColumn<int>("order");

    const QDate day(2024, 3, 31); // clocks go from 02:00 to 03:00 in Berlin
    QTest::newRow("same minute") << day << QTime(8, 0) << day << QTime(8, 0) << 0;
    QTest::newRow("02:30 in the gap before 03:15")
        << day << QTime(2, 30) << day << QTime(3, 15) << -1;
    QTest::newRow("02:30 in the gap after 01:59")
        << day << QTime(2, 30) << day << QTime(1, 59) << 1;
    QTest::newRow("fall-back hour")
        << QDate(2024, 10, 27) << QTime(2, 10) << QDate(2024, 10, 27) << QTime(2, 50) << -1;
    QTest::newRow("date before time")
        << QDate(2024, 1, 1) << QTime(23, 59) << QDate(2024, 1, 2) << QTime(0, 0) << -1;
    QTest::newRow("invalid date first")
        << QDate() << QTime(12, 0) << QDate(1900, 1, 1) << QTime(0, 0) << -1;
}

void TstJournalEntry::compare()
{
    QFETCH(QDate, date1);
    QFETCH(QTime, time1);
    QFETCH(QDate, date2);
    QFETCH(QTime, time2);
    QFETCH(int, order);

    const RecordEntry a = at(date1, time1);
    const RecordEntry b = at(date2, time2);
    QCOMPARE(a < b, order < 0);
    QCOMPARE(b<a, order> 0);
    QCOMPARE(a == b, order == 0);
    if (date1.isValid() && date2.isValid())
        QCOMPARE(a.getDateTime() < b.getDateTime(), order < 0);
}

void TstJournalEntry::readBackDropsSeconds()
{
    RecordEntry original;
    original.setDateTime(QDateTime(QDate(2024, 5, 1), QTime(9, 30, 42)));
    const auto back = decodeRecord(original.encode());
    QVERIFY(back);
    QCOMPARE(back->getTime(), QTime(9, 30));
    QVERIFY(*back < original);
    QVERIFY(!(*back == original));

    // Two records of one minute are equal, whatever they hold.
    const auto other = decodeRecord("REC|20240501|0930|something|else");
    QVERIFY(*other == *back);
    QVERIFY(!(*other < *back) && !(*back < *other));
}

void TstJournalEntry::summary()
{
    QCOMPARE(decodeRecord("REC|20240305|0708")->getSummary(), "07:08:00: ");
    QCOMPARE(decodeRecord("REC|20240305|5635")->getSummary(), ": ");

    // The hand-built text must be the toolkit's default form at every second.
    RecordEntry e;
    for (int s = 0; s < 24 * 3600; ++s) {
        e.setTime(QTime::fromMSecsSinceStartOfDay(s * 1000 + 999));
        if (e.getSummary() != e.getTime().toString() + ": ")
            QFAIL(qPrintable(e.getTime().toString()));
    }
}

void TstJournalEntry::escape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::newRow("every special character") << "a|b\\c\nd"
                                             << R"(a\Pb\\c\nd)";
    QTest::newRow("separator") << "|"
                               << R"(\P)";
    QTest::newRow("backslash") << "\\"
                               << R"(\\)";
    QTest::newRow("newline") << "\n"
                             << R"(\n)";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("backslash before separator is doubled once") << "\\|"
                                                                << R"(\\\P)";
    QTest::newRow("backslash before n is not a newline") << R"(\n)"
                                                         << R"(\\n)";
    QTest::newRow("carriage return stays") << "a\rb"
                                           << "a\rb";
    QTest::newRow("plain text") << "pre-breakfast"
                                << "pre-breakfast";
    const QString lone(QChar(0xd800));
    QTest::newRow("lone surrogate beside a separator") << "a|" + lone + "\\"
                                                       << R"(a\P)" + lone + R"(\\)";
}

void TstJournalEntry::escape()
{
    QFETCH(QString, text);
    QFETCH(QString, field);
    const RecordEntry codec;
    QCOMPARE(codec.encodeItem(text), field);
    QCOMPARE(codec.decodeString(field), text);
}

void TstJournalEntry::unescape_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("escaped backslash before n") << R"(\\n)"
                                                << R"(\n)";
    QTest::newRow("escaped backslash before P") << R"(\\P)"
                                                << R"(\P)";
    QTest::newRow("three backslashes and n") << R"(\\\n)"
                                             << "\\\n";
    QTest::newRow("unknown sequence") << R"(\x)"
                                      << R"(\x)";
    QTest::newRow("lone trailing backslash") << R"(a\)"
                                             << R"(a\)";
    QTest::newRow("small p is no sequence") << R"(\p)"
                                            << R"(\p)";
    QTest::newRow("capital N is no sequence") << R"(\N)"
                                              << R"(\N)";
    QTest::newRow("raw separator and newline pass") << "a|b\nc"
                                                    << "a|b\nc";
}

void TstJournalEntry::unescape()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QCOMPARE(RecordEntry().decodeString(field), text);
}

void TstJournalEntry::escapeRoundTripsEveryMix()
{
    const QString alphabet = QStringLiteral("\\|Pn\n");
    const RecordEntry codec;
    QStringList level { QString() };
    int checked = 0;
    for (int length = 0; length <= 6; ++length) {
        QStringList longer;
        for (const QString &text : std::as_const(level)) {
            const QString field = codec.encodeItem(text);
            if (field.contains(u'|') || field.contains(u'\n') || codec.decodeString(field) != text)
                QFAIL(
                    QByteArray("no round trip: " + text.toUtf8().toPercentEncoding()).constData());
            ++checked;
            for (const QChar c : alphabet)
                longer << text + c;
        }
        level = longer;
    }
    QCOMPARE(checked, 19531); // 5^0 + ... + 5^6
}

void TstJournalEntry::escapeRoundTripsRandomText()
{
    QRandomGenerator random(20240305);
    const RecordEntry codec;
    for (int i = 0; i < 20000; ++i) {
        QString text(random.bounded(40), Qt::Uninitialized);
        for (QChar &c : text) {
            // Mostly the characters that matter, sometimes any UTF-16 unit.
            static const char16_t some[] = u"\\|\nPnx ";
            c = random.bounded(4) ? QChar(some[random.bounded(7)])
                                  : QChar(char16_t(random.bounded(0x10000)));
        }
        if (codec.decodeString(codec.encodeItem(text)) != text)
            QFAIL(QByteArray("no round trip: " + text.toUtf8().toPercentEncoding()).constData());
    }
}

void TstJournalEntry::numbers_data()
{
    QTest::addColumn<QString>("field");
    const char *const fields[] = { "0", "7", "104", "-5", "+5", " 42", "42 ", "12abc", "NA", "",
        "0Hi", "999999999", "2147483647", "2147483648", "-2147483648", "007", "1234567890",
        "99999999999", "1e3", "٣" };
    for (const char *field : fields)
        QTest::newRow(field) << QString::fromUtf8(field);
}

void TstJournalEntry::numbers()
{
    // The fast path for plain digits must agree with QString::toInt.
    QFETCH(QString, field);
    const RecordEntry codec;
    QCOMPARE(codec.decodeInt(field), field.toInt());
    const int n = codec.decodeInt(field);
    QCOMPARE(codec.decodeInt(codec.encodeItem(n)), n);
}

void TstJournalEntry::dateAndTimeItems()
{
    const RecordEntry codec;
    QCOMPARE(codec.encodeItem(-5), "-5");
    QCOMPARE(codec.encodeItem(QDate(2024, 3, 5)), "20240305");
    QCOMPARE(codec.encodeItem(QDate(812, 11, 9)), "08121109");
    QCOMPARE(codec.encodeItem(QTime(23, 59, 59)), "2359");
    QCOMPARE(codec.encodeItem(QTime(7, 8)), "0708");
    QCOMPARE(codec.decodeTime(u"2359"), QTime(23, 59, 0, 0));
    QCOMPARE(codec.decodeDate(u"20240305"), QDate(2024, 3, 5));

    // What a field can hold reads back as itself once written again.
    QCOMPARE(codec.decodeDate(codec.encodeItem(QDate(-999, 1, 1))), QDate());
    QCOMPARE(codec.encodeItem(codec.decodeTime(u"7:05")), "0705");
    QCOMPARE(codec.decodeTime(codec.encodeItem(QTime())), QTime());
    QCOMPARE(codec.decodeDate(codec.encodeItem(QDate())), QDate());
}

void TstJournalEntry::decodeLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("decodes");
    QTest::addColumn<QDate>("date");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QStringList>("fields");

    const QDate day(2024, 3, 5);
    const QTime time(7, 8);
    QTest::newRow("plain") << "REC|20240305|0708|a|b" << true << day << time
                           << QStringList { "a", "b" };
    QTest::newRow("separators before the code")
        << "||REC|20240305|0708|a" << true << day << time << QStringList { "a" };
    QTest::newRow("trailing separator is a last empty field")
        << "REC|20240305|0708|a|" << true << day << time << QStringList { "a", "" };
    QTest::newRow("doubled separator is one empty field in its place")
        << "REC|20240305|0708||b" << true << day << time << QStringList { "", "b" };
    QTest::newRow("doubled separator before the date")
        << "REC||20240305|0708" << true << QDate() << QTime(20, 24) << QStringList { "0708" };
    QTest::newRow("only the code") << "REC" << true << QDate() << QTime(0, 0) << QStringList {};
    QTest::newRow("escapes are left to the record type")
        << R"(REC|20240305|0708|a\Pb)" << true << day << time << QStringList { R"(a\Pb)" };
    QTest::newRow("empty line") << "" << false << QDate() << QTime() << QStringList {};
    QTest::newRow("separators only") << "|||" << false << QDate() << QTime() << QStringList {};
    QTest::newRow("unregistered code")
        << "XXXX|20240305|0708" << false << QDate() << QTime() << QStringList {};
    QTest::newRow("code in small letters")
        << "rec|20240305|0708" << false << QDate() << QTime() << QStringList {};
    QTest::newRow("blank before the code")
        << " REC|20240305|0708" << false << QDate() << QTime() << QStringList {};
}

void TstJournalEntry::decodeLine()
{
    QFETCH(QString, line);
    QFETCH(bool, decodes);
    QFETCH(QDate, date);
    QFETCH(QTime, time);
    QFETCH(QStringList, fields);

    const auto entry = decodeRecord(line);
    QCOMPARE(bool(entry), decodes);
    if (!entry)
        return;
    QCOMPARE(entry->getDate(), date);
    QCOMPARE(entry->getTime(), time);
    QCOMPARE(entry->fields, fields);
}

void TstJournalEntry::encodeLine()
{
    RecordEntry e = at(QDate(2024, 3, 5), QTime(7, 8, 59));
    QCOMPARE(e.encode(), "REC|20240305|0708");
    QStringList fields { "kept" };
    e.encode(fields);
    QCOMPARE(fields, (QStringList { "kept", "REC", "20240305", "0708" }));
}

void TstJournalEntry::streams()
{
    QString text;
    QTextStream out(&text);
    out << at(QDate(2024, 3, 5), QTime(7, 8)) << "\n";
    QCOMPARE(text, "REC|20240305|0708\n");

    // CRLF line ends, an unregistered line between, no line end at the end.
    QString file = "REC|20240305|0708|a\r\nNOPE|20240305|0708\nREC|20240306|0900|b";
    QTextStream in(&file);
    std::vector<std::unique_ptr<const JournalEntry>> read;
    int nulls = 0;
    while (!in.atEnd()) {
        const JournalEntry *e = reinterpret_cast<const JournalEntry *>(1);
        in >> e;
        if (e)
            read.emplace_back(e);
        else
            ++nulls;
    }
    QCOMPARE(read.size(), 2u);
    QCOMPARE(nulls, 1);
    QCOMPARE(static_cast<const RecordEntry *>(read[0].get())->fields, QStringList { "a" });
    QCOMPARE(read[1]->getDate(), QDate(2024, 3, 6));

    const JournalEntry *atEnd = read[0].get();
    in >> atEnd;
    QCOMPARE(atEnd, nullptr);
}

QTEST_GUILESS_MAIN(TstJournalEntry)
#include "tst_journalentry.moc"
