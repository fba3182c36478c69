// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DateSelector.h"
#include "GlucoseChart.h"
#include "JournalTypes.h"
#include "JournalViewer.h"
#include "JournalWindow.h"
#include "ListBoxEntryItem.h"
#include "StatisticsPanel.h"
#include "SugarEntry.h"
#include "TimeSelector.h"
#include "Translation.h"
#include "fulldisk.h"
#include "imagetest.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <sys/stat.h>

namespace {

const bool registered = (JournalTypes::registerAll(), true);
bool mountsAllowed = false;

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

// Runs the action; when a modal dialog of the name opens, hands it to
// answer, which closes it. False when no such dialog opened.
bool withDialog(QAction *action, const QString &name, const std::function<void(QDialog *)> &answer)
{
    bool seen = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == name && !seen) {
            seen = true;
            answer(dialog);
        }
    });
    poll.start(10);
    action->trigger();
    return seen;
}

// Closes every message box while it lives, keeping the last one's text.
struct MessageCatcher
{
    QString text;
    QTimer poll;

    MessageCatcher()
    {
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                text = box->text();
                box->accept();
            }
        });
        poll.start(10);
    }
};

void fill(QDialog *dialog, const QDate &date, int hour, int minute, double value,
    const QString &type, const QString &notes)
{
    auto *dates = dialog->findChild<DateSelector *>();
    dates->set(date);
    auto *times = dialog->findChild<TimeSelector *>();
    times->set(QTime(hour, minute));
    dialog->findChild<QComboBox *>("type")->setCurrentText(type);
    dialog->findChild<QDoubleSpinBox *>("value")->setValue(value);
    dialog->findChild<QPlainTextEdit *>("notes")->setPlainText(notes);
}

// Types a record's field into its editor, found by the field's key.
void setField(QDialog *dialog, const QString &key, const QString &text)
{
    QWidget *editor = dialog->findChild<QWidget *>(key);
    QVERIFY2(editor, qPrintable(key));
    if (auto *line = qobject_cast<QLineEdit *>(editor))
        line->setText(text);
    else if (auto *list = qobject_cast<QComboBox *>(editor))
        list->setCurrentText(text);
    else
        static_cast<QPlainTextEdit *>(editor)->setPlainText(text);
}

QStringList rowTexts(const JournalViewer *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

QAction *action(JournalWindow &w, const char *name)
{
    return w.findChild<QAction *>(QString::fromLatin1(name));
}

} // namespace

class TstJournalWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addEditDeleteUndoRedo();
    void editAtItsMomentKeepsItsRow();
    void recordsAddEditDeleteUndo_data();
    void recordsAddEditDeleteUndo();
    void recordDialogRefuses_data();
    void recordDialogRefuses();
    void rowsAreMarkedByType();
    void longJournalOfReadingsAndRecords();
    void showHidesTypes();
    void impossibleDateKeepsTheDialogOpen();
    void doubtfulReadingIsConfirmed_data();
    void doubtfulReadingIsConfirmed();
    void dialogsOfferTheJournalsYears_data();
    void dialogsOfferTheJournalsYears();
    void anotherProgramsChangeIsReadAgain();
    void editBegunBeforeAChangeIsRefused();
    void fullDiskKeepsRowsAndHistory_data();
    void fullDiskKeepsRowsAndHistory();
    void statusBar_data();
    void statusBar();
    void problemsAreListed();
    void countsAgreeWithTheTool();
    void newOpenAndRecentJournals();
    void usersJournalIsMadeByItsFirstEntry();
    void defaultSize_data();
    void defaultSize();
    void windowKeepsItsSize();
    void countsOfOneAreSingular();
    void unitsAndStatistics();
    void detailInTheUnitShown_data();
    void detailInTheUnitShown();
    void logbook();
    void reportHoldsTheRecords();

private:
    QTemporaryDir dir;
};

void TstJournalWindow::addEditDeleteUndoRedo()
{
    const QString path = dir.filePath("keep.journal");
    // Lines the window cannot read, and CR LF ends, stay as they are.
    const QByteArray before = "SUGR|20240305|0800|pre-breakfast|104|\r\nnot a reading\r\n";
    put(path, before);
    JournalWindow window(path);
    window.show();
    JournalViewer *list = window.viewer();

    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [](QDialog *d) {
        fill(d, QDate(2024, 3, 5), 13, 5, 150, "post-lunch", "walk\nthen lunch");
        d->accept();
    }));
    const QByteArray added = before + "SUGR|20240305|1305|post-lunch|150|walk\\nthen lunch\r\n";
    QCOMPARE(bytesOf(path), added);
    QCOMPARE(rowTexts(list),
        (QStringList { "Tue Mar 5 2024", "08:00:00: Sugar = 104 (pre-breakfast) ",
            "13:05:00: Sugar = 150 (post-lunch) [NOTE]" }));
    QCOMPARE(list->currentItem()->text(), "13:05:00: Sugar = 150 (post-lunch) [NOTE]");

    // Edit the first reading: it moves after the second, the file keeps its place.
    list->setCurrentRow(1);
    QVERIFY(withDialog(action(window, "editReading"), "readingDialog", [](QDialog *d) {
        QCOMPARE(d->findChild<QDoubleSpinBox *>("value")->value(), 104.0);
        d->findChild<TimeSelector *>()->set(QTime(19, 0));
        d->findChild<QDoubleSpinBox *>("value")->setValue(98);
        d->accept();
    }));
    const QByteArray edited = "SUGR|20240305|1900|pre-breakfast|98|\r\nnot a reading\r\n"
                              "SUGR|20240305|1305|post-lunch|150|walk\\nthen lunch\r\n";
    QCOMPARE(bytesOf(path), edited);
    QCOMPARE(rowTexts(list).last(), "19:00:00: Sugar = 98 (pre-breakfast) ");

    list->setCurrentRow(1);
    action(window, "deleteReading")->trigger();
    const QByteArray deleted = "SUGR|20240305|1900|pre-breakfast|98|\r\nnot a reading\r\n";
    QCOMPARE(bytesOf(path), deleted);
    QCOMPARE(list->count(), 2);

    action(window, "undo")->trigger();
    QCOMPARE(bytesOf(path), edited);
    action(window, "undo")->trigger();
    QCOMPARE(bytesOf(path), added);
    action(window, "undo")->trigger();
    QCOMPARE(bytesOf(path), before);
    QCOMPARE(list->count(), 2);
    for (int i = 0; i < 3; ++i)
        action(window, "redo")->trigger();
    QCOMPARE(bytesOf(path), deleted);
    QCOMPARE(rowTexts(list),
        (QStringList { "Tue Mar 5 2024", "19:00:00: Sugar = 98 (pre-breakfast) " }));
}

void TstJournalWindow::editAtItsMomentKeepsItsRow()
{
    const QString path = dir.filePath("moment.journal");
    put(path, "SUGR|20240305|0800|x|104|\nSUGR|20240305|0900|x|110|\nnot a reading\n");
    JournalWindow window(path);
    window.show();
    JournalViewer *list = window.viewer();
    const auto status = [&] { return window.findChild<QLabel *>("readings")->text(); };
    const QString counts = status();

    list->setCurrentRow(1);
    QVERIFY(withDialog(action(window, "editReading"), "readingDialog", [](QDialog *d) {
        d->findChild<QDoubleSpinBox *>("value")->setValue(98);
        d->accept();
    }));
    QCOMPARE(bytesOf(path), "SUGR|20240305|0800|x|98|\nSUGR|20240305|0900|x|110|\nnot a reading\n");
    const QStringList edited { "Tue Mar 5 2024", "08:00:00: Sugar = 98 (x) ",
        "09:00:00: Sugar = 110 (x) " };
    QCOMPARE(rowTexts(list), edited);
    QCOMPARE(list->currentItem()->text(), edited[1]);
    QCOMPARE(status(), counts);

    // Undone, and the edited row deleted: what it shows is the entry the
    // journal holds.
    action(window, "undo")->trigger();
    QCOMPARE(rowTexts(list)[1], "08:00:00: Sugar = 104 (x) ");
    list->setCurrentRow(1);
    action(window, "deleteReading")->trigger();
    QCOMPARE(bytesOf(path), "SUGR|20240305|0900|x|110|\nnot a reading\n");
    QCOMPARE(rowTexts(list), (QStringList { "Tue Mar 5 2024", "09:00:00: Sugar = 110 (x) " }));
    QVERIFY(status() != counts);
}

void TstJournalWindow::recordsAddEditDeleteUndo_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("fields"); // key=text, typed into the dialog
    QTest::addColumn<QByteArray>("line"); // after the type code, date and time
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("edit"); // key=text
    QTest::addColumn<QByteArray>("edited");

    QTest::newRow("insulin") << "INSL"
                             << QStringList { "kind=basal", "units=14.50", "insulin=Lantus" }
                             << QByteArray("basal|14.5|Lantus|")
                             << "Insulin = 14.5 u basal (Lantus) "
                             << "notes=late\ndose" << QByteArray("basal|14.5|Lantus|late\\ndose");
    QTest::newRow("carbohydrates, decimal comma")
        << "CARB" << QStringList { "grams=12,5", "food=bread | butter" }
        << QByteArray("12.5|bread \\P butter|") << "Carbs = 12.5 g (bread | butter) "
        << "grams=40" << QByteArray("40|bread \\P butter|");
    QTest::newRow("activity") << "ACTV"
                              << QStringList { "activity=walk", "minutes=30", "intensity=light" }
                              << QByteArray("walk|30|light|") << "Activity = 30 min walk (light) "
                              << "intensity=" << QByteArray("walk|30||");
    QTest::newRow("note") << "NOTE" << QStringList { "text=Alcohol" } << QByteArray("Alcohol")
                          << "Note: Alcohol"
                          << "text=Stress" << QByteArray("Stress");
    QTest::newRow("ketones") << "KETO" << QStringList { "ketones=0.6" } << QByteArray("0.6|")
                             << "Ketones = 0.6 mmol/L"
                             << "notes=urine" << QByteArray("0.6|urine");
    QTest::newRow("weight") << "WGHT" << QStringList { "kg=72.40" } << QByteArray("72.4|")
                            << "Weight = 72.4 kg"
                            << "kg=71" << QByteArray("71|");
    QTest::newRow("blood pressure")
        << "BLPR" << QStringList { "systolic=128", "diastolic=82", "pulse=64" }
        << QByteArray("128|82|64|") << "Blood pressure = 128/82 mmHg, pulse 64"
        << "pulse=" << QByteArray("128|82||");
    QTest::newRow("HbA1c") << "HBA1" << QStringList { "percent=6.8" } << QByteArray("6.8|")
                           << "HbA1c = 6.8 % (51 mmol/mol)"
                           << "percent=7.5" << QByteArray("7.5|");
}

void TstJournalWindow::recordsAddEditDeleteUndo()
{
    QFETCH(QString, code);
    QFETCH(QStringList, fields);
    QFETCH(QByteArray, line);
    QFETCH(QString, row);
    QFETCH(QString, edit);
    QFETCH(QByteArray, edited);

    const QString path = dir.filePath(code + ".journal");
    // CR LF ends, a line no program reads, and no line end at the end.
    const QByteArray before
        = "SUGR|20240305|0800|x|104|\r\nforeign|line\r\nSUGR|20240305|0900|x|110|";
    put(path, before);
    JournalWindow window(path);
    window.show();
    JournalViewer *list = window.viewer();
    const auto type = [](QDialog *d) { return d->windowTitle(); };

    QString title;
    QVERIFY(withDialog(action(window, qPrintable("add" + code)), "recordDialog", [&](QDialog *d) {
        title = type(d);
        d->findChild<DateSelector *>()->set(QDate(2024, 3, 5));
        d->findChild<TimeSelector *>()->set(QTime(13, 5));
        for (const QString &f : fields)
            setField(d, f.section(u'=', 0, 0), f.section(u'=', 1).replace("\\n", "\n"));
        d->accept();
    }));
    QVERIFY(title.startsWith("Add "));
    const QByteArray head = code.toLatin1() + "|20240305|1305|";
    const QByteArray added = before + "\r\n" + head + line + "\r\n";
    QCOMPARE(bytesOf(path), added);
    QCOMPARE(list->currentItem()->text(), "13:05:00: " + row);
    QCOMPARE(rowTexts(list).size(), 4);

    QVERIFY(withDialog(action(window, "editReading"), "recordDialog", [&](QDialog *d) {
        title = type(d);
        setField(d, edit.section(u'=', 0, 0), edit.section(u'=', 1).replace("\\n", "\n"));
        d->accept();
    }));
    QVERIFY(title.startsWith("Edit "));
    const QByteArray changed = before + "\r\n" + head + edited + "\r\n";
    QCOMPARE(bytesOf(path), changed);

    action(window, "deleteReading")->trigger();
    QCOMPARE(bytesOf(path), before + "\r\n");
    QCOMPARE(rowTexts(list).size(), 3);

    action(window, "undo")->trigger();
    QCOMPARE(bytesOf(path), changed);
    action(window, "undo")->trigger();
    QCOMPARE(bytesOf(path), added);
    action(window, "undo")->trigger();
    QCOMPARE(bytesOf(path), before + "\r\n");
    action(window, "redo")->trigger();
    QCOMPARE(bytesOf(path), added);
    QCOMPARE(window.findChild<QLabel *>("readings")->text(), "2 readings, 1 other record");
}

void TstJournalWindow::recordDialogRefuses_data()
{
    QTest::addColumn<QString>("code");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QString>("message");
    QTest::newRow("units not a number")
        << "INSL" << QStringList { "units=8u" } << "Units: \"8u\" is not a number.";
    QTest::newRow("units left empty") << "INSL" << QStringList {} << "Enter the units.";
    QTest::newRow("impossible grams")
        << "CARB" << QStringList { "grams=5000" }
        << "Grams: 5000 is not possible; it lies between 0 and 1000 g.";
    QTest::newRow("empty note") << "NOTE" << QStringList { "text=  " } << "Enter the text.";
    QTest::newRow("systolic below diastolic")
        << "BLPR" << QStringList { "systolic=80", "diastolic=120" }
        << "impossible blood pressure 80/120";
}

void TstJournalWindow::recordDialogRefuses()
{
    QFETCH(QString, code);
    QFETCH(QStringList, fields);
    QFETCH(QString, message);
    const QString path = dir.filePath("refused.journal");
    put(path, "");
    JournalWindow window(path);
    window.show();
    MessageCatcher caught;
    bool stillOpen = false;
    QVERIFY(withDialog(action(window, qPrintable("add" + code)), "recordDialog", [&](QDialog *d) {
        for (const QString &f : fields)
            setField(d, f.section(u'=', 0, 0), f.section(u'=', 1));
        d->accept();
        stillOpen = d->isVisible();
        d->reject();
    }));
    QCOMPARE(caught.text, message);
    QVERIFY(stillOpen);
    QCOMPARE(bytesOf(path), QByteArray());
}

void TstJournalWindow::rowsAreMarkedByType()
{
    const QString path = dir.filePath("marks.journal");
    put(path,
        "SUGR|20240305|0700|x|104|\nINSL|20240305|0710|bolus|8||\nCARB|20240305|0711|40||\n"
        "ACTV|20240305|0712|walk|30||\nNOTE|20240305|0713|Alcohol\nKETO|20240305|0714|0.6|\n"
        "WGHT|20240305|0715|72||\nBLPR|20240305|0716|128|82||\nHBA1|20240305|0717|6.8|\n");
    JournalWindow window(path);
    window.resize(600, 500);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    JournalViewer *list = window.viewer();
    list->setCurrentRow(0);
    const QImage shot = list->viewport()->grab().toImage();
    const auto rowHas = [&](int row, const QColor &colour) {
        const QRect r = list->visualItemRect(list->item(row));
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x < r.left() + 40; ++x) {
                if (shot.pixelColor(x * shot.devicePixelRatio(), y * shot.devicePixelRatio())
                    == colour)
                    return true;
            }
        }
        return false;
    };
    QStringList codes { "SUGR" };
    for (const RecordEntry::Description *type : JournalTypes::records())
        codes << type->typecode;
    QCOMPARE(list->count(), 1 + codes.size());
    for (int i = 0; i < codes.size(); ++i) {
        const auto *row = static_cast<ListBoxEntryItem *>(list->item(i + 1));
        QCOMPARE(row->getEntry()->getType(), codes[i]);
        // Each row bears its own type's colour and no other type's.
        for (const QString &other : codes.mid(1))
            QVERIFY2(rowHas(i + 1, ListBoxEntryItem::markColour(other)) == (other == codes[i]),
                qPrintable(codes[i] + " " + other));
    }
    QCOMPARE(window.findChild<QLabel *>("readings")->text(), "1 reading, 8 other records");
}

void TstJournalWindow::longJournalOfReadingsAndRecords()
{
    // Long enough to be read in many batches, readings and records decoded
    // on different threads: every line keeps its row, its number and its
    // problem, in the file's order.
    const QString path = dir.filePath("long.journal");
    QByteArray journal;
    std::vector<JournalViewer::Problem> expected;
    int readings = 0;
    int records = 0;
    int doses = 0;
    const int count = 50000;
    for (int n = 1; n <= count; ++n) {
        const QByteArray day = "2024" + QByteArray::number(1 + n / 4500).rightJustified(2, '0')
            + QByteArray::number(1 + n / 150 % 28).rightJustified(2, '0');
        const QByteArray number = QByteArray::number(n);
        if (n % 1013 == 0) {
            journal += "INSL|" + day + "|0700|bolus|" + number + "u||\n";
            expected.push_back({ n, QString::fromLatin1("units not a number: \"" + number + "u\"") });
        } else if (n % 997 == 0) {
            journal += "XXXX|" + day + "|0700|" + number + "\n";
            expected.push_back({ n, "unknown type code" });
        } else if (n % 5 == 1) {
            journal += "INSL|" + day + "|0700|bolus|4|" + number + "|\n";
            ++records;
            ++doses;
        } else if (n % 5 == 3) {
            journal += "NOTE|" + day + "|0700|\xc3\xa9 " + number + "\n";
            ++records;
        } else {
            journal += "SUGR|" + day + "|0700|" + number + "|100|\n";
            ++readings;
        }
    }
    put(path, journal);
    JournalViewer list(path);
    list.reload();
    QCOMPARE(list.readingCount(), readings);
    QCOMPARE(list.recordCount(), records);
    QCOMPARE(int(list.treatments().size()), doses);
    QCOMPARE(int(list.problems().size()), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        QCOMPARE(list.problems()[i].line, expected[i].line);
        QCOMPARE(list.problems()[i].reason, expected[i].reason);
    }
    // Each line's row names its number, across the batches' bounds.
    for (const int n : { 1, 2, 3, 16383, 16384, 16385, 16386, 16388, 32768, 49998 }) {
        const ListBoxEntryItem *row = list.rowOfLine(n);
        QVERIFY2(row, qPrintable(QString::number(n)));
        const QString text = row->text();
        QVERIFY2(text.endsWith(u' ' + QString::number(n))
                || text.contains(u'(' + QString::number(n) + u')'),
            qPrintable(text));
    }
    QCOMPARE(list.rowOfLine(3)->text(), QString::fromUtf8("07:00:00: Note: \xc3\xa9 3"));
}

void TstJournalWindow::showHidesTypes()
{
    const QString path = dir.filePath("show.journal");
    put(path,
        "SUGR|20240305|0700|x|104|\nINSL|20240305|0710|bolus|8||\n"
        "INSL|20240306|0710|basal|14||\nCARB|20240307|0800|40||\n");
    JournalWindow window(path);
    window.show();
    JournalViewer *list = window.viewer();
    const auto shown = [list] {
        QStringList t;
        for (int i = 0; i < list->count(); ++i) {
            if (!list->isRowHidden(i))
                t << list->item(i)->text();
        }
        return t;
    };
    QCOMPARE(shown().size(), 7);
    action(window, "showINSL")->trigger();
    // The day of insulin alone loses its header too.
    QCOMPARE(shown(),
        (QStringList { "Tue Mar 5 2024", "07:00:00: Sugar = 104 (x) ", "Thu Mar 7 2024",
            "08:00:00: Carbs = 40 g " }));
    action(window, "showSUGR")->trigger();
    QCOMPARE(shown(), (QStringList { "Thu Mar 7 2024", "08:00:00: Carbs = 40 g " }));
    // What is added shows, and brings its type back.
    QVERIFY(withDialog(action(window, "addINSL"), "recordDialog", [](QDialog *d) {
        d->findChild<DateSelector *>()->set(QDate(2024, 3, 7));
        d->findChild<TimeSelector *>()->set(QTime(9, 0));
        setField(d, "units", "3");
        d->accept();
    }));
    QVERIFY(action(window, "showINSL")->isChecked());
    QCOMPARE(shown().size(), 7);
    action(window, "showSUGR")->trigger();
    QCOMPARE(shown().size(), 8);
}

void TstJournalWindow::impossibleDateKeepsTheDialogOpen()
{
    const QString path = dir.filePath("dates.journal");
    put(path, "");
    JournalWindow window(path);
    window.show();
    MessageCatcher message;
    bool stillOpen = false;
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [&](QDialog *d) {
        fill(d, QDate(2024, 2, 1), 8, 0, 120, "fasting", "");
        d->findChild<DateSelector *>()->day.setCurrentIndex(29); // 30 February
        d->accept();
        stillOpen = d->isVisible();
        d->reject();
    }));
    QVERIFY(message.text.contains("not a date"));
    QVERIFY(stillOpen);
    QCOMPARE(bytesOf(path), QByteArray());
}

void TstJournalWindow::doubtfulReadingIsConfirmed_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("mmol");
    QTest::addColumn<int>("daysAhead");
    QTest::addColumn<bool>("keep"); // the answer to each doubt
    QTest::addColumn<QStringList>("doubts");
    QTest::addColumn<int>("written"); // mg/dL, or 0 for nothing

    QTest::newRow("a usual value, no doubt")
        << 120.0 << false << 0 << true << QStringList {} << 120;
    QTest::newRow("a value in mmol/L typed in mg/dL, changed")
        << 6.0 << false << 0 << false
        << QStringList { "6 mg/dL is below 20 mg/dL, the lowest plausible reading: did you mean "
                         "mmol/L?" }
        << 0;
    QTest::newRow("a very low value, kept")
        << 30.0 << false << 0 << true
        << QStringList { "30 mg/dL is a very low reading: did you mean mmol/L?" } << 30;
    QTest::newRow("above the plausible, kept")
        << 700.0 << false << 0 << true
        << QStringList { "700 mg/dL is above 600 mg/dL, the highest plausible reading." } << 700;
    QTest::newRow("mg/dL typed in mmol/L, changed")
        << 45.0 << true << 0 << false
        << QStringList { "45 mmol/L is above 33.3 mmol/L, the highest plausible reading: did you "
                         "mean mg/dL?" }
        << 0;
    QTest::newRow("tomorrow, changed")
        << 120.0 << false << 1 << false << QStringList { "after today" } << 0;
    QTest::newRow("next year, kept")
        << 120.0 << false << 400 << true << QStringList { "after today" } << 120;
}

void TstJournalWindow::doubtfulReadingIsConfirmed()
{
    QFETCH(double, value);
    QFETCH(bool, mmol);
    QFETCH(int, daysAhead);
    QFETCH(bool, keep);
    QFETCH(QStringList, doubts);
    QFETCH(int, written);
    const QString path = dir.filePath("doubt.journal");
    // A reading two years ahead: the dialog offers the years up to it.
    const QByteArray ahead
        = "SUGR|" + QByteArray::number(QDate::currentDate().year() + 2) + "0305|0800|x|104|\n";
    put(path, ahead);
    JournalWindow window(path);
    window.setUnit(mmol ? GlucoseUnit::MmolPerL : GlucoseUnit::MgPerDl);
    window.show();
    // Each doubt answered as the row says, its text kept.
    QStringList asked;
    QTimer answer;
    connect(&answer, &QTimer::timeout, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        asked << box->text();
        if (box->objectName() != "doubt")
            box->reject();
        for (QAbstractButton *b : box->buttons()) {
            if (b->text() == (keep ? "&Keep" : "&Change"))
                b->click();
        }
    });
    answer.start(10);
    const QDate day = QDate::currentDate().addDays(daysAhead);
    bool stillOpen = false;
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [&](QDialog *d) {
        fill(d, day, 8, 0, value, "x", "");
        d->accept();
        stillOpen = d->isVisible();
        if (stillOpen)
            d->reject();
    }));
    QCOMPARE(asked.size(), doubts.size());
    for (int i = 0; i < doubts.size(); ++i)
        QVERIFY2(asked[i].contains(doubts[i]), qPrintable(asked[i]));
    QCOMPARE(stillOpen, written == 0);
    QCOMPARE(bytesOf(path),
        ahead
            + (written ? "SUGR|" + day.toString("yyyyMMdd").toUtf8() + "|0800|x|"
                        + QByteArray::number(written) + "|\n"
                       : QByteArray()));
}

void TstJournalWindow::dialogsOfferTheJournalsYears_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("add");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<int>("first"); // the first year offered, from this one

    const int thisYear = QDate::currentDate().year();
    const QByteArray older = "SUGR|" + QByteArray::number(thisYear - 3) + "0305|0800|x|104|\n";
    QTest::newRow("reading, empty journal") << QByteArray() << "addReading"
                                            << "readingDialog" << -1;
    QTest::newRow("record, empty journal") << QByteArray() << "addINSL"
                                           << "recordDialog" << -1;
    QTest::newRow("reading, a journal of three years ago") << older << "addReading"
                                                           << "readingDialog" << -3;
    QTest::newRow("record, a journal of three years ago") << older << "addNOTE"
                                                          << "recordDialog" << -3;
}

void TstJournalWindow::dialogsOfferTheJournalsYears()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, add);
    QFETCH(QString, dialog);
    QFETCH(int, first);
    const QString path = dir.filePath("years.journal");
    put(path, bytes);
    JournalWindow window(path);
    window.show();
    QStringList years;
    QVERIFY(withDialog(action(window, qPrintable(add)), dialog, [&](QDialog *d) {
        const QComboBox &list = d->findChild<DateSelector *>()->year;
        for (int i = 0; i < list.count(); ++i)
            years << list.itemText(i);
        d->reject();
    }));
    QStringList expected;
    const int thisYear = QDate::currentDate().year();
    for (int year = thisYear + first; year <= thisYear; ++year)
        expected << QString::number(year);
    QCOMPARE(years, expected);
}

void TstJournalWindow::anotherProgramsChangeIsReadAgain()
{
    const QString path = dir.filePath("watched.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    JournalWindow window(path);
    window.show();
    QCOMPARE(window.viewer()->count(), 2);
    put(path, "SUGR|20240305|0800|x|104|\nSUGR|20240306|0800|x|120|\n");
    QTRY_COMPARE(window.viewer()->count(), 4);
    // What it reads again it can write to.
    window.viewer()->setCurrentRow(3);
    action(window, "deleteReading")->trigger();
    QCOMPARE(bytesOf(path), "SUGR|20240305|0800|x|104|\n");
}

void TstJournalWindow::editBegunBeforeAChangeIsRefused()
{
    const QString path = dir.filePath("conflict.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    JournalWindow window(path);
    window.show();
    window.viewer()->setCurrentRow(1);
    const QByteArray theirs = "SUGR|20240305|0900|y|77|\nSUGR|20240305|0800|x|104|\n";
    MessageCatcher message;
    QVERIFY(withDialog(action(window, "editReading"), "readingDialog", [&](QDialog *d) {
        d->findChild<QDoubleSpinBox *>("value")->setValue(200);
        put(path, theirs);
        QTRY_COMPARE(window.viewer()->count(), 3);
        d->accept();
    }));
    QTRY_VERIFY(!message.text.isEmpty());
    QVERIFY(message.text.contains("was not written"));
    QCOMPARE(bytesOf(path), theirs);
}

void TstJournalWindow::fullDiskKeepsRowsAndHistory_data()
{
    fulldisk::addRows({ 1024, 16384, 65536 }, { "add", "edit", "delete", "undo" });
}

void TstJournalWindow::fullDiskKeepsRowsAndHistory()
{
    QFETCH(int, kind);
    QFETCH(int, size);
    QFETCH(QString, change);
    const QString folder
        = dir.filePath(QStringLiteral("full-%1-%2-%3").arg(kind).arg(size).arg(change));
    fulldisk::Disk disk(folder, kind, mountsAllowed);
    if (!disk.unavailable().isEmpty())
        QSKIP(qPrintable(disk.unavailable()));
    const QString path = folder + "/full.journal";
    const QByteArray original = fulldisk::journalOf(size);
    put(path, original);
    JournalWindow window(path);
    window.show();
    JournalViewer *list = window.viewer();
    QAction *undo = action(window, "undo");
    const auto addReading = [&] {
        return withDialog(action(window, "addReading"), "readingDialog", [](QDialog *d) {
            fill(d, QDate(2024, 3, 6), 9, 0, 150, "x", "");
            d->accept();
        });
    };
    if (change == "undo")
        QVERIFY(addReading());
    const QByteArray before = bytesOf(path);
    const QStringList rows = rowTexts(list);
    const QString undoText = undo->text();
    list->setCurrentRow(1);

    // Half the journal's size is left: no change fits.
    if (const rlim_t limit = disk.fill(before.size()))
        fulldisk::limitFileSize(limit);
    MessageCatcher message;
    if (change == "add") {
        QVERIFY(addReading());
    } else if (change == "edit") {
        QVERIFY(withDialog(action(window, "editReading"), "readingDialog", [](QDialog *d) {
            d->findChild<QDoubleSpinBox *>("value")->setValue(222);
            d->accept();
        }));
    } else if (change == "delete") {
        action(window, "deleteReading")->trigger();
    } else {
        undo->trigger();
    }
    const QString why
        = kind == fulldisk::FileSizeLimit ? "File too large" : "No space left on device";
    QTRY_VERIFY2(message.text.contains(why), qPrintable(message.text));
    QCOMPARE(window.statusBar()->currentMessage(), "The journal was not changed: " + why);
    disk.empty();

    QCOMPARE(bytesOf(path), before);
    QCOMPARE(rowTexts(list), rows);
    // The history is as it was: a failed undo is undone again once space is free.
    QTRY_COMPARE(undo->text(), undoText);
    QCOMPARE(undo->isEnabled(), change == "undo");
    if (change == "undo") {
        undo->trigger();
        QCOMPARE(bytesOf(path), original);
    }
}

void TstJournalWindow::statusBar_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("writable");
    QTest::newRow("readings") << "two.journal"
                              << QByteArray(
                                     "SUGR|20240305|0800|x|104|\nSUGR|20240305|0900|x|101|\n")
                              << "2 readings" << true;
    QTest::newRow("readings and records")
        << "records.journal"
        << QByteArray(
               "SUGR|20240305|0800|x|104|\nINSL|20240305|0800|bolus|8||\nNOTE|20240305|0900|x\n")
        << "1 reading, 2 other records" << true;
    QTest::newRow("missing file") << "missing.journal" << QByteArray()
                                  << "Cannot open missing.journal: No such file" << true;
    QTest::newRow("a folder") << "folder.journal" << QByteArray()
                              << "Cannot open folder.journal: Is a folder, not a journal — "
                                 "read-only: Is a folder, not a journal"
                              << false;
    QTest::newRow("CR alone ends lines")
        << "mac.journal" << QByteArray("SUGR|20240305|0800|x|104|\rSUGR|20240305|0900|x|101|\r")
        << "2 readings" << true;
    QTest::newRow("a missing folder is said as such")
        << "no-folder/j.journal" << QByteArray()
        << "Cannot open j.journal: No such file — The folder " + dir.filePath("no-folder")
            + " does not exist"
        << false;
    QTest::newRow("a FIFO is not read") << "fifo.journal" << QByteArray()
                                        << "Cannot open fifo.journal: Not a regular file — "
                                           "read-only: Not a regular file"
                                        << false;
    QTest::newRow("UTF-16 is read, not written")
        << "wide.journal"
        << QByteArray("\xff\xfe"
                      "S\0U\0G\0R\0|\0"
                      "2\0"
                      "0\0"
                      "2\0"
                      "4\0"
                      "0\0"
                      "3\0"
                      "0\0"
                      "5\0|\0"
                      "0\0"
                      "8\0"
                      "0\0"
                      "0\0|\0x\0|\0"
                      "1\0"
                      "0\0"
                      "1\0|\0\n\0",
               52)
        << "1 reading — read-only: The journal is in UTF-16, which is read but not written"
        << false;
}

void TstJournalWindow::statusBar()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, status);
    QFETCH(bool, writable);
    const QString path = dir.filePath(file);
    if (file.startsWith("no-folder"))
        QVERIFY(!QFileInfo::exists(dir.filePath("no-folder")));
    else if (file.startsWith("folder"))
        QVERIFY(QDir(dir.path()).mkpath(file));
    else if (file.startsWith("fifo"))
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    else if (!bytes.isEmpty())
        put(path, bytes);
    JournalWindow window(path);
    window.show();
    QCOMPARE(window.findChild<QLabel *>("readings")->text(), status);
    QCOMPARE(action(window, "addReading")->isEnabled(), writable);
}

void TstJournalWindow::problemsAreListed()
{
    const QString path = dir.filePath("problems.journal");
    put(path, "SUGR|20240305|0800|x|104|\nWEIGHT|20240305|0800|80\nSUGR|20240230|0800|x|5|\n"
              "SUGR|20240305|2500|x|5|\nSUGR|20240305|0800|x|HIGH|\n");
    JournalWindow window(path);
    window.show();
    auto *button = window.findChild<QPushButton *>("problems");
    QVERIFY(button->isVisible());
    QCOMPARE(button->text(), "4 lines not read");
    QString listed;
    bool seen = false;
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->objectName() == "problemsDialog" && !seen) {
            seen = true;
            listed = dialog->findChild<QPlainTextEdit *>()->toPlainText();
            dialog->reject();
        }
    });
    poll.start(10);
    button->click();
    QVERIFY(seen);
    QCOMPARE(listed,
        "Line 2: unknown type code\nLine 3: impossible date\nLine 4: impossible time\n"
        "Line 5: value not a whole number");
}

void TstJournalWindow::countsAgreeWithTheTool()
{
    // Lines of every kind a reading can go wrong by: the tool and the window
    // tell the same lines not read, for the same reasons, and the same
    // readings and records, used and ignored.
    const QString path = dir.filePath("counts.journal");
    put(path,
        "SUGR|20241201|0800|x|120|\nSUGR|20241201|0900|x|6.2|\nSUGR|20241301|0900|x|130|\n"
        "SUGR|20241201|2599|x|140|\nSUGR|20241201|1000|x|0|\nSUGR|20241201|1100|x||\n"
        "XXXX|20241201|1100|x|1|\nSUGR|20241202|1000|x|abc|\nSUGR|20241202|7:05|x|150|\n"
        "SUGR|20241203|1000|x|-5|\nSUGR|-0011231|1000|x|100|\nSUGR|20241203|1100|x|1200|\n"
        "INSL|20241203|0800|bolus|8||\nINSL|20241203|0800|Bolus|8||\n\n");
    const auto run = [](const QStringList &args) {
        QProcess tool;
        tool.start(QStringLiteral(TOOL), args);
        return tool.waitForFinished(30000) ? tool.readAllStandardOutput() : QByteArray();
    };
    QStringList checked;
    for (const QByteArray &line : run({ "check", path }).split('\n')) {
        if (line.startsWith(QByteArray(path.toUtf8() + ':')))
            checked << QString::fromUtf8(line.mid(path.size() + 1));
    }
    const QJsonObject stats = QJsonDocument::fromJson(run({ "stats", path, "--json" })).object();

    JournalWindow window(path);
    window.show();
    QStringList notRead;
    for (const JournalViewer::Problem &p : window.viewer()->problems())
        notRead << QStringLiteral("%1: %2").arg(p.line).arg(p.reason);
    QCOMPARE(notRead, checked);
    QCOMPARE(notRead,
        (QStringList { "2: value not a whole number", "3: impossible date", "4: impossible time",
            "5: impossible value 0", "6: value not a whole number", "7: unknown type code",
            "8: value not a whole number", "10: impossible value -5", "11: impossible date",
            "12: implausible value 1200 mg/dL", "14: kind not bolus or basal: \"Bolus\"" }));
    const auto numbers = [](const QString &text) {
        QList<int> found;
        for (const QRegularExpressionMatch &m : QRegularExpression("\\d+").globalMatch(text))
            found << m.captured().toInt();
        return found;
    };
    QCOMPARE(numbers(window.findChild<QPushButton *>("problems")->text()),
        QList<int> { int(checked.size()) });
    QCOMPARE(numbers(window.findChild<QLabel *>("readings")->text()), (QList<int> { 2, 1 }));

    auto *panel = window.findChild<StatisticsPanel *>();
    panel->setPeriod(GlucosePeriod::all());
    QString figure;
    const auto *tree = panel->findChild<QTreeWidget *>("figures");
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->text(0) == "Readings")
            figure = tree->topLevelItem(i)->text(1);
    }
    // Every reading not sound is ignored: all but the two sound ones.
    QCOMPARE(numbers(figure), (QList<int> { 2, 9 }));
    QCOMPARE(stats["readings"].toInt(), 2);
    QCOMPARE(stats["ignored"].toInt(), 9);
}

void TstJournalWindow::newOpenAndRecentJournals()
{
    QSettings().remove("recentJournals");
    const QString first = dir.filePath("first.journal");
    const QByteArray firstBytes = "SUGR|20240305|0800|x|104|\n";
    put(first, firstBytes);
    JournalWindow window(first);
    window.show();
    const auto status = [&] { return window.findChild<QLabel *>("readings")->text(); };
    QCOMPARE(window.windowTitle(), QStringLiteral(u"first.journal — Health Journal"));
    // Files are chosen in the dialogs as a person types a name.
    const auto choose
        = [&](const char *actionName, const QString &dialogName, const QString &name) {
              return withDialog(action(window, actionName), dialogName, [&](QDialog *d) {
                  // It opens beside the journal shown.
                  QCOMPARE(static_cast<QFileDialog *>(d)->directory().path(), dir.path());
                  d->findChild<QLineEdit *>("fileNameEdit")->setText(name);
                  d->accept();
              });
          };

    // New: an empty journal, made at once, and shown; the last one's history stays behind.
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [](QDialog *d) {
        fill(d, QDate(2024, 3, 5), 9, 0, 120, "x", "");
        d->accept();
    }));
    QVERIFY(action(window, "undo")->isEnabled());
    QVERIFY(choose("newJournal", "newJournalDialog", "second"));
    const QString second = dir.filePath("second.journal");
    QVERIFY(QFileInfo(second).isFile());
    QCOMPARE(bytesOf(second), QByteArray());
    QCOMPARE(window.windowTitle(), QStringLiteral(u"second.journal — Health Journal"));
    QCOMPARE(status(), "0 readings");
    QCOMPARE(window.viewer()->count(), 0);
    QVERIFY(!action(window, "undo")->isEnabled());
    // A new journal's dialog offers this year and the last.
    const QDate day(QDate::currentDate().year() - 1, 3, 6);
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [&](QDialog *d) {
        fill(d, day, 9, 0, 99, "x", "");
        d->accept();
    }));
    QCOMPARE(bytesOf(second), "SUGR|" + day.toString("yyyyMMdd").toLatin1() + "|0900|x|99|\n");

    // New on a journal that is there opens it as it is.
    const QByteArray firstNow = bytesOf(first);
    QVERIFY(choose("newJournal", "newJournalDialog", "first.journal"));
    QCOMPARE(bytesOf(first), firstNow);
    QCOMPARE(status(), "2 readings");

    // Open, then the recent journals, the last opened first.
    QVERIFY(choose("openJournal", "openJournalDialog", "second.journal"));
    QCOMPARE(window.windowTitle(), QStringLiteral(u"second.journal — Health Journal"));
    QCOMPARE(action(window, "openJournal")->shortcut(), QKeySequence(QKeySequence::Open));
    auto *recent = window.findChild<QMenu *>("recentMenu");
    const auto entries = [recent] {
        QStringList t;
        for (QAction *a : recent->actions()) {
            if (!a->isSeparator() && a->objectName() != "clearRecent")
                t << a->text();
        }
        return t;
    };
    QCOMPARE(entries(), (QStringList { "&1 " + second, "&2 " + first }));
    recent->actions().at(1)->trigger();
    QCOMPARE(window.windowTitle(), QStringLiteral(u"first.journal — Health Journal"));
    QCOMPARE(entries(), (QStringList { "&1 " + first, "&2 " + second }));
    const auto clear = [recent] {
        for (QAction *a : recent->actions()) {
            if (a->objectName() == "clearRecent")
                return a;
        }
        return static_cast<QAction *>(nullptr);
    };
    QVERIFY(clear()->isEnabled());
    clear()->trigger();
    QCOMPARE(entries(), QStringList());
    QVERIFY(!clear()->isEnabled());
}

void TstJournalWindow::usersJournalIsMadeByItsFirstEntry()
{
    const QString path = JournalWindow::defaultJournal();
    if (!path.startsWith(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)))
        QSKIP("the handheld's journal folder is here: it is the default");
    const QString folder = QFileInfo(path).absolutePath();
    QVERIFY(!QFileInfo::exists(folder));
    JournalWindow window(path);
    window.show();
    QCOMPARE(window.findChild<QLabel *>("readings")->text(),
        "A new journal: the first entry writes " + path);
    QVERIFY(action(window, "addReading")->isEnabled());
    const QDate day(QDate::currentDate().year() - 1, 3, 5);
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [&](QDialog *d) {
        fill(d, day, 8, 0, 104, "x", "");
        d->accept();
    }));
    QCOMPARE(bytesOf(path), "SUGR|" + day.toString("yyyyMMdd").toLatin1() + "|0800|x|104|\n");
    QCOMPARE(window.findChild<QLabel *>("readings")->text(), "1 reading");
    QVERIFY(QDir(folder).removeRecursively());
}

void TstJournalWindow::defaultSize_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("window");
    QTest::newRow("two thirds") << QSize(2400, 1500) << QSize(1600, 1000);
    QTest::newRow("no smaller than the rows need") << QSize(1280, 800) << QSize(1000, 700);
    QTest::newRow("wide and low") << QSize(3000, 900) << QSize(2000, 700);
    QTest::newRow("never beyond the screen") << QSize(800, 600) << QSize(800, 600);
}

void TstJournalWindow::defaultSize()
{
    QFETCH(QSize, screen);
    QTEST(JournalWindow::defaultSize(screen), "window");
}

void TstJournalWindow::windowKeepsItsSize()
{
    const QString path = dir.filePath("size.journal");
    put(path, "SUGR|20240305|0800|x|104|\n");
    QSettings().remove("geometry");
    const QSize screen = QApplication::primaryScreen()->availableGeometry().size();
    {
        JournalWindow window(path);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.size(), JournalWindow::defaultSize(screen));
        window.resize(640, 480);
        window.close();
    }
    JournalWindow again(path);
    again.show();
    QVERIFY(QTest::qWaitForWindowExposed(&again));
    QCOMPARE(again.size(), QSize(640, 480));
    QSettings().remove("geometry");
}

void TstJournalWindow::countsOfOneAreSingular()
{
    const QString path = dir.filePath("one.journal");
    put(path, "SUGR|20240305|0800|x|104|\nINSL|20240305|0800|bolus|8||\nWEIGHT|20240305|0800|80\n");
    JournalWindow window(path);
    window.show();
    QCOMPARE(window.findChild<QLabel *>("readings")->text(), "1 reading, 1 other record");
    QCOMPARE(window.findChild<QPushButton *>("problems")->text(), "1 line not read");
}

void TstJournalWindow::unitsAndStatistics()
{
    const QString path = dir.filePath("units.journal");
    put(path, "SUGR|20240305|0700|x|104|\nSUGR|20240305|0800|x|0Hi|\n");
    JournalWindow window(path);
    window.show();
    auto *dock = window.findChild<QWidget *>("statisticsDock");
    QVERIFY(dock && dock->isVisible());
    action(window, "showStatistics")->trigger();
    QVERIFY(!dock->isVisible());
    action(window, "showStatistics")->trigger();
    QVERIFY(dock->isVisible());

    window.setUnit(GlucoseUnit::MmolPerL);
    QCOMPARE(rowTexts(window.viewer()),
        (QStringList { "Tue Mar 5 2024", "07:00:00: Sugar = 5.8 mmol/L (x) ",
            "08:00:00: Sugar = 0Hi (x) [not read: value not a whole number]" }));
    // A reading entered in mmol/L is stored as whole mg/dL.
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [](QDialog *d) {
        fill(d, QDate(2024, 3, 5), 9, 0, 6.1, "x", "");
        d->accept();
    }));
    QVERIFY(bytesOf(path).endsWith("SUGR|20240305|0900|x|110|\n"));
    window.setUnit(GlucoseUnit::MgPerDl);
    QCOMPARE(rowTexts(window.viewer()).last(), "09:00:00: Sugar = 110 (x) ");
}

void TstJournalWindow::detailInTheUnitShown_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("detail");
    const int mg = GlucoseUnit::MgPerDl;
    const int mmol = GlucoseUnit::MmolPerL;
    QTest::newRow("mg/dL") << mg << 1
                           << "Blood Sugar Reading 104 mg/dL (x)\nTue Mar 5 2024 07:00:00\n\nwalk";
    QTest::newRow("mmol/L")
        << mmol << 1 << "Blood Sugar Reading 5.8 mmol/L (x)\nTue Mar 5 2024 07:00:00\n\nwalk";
    QTest::newRow("no number: as written, in any unit")
        << mmol << 2 << "Blood Sugar Reading 0Hi(x)\nTue Mar 5 2024 08:00:00\n\n";
    QTest::newRow("a record") << mmol << 3
                              << "Insulin\nTue Mar 5 2024 09:00:00\n\nKind: bolus\nUnits: 8 u\n\n";
}

void TstJournalWindow::detailInTheUnitShown()
{
    QFETCH(int, unit);
    QFETCH(int, row);
    QFETCH(QString, detail);
    const QString path = dir.filePath("detail.journal");
    put(path,
        "SUGR|20240305|0700|x|104|walk\nSUGR|20240305|0800|x|0Hi|\n"
        "INSL|20240305|0900|bolus|8||\n");
    JournalWindow window(path);
    window.show();
    window.setUnit(GlucoseUnit::Unit(unit));
    window.viewer()->setCurrentRow(row);
    // Enter, as a double-click does, on any entry.
    QAction *show = window.viewer()->findChild<QAction *>("showEntry");
    QCOMPARE(show->text(), "Show entry");
    QString shown;
    QVERIFY(withDialog(show, "dialog", [&](QDialog *d) {
        shown = d->findChild<QPlainTextEdit *>()->toPlainText();
        d->reject();
    }));
    QCOMPARE(shown, detail);
}

void TstJournalWindow::logbook()
{
    const QString path = dir.filePath("logbook.journal");
    put(path,
        "SUGR|20240220|0700|pre-breakfast|150|\n"
        "SUGR|20240304|0700|pre-breakfast|50|\n"
        "SUGR|20240305|0710|pre-breakfast|104|\n"
        "INSL|20240305|0720|bolus|8|Humalog|\n"
        "CARB|20240305|0730|40|porridge|\n"
        "SUGR|20240305|0930|unspecified|212|\n"
        "INSL|20240305|2200|basal|20|Lantus|\n");
    JournalWindow window(path);
    window.resize(1000, 700);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *dock = window.findChild<QWidget *>("logbookDock");
    QVERIFY(dock && !dock->isVisible());
    // F8, as View › Logbook says.
    QCOMPARE(action(window, "showLogbook")->shortcut(), QKeySequence(Qt::Key_F8));
    action(window, "showLogbook")->trigger();
    QVERIFY(dock->isVisible());

    auto *table = window.findChild<QTableView *>("logbook");
    QAbstractItemModel *model = table->model();
    // The days of the statistics' period, the last 14 up to the newest reading.
    QCOMPARE(model->rowCount(), 14);
    const int last = model->rowCount() - 1;
    QCOMPARE(model->headerData(last, Qt::Vertical).toString(), "Tue 5 Mar");
    QCOMPARE(model->headerData(1, Qt::Horizontal).toString(), "Breakfast\nbefore");
    const auto text
        = [&](int row, int slot) { return model->data(model->index(row, slot)).toString(); };
    QCOMPARE(text(last, GlucoseLogbook::PreBreakfast), QStringLiteral(u"104\n8 u · 40 g"));
    QCOMPARE(text(last, GlucoseLogbook::PostBreakfast), "212");
    QCOMPARE(text(last, GlucoseLogbook::Bedtime), "\n20 u basal");
    QCOMPARE(text(last - 1, GlucoseLogbook::PreBreakfast), "50");
    QCOMPARE(text(last, GlucoseLogbook::Night), QString());

    // What a person sees: each reading on the colour of its range.
    const auto colours = [&](int row, int slot) {
        table->scrollTo(model->index(row, slot));
        const QRect cell = table->visualRect(model->index(row, slot));
        const QImage image = table->viewport()->grab(cell).toImage();
        QSet<QRgb> seen;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                seen.insert(image.pixel(x, y));
        return seen;
    };
    const auto has = [](const QSet<QRgb> &seen, GlucoseStatistics::Band band) {
        return seen.contains(GlucoseChart::bandColour(band).rgb());
    };
    QVERIFY(has(colours(last, GlucoseLogbook::PreBreakfast), GlucoseStatistics::InRange));
    QVERIFY(has(colours(last, GlucoseLogbook::PostBreakfast), GlucoseStatistics::High));
    QVERIFY(has(colours(last - 1, GlucoseLogbook::PreBreakfast), GlucoseStatistics::VeryLow));
    QVERIFY(!has(colours(last - 1, GlucoseLogbook::PreBreakfast), GlucoseStatistics::InRange));
    QVERIFY(colours(last, GlucoseLogbook::Bedtime).contains(GlucoseChart::insulinColour().rgb()));

    // A reading added shows in its cell; the unit changes every cell.
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [](QDialog *d) {
        fill(d, QDate(2024, 3, 5), 12, 0, 90, "pre-lunch", "");
        d->accept();
    }));
    QTRY_COMPARE(text(last, GlucoseLogbook::PreLunch), "90");
    window.setUnit(GlucoseUnit::MmolPerL);
    QCOMPARE(text(last, GlucoseLogbook::PreLunch), "5.0");

    // Another period in the statistics is another logbook.
    auto *period = window.findChild<QComboBox *>("period");
    period->setCurrentIndex(period->findText("All readings"));
    Q_EMIT period->activated(period->currentIndex());
    QCOMPARE(model->rowCount(), 15);
    QCOMPARE(text(0, GlucoseLogbook::PreBreakfast), "8.3");
}

void TstJournalWindow::reportHoldsTheRecords()
{
    const QString path = dir.filePath("report.journal");
    put(path,
        "SUGR|20240305|0710|pre-breakfast|104|\nINSL|20240305|0720|bolus|8|Humalog|\n"
        "CARB|20240305|0730|40|porridge|\nSUGR|20240305|1230|pre-lunch|150|\n");
    JournalWindow window(path);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // File › Export report, answered with a PNG's name.
    const QString png = dir.filePath("window-report.png");
    QTimer poll;
    connect(&poll, &QTimer::timeout, [&png] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            // Typed into the name field, as a person would.
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(png);
            static_cast<QDialog *>(dialog)->accept();
        }
    });
    poll.start(10);
    action(window, "exportReport")->trigger();
    poll.stop();
    const QImage image(png);
    QVERIFY(!image.isNull());
    // The dose and the meal in the logbook of the second page.
    QVERIFY(imagetest::hasColour(image, GlucoseChart::insulinColour(), image.height() / 2));
    QVERIFY(imagetest::hasColour(image, GlucoseChart::carbsColour(), image.height() / 2));
}

int main(int argc, char **argv)
{
    // Before any thread starts: mounts made in the test go with its process.
    mountsAllowed = fulldisk::privateMounts();
    // Settings and the user's journal of a run of its own.
    const QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath("config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath("data")));
    QApplication app(argc, argv);
    Translation::install();
    TstJournalWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_journalwindow.moc"
