// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#ifndef JOURNALWINDOW_H
#define JOURNALWINDOW_H

#include "GlucoseUnit.h"
#include "JournalChange.h"

#include <QHash>
#include <QMainWindow>

#include <vector>

class JournalViewer;
class RecordEntry;
class ListBoxEntryItem;
class QAction;
class QDockWidget;
class LogbookPanel;
class StatisticsPanel;
class QFileSystemWatcher;
class QLabel;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QTimer;
class QUndoStack;

// The viewer's main window: the journal list in the middle, the menus that
// add, edit and delete readings and the other records with undo, and a
// status bar that tells what was read and what could not be.
class JournalWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Reads the journal before it returns. The window takes the size it
    // was closed with, or its default size.
    explicit JournalWindow(const QString &path, QWidget *parent = nullptr);
    ~JournalWindow() override;

    // The journal opened without a name: the handheld's where its folder
    // is, and otherwise the user's own, whose folder its first entry makes.
    static QString defaultJournal();
    // The size of a window on a screen of the size given, before the user
    // chose one: two thirds of it, no smaller than the rows and the
    // statistics need, and never beyond it.
    static QSize defaultSize(const QSize &screen);

    JournalViewer *viewer() const { return list; }
    void setUnit(GlucoseUnit::Unit unit);

public Q_SLOTS:
    // Shows another journal; the history of changes stays with the last one.
    void openJournal(const QString &path);
    // File › New… and File › Open…: ask for a journal and open it.
    void newJournal();
    void chooseJournal();
    void addReading();
    // Adds a record of one of JournalTypes::records().
    void addRecord(const QString &typecode);
    // Edits the current entry, a reading or another record.
    void editReading();
    void deleteReading();
    void reload();
    void goToDate();
    void showProblems();
    void exportReport();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    bool apply(int line, const JournalChange::Line &from, const JournalChange::Line &to);
    void push(const QString &text, int line, const JournalChange::Line &before,
        const JournalChange::Line &after);
    ListBoxEntryItem *currentReading() const;
    void readAgain(const QString &why);
    void checkForChange();
    // Title, watched paths, recent journals and status of the journal read.
    void journalOpened();
    void updateRecentMenu();
    void updateStatus();
    void updateActions();
    void updateFloatingHeader();
    void showRow(QListWidgetItem *row);
    void scrollToNewestDay();
    void showDayOf(QListWidgetItem *row);
    // The logbook follows the statistics' period, while it is in view.
    void updateStatistics();
    void updateLogbook();

    JournalViewer *list;
    QUndoStack *history;
    QFileSystemWatcher *watcher;
    QTimer *changeDelay;
    QTimer *statisticsDelay;
    StatisticsPanel *statistics;
    QDockWidget *statisticsDock;
    LogbookPanel *logbook;
    QDockWidget *logbookDock;
    QMenu *recentMenu;
    QLabel *floatingHeader;
    QLabel *readings;
    QPushButton *problems;
    QAction *addAction;
    std::vector<QAction *> addRecordActions;
    QHash<QString, QAction *> showActions; // View › Show, by type code
    QAction *editAction;
    QAction *deleteAction;
    QAction *mgAction;
    QAction *mmolAction;
    // Counts the times the journal was read again after another program's
    // change: an edit begun before one is not written.
    int generation = 0;
    QString notWritable;
    bool shown = false;
};

#endif
