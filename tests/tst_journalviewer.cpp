// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalViewer.h"
#include "ListBoxEntryItem.h"
#include "SugarEntry.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QPlainTextEdit>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const SugarEntry::MyFactory sugarFactory;

QStringList rowTexts(const QListWidget &list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

// Closes every detail dialog that opens while it lives, keeping its text.
class DialogCloser : public QObject
{
public:
    DialogCloser()
    {
        connect(&poll, &QTimer::timeout, this, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (dialog && dialog->objectName() == "dialog" && dialog->isVisible()) {
                texts << dialog->findChild<QPlainTextEdit *>()->toPlainText();
                dialog->close();
            }
        });
        poll.start(10);
    }
    QStringList texts;

private:
    QTimer poll;
};

} // namespace

class TstJournalViewer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void rows_data();
    void rows();
    void orderAgreesWithEntries_data();
    void orderAgreesWithEntries();
    void readingsOfDays_data();
    void readingsOfDays();
    void longJournalKeepsLineNumbers();
    void unreadableFiles_data();
    void unreadableFiles();
    void headerPaintsWhiteOnBlack();
    void doubleClick();
    void reloadReplacesRows();
    void rowTextIsFixed();
    void realJournal();

private:
    QString writeJournal(const QByteArray &text);
    QTemporaryDir dir;
    int files = 0;
};

void TstJournalViewer::initTestCase()
{
    QVERIFY(dir.isValid());
}

QString TstJournalViewer::writeJournal(const QByteArray &text)
{
    const QString path = dir.filePath(QString::number(++files) + ".txt");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

void TstJournalViewer::rows_data()
{
    QTest::addColumn<QByteArray>("journal");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("stored out of order")
        << QByteArray("SUGR|20240306|0800|pre-breakfast|120|\n"
                      "SUGR|20240305|1900|pre-supper|99|late\n"
                      "SUGR|20240305|0715|pre-breakfast|104|\n")
        << QStringList { "Tue Mar 5 2024", "07:15:00: Sugar = 104 (pre-breakfast) ",
               "19:00:00: Sugar = 99 (pre-supper) [NOTE]", "Wed Mar 6 2024",
               "08:00:00: Sugar = 120 (pre-breakfast) " };
    QTest::newRow("one reading gets a header")
        << QByteArray("SUGR|19991231|2359|cgm|88|") // no line end
        << QStringList { "Fri Dec 31 1999", "23:59:00: Sugar = 88 (cgm) " };
    QTest::newRow("undecodable lines are skipped")
        << QByteArray("NOTE|20240305|0700|x\n\n|||\nsugr|20240305|0700|x|101|\n"
                      "SUGR|20240305|0700|x|101|\n")
        << QStringList { "Tue Mar 5 2024", "07:00:00: Sugar = 101 (x) " };
    QTest::newRow("only unregistered and malformed lines")
        << QByteArray("NOTE|20240305|0700|x\n|||\n\n BAD\n") << QStringList {};
    QTest::newRow("empty file") << QByteArray() << QStringList {};
    QTest::newRow("UTF-8 among ASCII lines")
        << QByteArray("SUGR|20240305|0700|x|101|\nSUGR|20240305|0800|\xc3\xa9t\xc3\xa9|102|\n"
                      "SUGR|20240305|0900|y|103|\nSUGR|20240305|1000|\xff|104|\n")
        << QStringList { "Tue Mar 5 2024", "07:00:00: Sugar = 101 (x) ",
               QString::fromUtf8("08:00:00: Sugar = 102 (\xc3\xa9t\xc3\xa9) "),
               "09:00:00: Sugar = 103 (y) ",
               QString::fromUtf8("10:00:00: Sugar = 104 (\xef\xbf\xbd) ") };
    QTest::newRow("CRLF line ends")
        << QByteArray("SUGR|20240305|0700|x|101|\r\n")
        << QStringList { "Tue Mar 5 2024", "07:00:00: Sugar = 101 (x) " };
    // Clocks in Berlin go from 02:00 to 03:00 that night (TZ is set for this test).
    QTest::newRow("spring-forward night")
        << QByteArray("SUGR|20240331|0315|a|103|\nSUGR|20240331|0230|a|102|\n"
                      "SUGR|20240331|0159|a|101|\n")
        << QStringList { "Sun Mar 31 2024", "01:59:00: Sugar = 101 (a) ",
               "02:30:00: Sugar = 102 (a) ", "03:15:00: Sugar = 103 (a) " };
    QTest::newRow("impossible time sorts before midnight")
        << QByteArray("SUGR|19910421|0000|a|102|\nSUGR|19910421|5635|a|101|\n")
        << QStringList { "Sun Apr 21 1991", ": Sugar = 101 (a) [not read: impossible time]",
               "00:00:00: Sugar = 102 (a) " };
    QTest::newRow("readings of one minute keep the file's order")
        << QByteArray("SUGR|20240305|0700|b|102|\nSUGR|20240305|0700|a|101|\n")
        << QStringList { "Tue Mar 5 2024", "07:00:00: Sugar = 102 (b) ",
               "07:00:00: Sugar = 101 (a) " };
    QTest::newRow("values typed in mmol/L or implausible say they are not read")
        << QByteArray("SUGR|20241201|0800|pre-breakfast|6.2|\nSUGR|20241201|1200|pre-lunch|8|x\n"
                      "SUGR|20241201|1300|x|1200|\n")
        << QStringList { "Sun Dec 1 2024",
               "08:00:00: Sugar = 6.2 (pre-breakfast) [not read: value not a whole number]",
               "12:00:00: Sugar = 8 (pre-lunch) [NOTE] [not read: implausible value 8 mg/dL]",
               "13:00:00: Sugar = 1200 (x) [not read: implausible value 1200 mg/dL]" };
    QTest::newRow("impossible date sorts first under a header that says so")
        << QByteArray("SUGR|19910701|0800|a|102|\nSUGR|19910631|0800|a|101|\n")
        << QStringList { "(no valid date)", "08:00:00: Sugar = 101 (a) [not read: impossible date]",
               "Mon Jul 1 1991", "08:00:00: Sugar = 102 (a) " };
}

void TstJournalViewer::rows()
{
    QFETCH(QByteArray, journal);
    QFETCH(QStringList, rows);

    JournalViewer viewer(writeJournal(journal));
    QVERIFY(rowTexts(viewer).isEmpty());
    viewer.reload();
    QCOMPARE(rowTexts(viewer), rows);
}

void TstJournalViewer::orderAgreesWithEntries_data()
{
    QTest::addColumn<bool>("mostlyInOrder");
    QTest::newRow("any order") << false;
    QTest::newRow("in order but for lines stored late") << true;
}

void TstJournalViewer::orderAgreesWithEntries()
{
    QFETCH(bool, mostlyInOrder);
    // Many entries over few days and minutes, some impossible: the list
    // shows them in the order of JournalEntry's own comparison.
    QRandomGenerator random(7);
    QList<QByteArray> lines;
    for (int i = 0; i < 2000; ++i) {
        lines << QByteArray("SUGR|199104") + QByteArray::number(28 + random.bounded(4)) + '|'
                + QByteArray::number(random.bounded(3)).rightJustified(2, '0')
                + QByteArray::number(random.bounded(3) * 30).rightJustified(2, '0') + "|t"
                + QByteArray::number(i) + "|100|";
    }
    if (mostlyInOrder) {
        std::stable_sort(lines.begin(), lines.end(),
            [](const QByteArray &a, const QByteArray &b) { return a.left(18) < b.left(18); });
        for (qsizetype i = 0; i + 50 < lines.size(); i += 10)
            lines.move(i, i + random.bounded(1, 50));
    }
    QByteArray journal;
    std::vector<std::unique_ptr<JournalEntry>> expected;
    for (const QByteArray &line : lines) {
        journal += line + '\n';
        expected.emplace_back(JournalEntry::decode(QString::fromLatin1(line)));
    }
    std::stable_sort(
        expected.begin(), expected.end(), [](const auto &a, const auto &b) { return *a < *b; });

    JournalViewer viewer(writeJournal(journal));
    viewer.reload();
    QStringList shown = rowTexts(viewer);
    shown.removeIf([](const QString &row) { return !row.contains("Sugar"); });
    QStringList sorted;
    for (const auto &entry : expected)
        sorted << viewer.summaryOf(entry.get());
    QCOMPARE(shown, sorted);
}

void TstJournalViewer::readingsOfDays_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QList<int>>("values");
    const QDate fifth(2024, 3, 5);
    QTest::newRow("all, the undated first")
        << QDate() << QDate() << QList<int> { 50, 0, 99, 120, 130 };
    QTest::newRow("two days") << fifth << fifth.addDays(1) << QList<int> { 0, 99, 120 };
    QTest::newRow("from a day on") << fifth.addDays(1) << QDate() << QList<int> { 120, 130 };
    QTest::newRow("up to a day") << QDate() << fifth << QList<int> { 50, 0, 99 };
    QTest::newRow("a day without readings")
        << fifth.addDays(2) << fifth.addDays(2) << QList<int> {};
    QTest::newRow("after the last day") << fifth.addDays(9) << QDate() << QList<int> {};
}

void TstJournalViewer::readingsOfDays()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QList<int>, values);

    JournalViewer viewer(writeJournal("SUGR|20240306|0800|cgm|120|\n"
                                      "SUGR|20240305|1900|cgm|99|\n"
                                      "SUGR|20240305|0715|cgm|x|\n"
                                      "SUGR|19910631|0800|cgm|50|\n"
                                      "NOTE|20240306|0900|not a reading\n"
                                      "SUGR|20240308|0700|cgm|130|\n"));
    viewer.reload();
    QList<int> got;
    for (const GlucoseReading &r : viewer.readings(from, to))
        got << r.value;
    QCOMPARE(got, values);

    // A day's reading stands for it, a usable one where the day has one.
    QList<QDate> days;
    QList<int> standing;
    for (const GlucoseReading &r : viewer.readingDays()) {
        days << r.date;
        standing << r.value;
    }
    QCOMPARE(days, (QList<QDate> { QDate(2024, 3, 5), QDate(2024, 3, 6), QDate(2024, 3, 8) }));
    QCOMPARE(standing, (QList<int> { 99, 120, 130 }));
}

void TstJournalViewer::longJournalKeepsLineNumbers()
{
    // Long enough to be read in many pieces: every line keeps its number,
    // every problem is told at its line, in the file's order.
    QByteArray journal;
    std::vector<JournalViewer::Problem> expected;
    const int count = 100000;
    for (int n = 1; n <= count; ++n) {
        if (n % 997 == 0) {
            journal += "NOTE|20240305|0700|x\n";
            expected.push_back({ n, "unknown type code" });
        } else if (n % 1009 == 0) {
            journal += "SUGR|20240231|0700|x|" + QByteArray::number(n) + "|\n";
            expected.push_back({ n, "impossible date" });
        } else {
            journal += "SUGR|2024" + QByteArray::number(1 + n % 12).rightJustified(2, '0')
                + QByteArray::number(1 + n % 28).rightJustified(2, '0') + "|0700|"
                + QByteArray::number(n) + "|100|\n";
        }
    }
    JournalViewer viewer(writeJournal(journal));
    viewer.reload();
    QCOMPARE(viewer.readingCount(), count - count / 997 - count / 1009);
    QCOMPARE(int(viewer.problems().size()), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(viewer.problems()[i].line, expected[i].line);
        QCOMPARE(viewer.problems()[i].reason, expected[i].reason);
    }
    // The reading type of each reading is its line number.
    for (const int n : { 1, 16383, 16384, 16385, 50000, 99999 }) {
        const ListBoxEntryItem *row = viewer.rowOfLine(n);
        QVERIFY2(row, qPrintable(QString::number(n)));
        QCOMPARE(static_cast<const SugarEntry *>(row->getEntry())->getRType(), QString::number(n));
    }
}

void TstJournalViewer::unreadableFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("missing file") << dir.filePath("missing.txt");
    QTest::newRow("directory") << dir.path();
}

void TstJournalViewer::unreadableFiles()
{
    QFETCH(QString, path);
    JournalViewer viewer(path);
    viewer.reload();
    QCOMPARE(viewer.count(), 0);
}

void TstJournalViewer::headerPaintsWhiteOnBlack()
{
    JournalViewer viewer(writeJournal("SUGR|20240305|0700|x|1|\nSUGR|20240306|0700|x|1|\n"));
    viewer.reload();
    viewer.resize(400, 200);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));

    // The second header, selected and current: still white text on black.
    QListWidgetItem *header = viewer.item(2);
    QCOMPARE(header->text(), "Wed Mar 6 2024");
    viewer.setCurrentItem(header);
    QVERIFY(header->isSelected());

    // Black and white with the grey of anti-aliased glyph edges between,
    // and none of the selection's colour.
    const QRect rect = viewer.visualItemRect(header);
    const QImage image = viewer.viewport()->grab().toImage();
    int black = 0;
    int white = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            QVERIFY2(c.red() == c.green() && c.green() == c.blue(), qPrintable(c.name()));
            black += c == Qt::black;
            white += c == Qt::white;
        }
    }
    QVERIFY(black > rect.height() * image.width() * 3 / 4);
    QVERIFY2(white > 20, "the date is not drawn in white");
    QCOMPARE(image.pixelColor(image.width() - 1, rect.center().y()), QColor(Qt::black));

    // An entry row below it keeps the style's colours.
    const QRect entry = viewer.visualItemRect(viewer.item(3));
    QVERIFY(image.pixelColor(image.width() - 2, entry.center().y()) != QColor(Qt::black));
}

void TstJournalViewer::doubleClick()
{
    JournalViewer viewer(writeJournal("SUGR|20240305|0708|pre-lunch|104|first\\nsecond\n"));
    viewer.reload();
    viewer.reload(); // connects the double-click once, not twice
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));

    const auto doubleClickRow = [&](int row) {
        const QPoint centre = viewer.visualItemRect(viewer.item(row)).center();
        // As a mouse sends it: a click, then the double-click and its release.
        QTest::mouseClick(viewer.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(viewer.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseRelease(viewer.viewport(), Qt::LeftButton, {}, centre);
    };

    DialogCloser closer;
    doubleClickRow(0); // the header
    QVERIFY(closer.texts.isEmpty());
    doubleClickRow(1);
    QCOMPARE(closer.texts,
        QStringList { "Blood Sugar Reading 104 mg/dL (pre-lunch)\nTue Mar 5 2024 07:08:00\n\n"
                      "first\nsecond" });

    viewer.viewDetail(nullptr);
    QCOMPARE(closer.texts.size(), 1);
}

void TstJournalViewer::reloadReplacesRows()
{
    const QString path = writeJournal("SUGR|20240305|0700|x|101|\n");
    JournalViewer viewer(path);
    viewer.reload();
    QCOMPARE(viewer.count(), 2);

    QFile file(path);
    QVERIFY(file.open(QIODevice::Append));
    file.write("SUGR|20240305|0800|x|102|\n");
    file.close();
    QCOMPARE(viewer.count(), 2); // read only on reload
    viewer.reload();
    QCOMPARE(rowTexts(viewer),
        (QStringList {
            "Tue Mar 5 2024", "07:00:00: Sugar = 101 (x) ", "08:00:00: Sugar = 102 (x) " }));
}

void TstJournalViewer::rowTextIsFixed()
{
    SugarEntry entry;
    entry.setTime(QTime(7, 30));
    entry.setValue(104);
    const ListBoxEntryItem row(&entry);
    entry.setValue(200);
    entry.setNotes("later");
    QCOMPARE(row.text(), "07:30:00: Sugar = 104 (\?\?\?\?) ");
}

void TstJournalViewer::realJournal()
{
    const QString path = QStringLiteral(SHARED_DIR "/data/journals/uci-all.journal");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        QSKIP(qPrintable("the shared journals are not here: " + path));

    // Counted without the library: every line is a reading, and impossible
    // dates share the one header of the invalid date.
    int lines = 0;
    QSet<QByteArray> days;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine();
        if (line.trimmed().isEmpty())
            continue;
        ++lines;
        const QByteArray day = line.split('|').value(1);
        const bool real
            = QDate::isValid(day.left(4).toInt(), day.mid(4, 2).toInt(), day.mid(6, 2).toInt());
        days.insert(real ? day : QByteArray("invalid"));
    }

    JournalViewer viewer(path);
    viewer.reload();
    QCOMPARE(viewer.count(), lines + days.size());
}

QTEST_MAIN(TstJournalViewer)
#include "tst_journalviewer.moc"
