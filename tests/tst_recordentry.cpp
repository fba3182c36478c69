// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BloodPressureEntry.h"
#include "HbA1cEntry.h"
#include "InsulinEntry.h"
#include "JournalTypes.h"
#include "NoteEntry.h"
#include "detailtest.h"

#include <QRandomGenerator>
#include <QTest>

#include <memory>

namespace {

std::unique_ptr<RecordEntry> decodeRecord(const QString &line)
{
    std::unique_ptr<JournalEntry> entry(JournalEntry::decode(line));
    if (!dynamic_cast<RecordEntry *>(entry.get()))
        return nullptr;
    return std::unique_ptr<RecordEntry>(static_cast<RecordEntry *>(entry.release()));
}

} // namespace

class TstRecordEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void decode_data();
    void decode();
    void problem_data();
    void problem();
    void numberText_data();
    void numberText();
    void tidyNumber_data();
    void tidyNumber();
    void setFields();
    void created();
    void detail_data();
    void detail();
    void lookup();
    void numbersReadAsTheGeneralParserReadsThem();
};

void TstRecordEntry::initTestCase()
{
    JournalTypes::registerAll();
    JournalTypes::registerAll(); // a second call registers nothing more
    QCOMPARE(JournalEntry::JournalFactory::factories.count(InsulinEntry::typecode), 1);
    QCOMPARE(JournalEntry::JournalFactory::factories.count("SUGR"), 1);
}

void TstRecordEntry::decode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("summary");
    QTest::addColumn<QString>("encoded"); // empty: the line itself

    const QString t = "07:27:00: ";
    QTest::newRow("INSL bolus") << "INSL|20240305|0727|bolus|8|Humalog|"
                                << "INSL" << QStringList { "bolus", "8", "Humalog", "" }
                                << t + "Insulin = 8 u bolus (Humalog) "
                                << "";
    QTest::newRow("INSL basal with notes, no name")
        << "INSL|20240305|0727|basal|4.5||before bed"
        << "INSL" << QStringList { "basal", "4.5", "", "before bed" }
        << t + "Insulin = 4.5 u basal [NOTE]"
        << "";
    QTest::newRow("INSL units not a number kept as written")
        << "INSL|20240305|0727|bolus|8u|Humalog|"
        << "INSL" << QStringList { "bolus", "8u", "Humalog", "" }
        << t + "Insulin = 8u bolus (Humalog) "
        << "";
    QTest::newRow("INSL short line gains empty fields")
        << "INSL|20240305|0727|bolus|8"
        << "INSL" << QStringList { "bolus", "8", "", "" } << t + "Insulin = 8 u bolus "
        << "INSL|20240305|0727|bolus|8||";
    QTest::newRow("INSL fields after the type's are dropped")
        << "INSL|20240305|0727|bolus|8|Humalog|n|extra"
        << "INSL" << QStringList { "bolus", "8", "Humalog", "n" }
        << t + "Insulin = 8 u bolus (Humalog) [NOTE]"
        << "INSL|20240305|0727|bolus|8|Humalog|n";
    QTest::newRow("CARB") << "CARB|20240305|0727|40|porridge|"
                          << "CARB" << QStringList { "40", "porridge", "" }
                          << t + "Carbs = 40 g (porridge) "
                          << "";
    QTest::newRow("CARB escapes undone")
        << R"(CARB|20240305|0727|12.5|bread\Pbutter|a\\b\nc)"
        << "CARB" << QStringList { "12.5", "bread|butter", "a\\b\nc" }
        << t + "Carbs = 12.5 g (bread|butter) [NOTE]"
        << "";
    QTest::newRow("CARB servings kept as text")
        << "CARB|20240305|0727|2 servings|toast|"
        << "CARB" << QStringList { "2 servings", "toast", "" } << t + "Carbs = 2 servings (toast) "
        << "";
    QTest::newRow("ACTV") << "ACTV|20240305|0727|exercise|20|medium|"
                          << "ACTV" << QStringList { "exercise", "20", "medium", "" }
                          << t + "Activity = 20 min exercise (medium) "
                          << "";
    QTest::newRow("ACTV empty field keeps its place")
        << "ACTV|20240305|0727||45|hard|"
        << "ACTV" << QStringList { "", "45", "hard", "" } << t + "Activity = 45 min  (hard) "
        << "";
    QTest::newRow("NOTE") << "NOTE|20240305|0727|Alcohol"
                          << "NOTE" << QStringList { "Alcohol" } << t + "Note: Alcohol"
                          << "";
    QTest::newRow("NOTE of two lines is one row")
        << R"(NOTE|20240305|0727|ill\nstayed in)"
        << "NOTE" << QStringList { "ill\nstayed in" } << t + "Note: ill stayed in"
        << "";
    QTest::newRow("KETO") << "KETO|20240305|0727|0.6|"
                          << "KETO" << QStringList { "0.6", "" } << t + "Ketones = 0.6 mmol/L"
                          << "";
    QTest::newRow("KETO with notes")
        << "KETO|20240305|0727|1.2|urine"
        << "KETO" << QStringList { "1.2", "urine" } << t + "Ketones = 1.2 mmol/L [NOTE]"
        << "";
    QTest::newRow("WGHT") << "WGHT|20240305|0727|72.4|"
                          << "WGHT" << QStringList { "72.4", "" } << t + "Weight = 72.4 kg"
                          << "";
    QTest::newRow("BLPR") << "BLPR|20240305|0727|128|82|64|"
                          << "BLPR" << QStringList { "128", "82", "64", "" }
                          << t + "Blood pressure = 128/82 mmHg, pulse 64"
                          << "";
    QTest::newRow("BLPR without pulse") << "BLPR|20240305|0727|128|82||sitting"
                                        << "BLPR" << QStringList { "128", "82", "", "sitting" }
                                        << t + "Blood pressure = 128/82 mmHg [NOTE]"
                                        << "";
    QTest::newRow("WGHT empty has no unit") << "WGHT|20240305|0727||"
                                            << "WGHT" << QStringList { "", "" } << t + "Weight = "
                                            << "";
    QTest::newRow("CARB empty has no unit")
        << "CARB|20240305|0727||1|"
        << "CARB" << QStringList { "", "1", "" } << t + "Carbs =  (1) "
        << "";
    QTest::newRow("HBA1") << "HBA1|20240305|0727|6.8|"
                          << "HBA1" << QStringList { "6.8", "" }
                          << t + "HbA1c = 6.8 % (51 mmol/mol)"
                          << "";
    QTest::newRow("HBA1 not a number has no unit and no mmol/mol")
        << "HBA1|20240305|0727|6,8|"
        << "HBA1" << QStringList { "6,8", "" } << t + "HbA1c = 6,8"
        << "";
}

void TstRecordEntry::decode()
{
    QFETCH(QString, line);
    QFETCH(QString, type);
    QFETCH(QStringList, fields);
    QFETCH(QString, summary);
    QFETCH(QString, encoded);

    const auto entry = decodeRecord(line);
    QVERIFY(entry);
    QCOMPARE(entry->getType(), type);
    QCOMPARE(entry->getDate(), QDate(2024, 3, 5));
    QCOMPARE(entry->getTime(), QTime(7, 27));
    QCOMPARE(entry->fieldCount(), fields.size());
    for (int i = 0; i < fields.size(); ++i) {
        QCOMPARE(entry->text(i), fields[i]);
        const bool number
            = entry->description().fields[size_t(i)].kind == RecordEntry::Field::Number;
        // Read as 0 where it is not a number, as a reading's value is.
        if (number)
            QCOMPARE(entry->number(i), entry->isNumber(i) ? fields[i].toDouble() : 0.0);
    }
    QCOMPARE(entry->getSummary(), summary);
    QCOMPARE(entry->encode(), encoded.isEmpty() ? line : encoded);
    // As written, the fields are the line's after the time, escapes and all.
    QStringList written;
    for (int i = 0; i < fields.size(); ++i)
        written << entry->written(i).toString();
    QCOMPARE(written.join(u'|'), entry->encode().section(u'|', 3));
    QVERIFY(entry->written(fields.size()).isEmpty());
    // What was written reads back the same.
    const auto again = decodeRecord(entry->encode());
    QVERIFY(again);
    QCOMPARE(again->encode(), entry->encode());
}

void TstRecordEntry::problem_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("unreadable"); // what a reader of the line cannot use

    QTest::newRow("sound dose") << "INSL|20240305|0727|bolus|8|Humalog|"
                                << ""
                                << "";
    QTest::newRow("units not a number") << "INSL|20240305|0727|bolus|8u||"
                                        << "units not a number: \"8u\""
                                        << "units not a number";
    QTest::newRow("decimal comma") << "WGHT|20240305|0727|72,4|"
                                   << "kg not a number: \"72,4\""
                                   << "kg not a number";
    QTest::newRow("exponent is no journal number") << "CARB|20240305|0727|1e3||"
                                                   << "grams not a number: \"1e3\""
                                                   << "grams not a number";
    QTest::newRow("kind neither bolus nor basal") << "INSL|20240305|0727|fast|8||"
                                                  << "kind not bolus or basal: \"fast\""
                                                  << "";
    QTest::newRow("kind missing") << "INSL|20240305|0727||8||"
                                  << "kind missing"
                                  << "";
    QTest::newRow("units missing") << "INSL|20240305|0727|bolus|||"
                                   << "units missing"
                                   << "";
    QTest::newRow("impossible units") << "INSL|20240305|0727|bolus|400||"
                                      << "impossible units 400"
                                      << "";
    QTest::newRow("negative grams") << "CARB|20240305|0727|-5||"
                                    << "impossible grams -5"
                                    << "";
    QTest::newRow("systolic below diastolic") << "BLPR|20240305|0727|80|120||"
                                              << "impossible blood pressure 80/120"
                                              << "";
    QTest::newRow("impossible systolic") << "BLPR|20240305|0727|400|80||"
                                         << "impossible systolic 400"
                                         << "";
    QTest::newRow("pulse may be left out") << "BLPR|20240305|0727|128|82||"
                                           << ""
                                           << "";
    QTest::newRow("pulse not a number") << "BLPR|20240305|0727|128|82|fast|"
                                        << "pulse not a number: \"fast\""
                                        << "pulse not a number";
    QTest::newRow("impossible HbA1c") << "HBA1|20240305|0727|68|"
                                      << "impossible percent 68"
                                      << "";
    QTest::newRow("a note is free text") << "NOTE|20240305|0727|12abc"
                                         << ""
                                         << "";
}

void TstRecordEntry::problem()
{
    QFETCH(QString, line);
    QFETCH(QString, problem);
    QFETCH(QString, unreadable);
    const auto entry = decodeRecord(line);
    QVERIFY(entry);
    QCOMPARE(entry->problem(), problem);
    QCOMPARE(entry->unreadableField(), unreadable);
}

void TstRecordEntry::numberText_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("text");
    QTest::newRow("whole") << 8.0 << "8";
    QTest::newRow("one decimal") << 4.5 << "4.5";
    QTest::newRow("binary fraction rounded") << 72.4 << "72.4";
    QTest::newRow("small") << 0.05 << "0.05";
    QTest::newRow("large, no exponent") << 1e7 << "10000000";
    QTest::newRow("negative zero") << -0.0 << "0";
    QTest::newRow("negative") << -2.25 << "-2.25";
}

void TstRecordEntry::numberText()
{
    QFETCH(double, value);
    QFETCH(QString, text);
    QCOMPARE(RecordEntry::numberText(value), text);
    QVERIFY(RecordEntry::isNumberText(text));
}

void TstRecordEntry::tidyNumber_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("written");
    QTest::newRow("trailing zero") << "72.40"
                                   << "72.4";
    QTest::newRow("zero fraction") << "8.0"
                                   << "8";
    QTest::newRow("leading zeros") << "007.50"
                                   << "7.5";
    QTest::newRow("zero before the dot stays") << "0.50"
                                               << "0.5";
    QTest::newRow("whole number with zeros at its end") << "100"
                                                        << "100";
    QTest::newRow("negative zero") << "-0.00"
                                   << "0";
    QTest::newRow("every digit kept") << "0.0000001"
                                      << "0.0000001";
    QTest::newRow("no number: as it is") << "8u"
                                         << "8u";
    QTest::newRow("exponent: as it is") << "1e3"
                                        << "1e3";
    QTest::newRow("decimal comma: as it is") << "72,40"
                                             << "72,40";
    for (const char *none : { "5.", ".5", "-", "+5", "1.2.3", "-.5", "5-", " 5" })
        QTest::addRow("no number: %s", none) << none << none;
}

void TstRecordEntry::tidyNumber()
{
    QFETCH(QString, typed);
    QTEST(RecordEntry::tidyNumber(typed), "written");
}

void TstRecordEntry::setFields()
{
    auto entry = decodeRecord("INSL|20240305|0727|bolus|8||");
    QVERIFY(entry);
    entry->setNumber(InsulinEntry::Units, 6.5);
    entry->setText(InsulinEntry::Insulin, "Lantus|Toujeo");
    entry->setText(InsulinEntry::Notes, "a\\b\nc");
    entry->setText(9, "beyond the fields");
    QCOMPARE(entry->encode(), R"(INSL|20240305|0727|bolus|6.5|Lantus\PToujeo|a\\b\nc)");
    QCOMPARE(entry->text(InsulinEntry::Insulin), "Lantus|Toujeo");
    QCOMPARE(entry->getNotes(), "a\\b\nc");
    QCOMPARE(entry->text(9), "");
}

void TstRecordEntry::created()
{
    const QDateTime before = QDateTime::currentDateTime();
    for (const RecordEntry::Description *type : JournalTypes::records()) {
        const auto entry = JournalTypes::create(*type);
        QVERIFY(entry);
        QCOMPARE(entry->getType(), type->typecode);
        QVERIFY(entry->getDate() >= before.date());
        // Every field empty: the line ends in as many separators as fields.
        QVERIFY(entry->encode().endsWith(QString(entry->fieldCount(), u'|')));
        QCOMPARE(entry->getNotes(), "");
    }
    // The size of the pooled blocks holds every type.
    QCOMPARE(sizeof(HbA1cEntry), sizeof(RecordEntry));
}

void TstRecordEntry::detail_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("detail");
    QTest::newRow("dose, every field") << R"(INSL|20240305|0727|bolus|8|Humalog|after\nbreakfast)"
                                       << "Insulin\nTue Mar 5 2024 07:27:00\n\nKind: bolus\n"
                                          "Units: 8 u\nInsulin: Humalog\n\nafter\nbreakfast";
    QTest::newRow("empty fields left out") << "BLPR|20240305|0727|128|82||"
                                           << "Blood pressure\nTue Mar 5 2024 07:27:00\n\n"
                                              "Systolic: 128 mmHg\nDiastolic: 82 mmHg\n\n";
    QTest::newRow("no unit after what is no number")
        << "INSL|20240305|0727|bolus|8u||"
        << "Insulin\nTue Mar 5 2024 07:27:00\n\nKind: bolus\nUnits: 8u\n\n";
    QTest::newRow("note: its text") << "NOTE|20240305|0727|Alcohol"
                                    << "Note\nTue Mar 5 2024 07:27:00\n\nAlcohol";
}

void TstRecordEntry::detail()
{
    QFETCH(QString, line);
    QFETCH(QString, detail);
    const auto entry = decodeRecord(line);
    QVERIFY(entry);
    const detailtest::DetailSeen seen = detailtest::openDetail(*entry);
    QVERIFY(seen.seen);
    QVERIFY(seen.modal && seen.readOnly);
    QCOMPARE(seen.text, detail);
}

void TstRecordEntry::lookup()
{
    QCOMPARE(JournalTypes::records().size(), size_t(8));
    QCOMPARE(JournalTypes::record("BLPR"), &BloodPressureEntry::description);
    QCOMPARE(JournalTypes::record("bp"), &BloodPressureEntry::description);
    QCOMPARE(JournalTypes::record("SUGR"), nullptr);
    QCOMPARE(JournalTypes::record("insl"), nullptr);
    QCOMPARE(HbA1cEntry::mmolPerMol(6.8), 51);
    QCOMPARE(HbA1cEntry::mmolPerMol(5.0), 31);
    // Every type code is distinct and four letters, as the journal's are.
    QSet<QString> codes;
    for (const RecordEntry::Description *type : JournalTypes::records()) {
        QCOMPARE(type->typecode.size(), 4);
        codes.insert(type->typecode);
    }
    QCOMPARE(codes.size(), 8);
}

QTEST_MAIN(TstRecordEntry)
void TstRecordEntry::numbersReadAsTheGeneralParserReadsThem()
{
    // Whole numbers and decimals of every length, signs and zeros in front:
    // the value read is the one QString::toDouble() gives, to the last bit.
    QRandomGenerator random(5);
    for (int i = 0; i < 20000; ++i) {
        QByteArray digits;
        for (int n = random.bounded(1, 20); n > 0; --n)
            digits += char('0' + random.bounded(10));
        const int point = random.bounded(int(digits.size()) + 1);
        QByteArray text = point > 0 && point < digits.size()
            ? digits.left(point) + '.' + digits.mid(point)
            : digits;
        if (random.bounded(4) == 0)
            text.prepend('-');
        const auto weight = decodeRecord("WGHT|20240101|0800|" + QString::fromLatin1(text) + '|');
        QVERIFY(weight);
        const double expected = QString::fromLatin1(text).toDouble();
        QVERIFY2(weight->number(0) == expected, text.constData());
    }
}

#include "tst_recordentry.moc"
