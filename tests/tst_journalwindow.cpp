// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "DateSelector.h"
#include "JournalViewer.h"
#include "JournalWindow.h"
#include "SugarEntry.h"
#include "TimeSelector.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const SugarEntry::MyFactory sugarFactory;

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
    void impossibleDateKeepsTheDialogOpen();
    void anotherProgramsChangeIsReadAgain();
    void editBegunBeforeAChangeIsRefused();
    void statusBar_data();
    void statusBar();
    void problemsAreListed();
    void unitsAndStatistics();

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

void TstJournalWindow::statusBar_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("status");
    QTest::addColumn<bool>("writable");
    QTest::newRow("readings") << "two.journal"
                              << QByteArray("SUGR|20240305|0800|x|104|\nSUGR|20240305|0900|x|1|\n")
                              << "2 readings" << true;
    QTest::newRow("missing file") << "missing.journal" << QByteArray()
                                  << "Cannot open missing.journal: No such file" << true;
    QTest::newRow("a folder") << "folder.journal" << QByteArray()
                              << "Cannot open folder.journal: Is a folder, not a journal — "
                                 "read-only: Is a folder, not a journal"
                              << false;
    QTest::newRow("UTF-16 is read, not written")
        << "wide.journal" << QByteArray("\xff\xfe" "S\0U\0G\0R\0|\0" "2\0" "0\0" "2\0" "4\0" "0\0"
                                        "3\0" "0\0" "5\0|\0" "0\0" "8\0" "0\0" "0\0|\0x\0|\0" "1\0|\0\n\0", 48)
        << "1 readings — read-only: The journal is in UTF-16, which is read but not written" << false;
}

void TstJournalWindow::statusBar()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, status);
    QFETCH(bool, writable);
    const QString path = dir.filePath(file);
    if (file.startsWith("folder"))
        QVERIFY(QDir(dir.path()).mkpath(file));
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
            "08:00:00: Sugar = 0Hi (x) " }));
    // A reading entered in mmol/L is stored as whole mg/dL.
    QVERIFY(withDialog(action(window, "addReading"), "readingDialog", [](QDialog *d) {
        fill(d, QDate(2024, 3, 5), 9, 0, 6.1, "x", "");
        d->accept();
    }));
    QVERIFY(bytesOf(path).endsWith("SUGR|20240305|0900|x|110|\n"));
    window.setUnit(GlucoseUnit::MgPerDl);
    QCOMPARE(rowTexts(window.viewer()).last(), "09:00:00: Sugar = 110 (x) ");
}

QTEST_MAIN(TstJournalWindow)
#include "tst_journalwindow.moc"
