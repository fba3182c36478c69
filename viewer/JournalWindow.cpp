// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "JournalWindow.h"

#include "GlucoseReport.h"
#include "GlucoseSummary.h"
#include "JournalTypes.h"
#include "JournalViewer.h"
#include "ListBoxDateItem.h"
#include "ListBoxEntryItem.h"
#include "LogbookPanel.h"
#include "ReadingDialog.h"
#include "RecordDialog.h"
#include "StatisticsPanel.h"
#include "SugarEntry.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDateEdit>
#include <QDialogButtonBox>
#include <QDir>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QHash>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTimer>
#include <QUndoStack>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

const QString appName = QStringLiteral("Health Journal");
const QString handheldJournal = QStringLiteral("/home/root/Applications/kestrin/journal.txt");
const QString recentKey = QStringLiteral("recentJournals");
const QString geometryKey = QStringLiteral("geometry");
constexpr int recentJournals = 8;

// The journal of the user who has no handheld's folder.
QString userJournal()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QStringLiteral("/journal.txt");
}

bool isUserJournal(const QString &path)
{
    return QFileInfo(path).absoluteFilePath() == QFileInfo(userJournal()).absoluteFilePath();
}

// Where the file dialogs start: beside the journal shown.
QString startFolder(const QString &journal)
{
    const QFileInfo folder(QFileInfo(journal).absolutePath());
    return folder.isDir() ? folder.filePath() : QDir::homePath();
}

QStringList journalFilters()
{
    return { JournalWindow::tr("Journals (*.journal *.txt)"), JournalWindow::tr("All files (*)") };
}

// The journal's reading types, the most used first.
QStringList typesByUse(const JournalViewer &list)
{
    QHash<QString, int> uses;
    // Readings share the text of a reading type: a run of them is counted
    // at once, not looked up reading by reading.
    QString type;
    int run = 0;
    for (const auto &entry : list.allEntries()) {
        const auto *sugar = dynamic_cast<const SugarEntry *>(entry.get());
        if (!sugar)
            continue;
        if (!sugar->getRType().isSharedWith(type)) {
            if (run)
                uses[type] += run;
            type = sugar->getRType();
            run = 0;
        }
        ++run;
    }
    if (run)
        uses[type] += run;
    QStringList types = uses.keys();
    types.removeAll(QString());
    std::sort(types.begin(), types.end(), [&uses](const QString &a, const QString &b) {
        return uses[a] != uses[b] ? uses[a] > uses[b] : a < b;
    });
    return types;
}

// The years the dialogs offer: every year of the journal, this one and the
// one before, so that on 1 January the evening before can be entered.
std::pair<int, int> yearsOf(const JournalViewer &list)
{
    // The first and last dates give the years: a date's year takes longer
    // to work out than a comparison.
    QDate earliest;
    QDate latest;
    for (const auto &entry : list.allEntries()) {
        const QDate &date = entry->getDate();
        if (date.isValid()) {
            if (!earliest.isValid() || date < earliest)
                earliest = date;
            if (!latest.isValid() || date > latest)
                latest = date;
        }
    }
    const int thisYear = QDate::currentDate().year();
    return { earliest.isValid() ? std::min(thisYear - 1, earliest.year()) : thisYear - 1,
        latest.isValid() ? std::max(thisYear, latest.year()) : thisYear };
}

// "1000 readings", and the other records when there are any.
QString countsOf(const JournalViewer &list)
{
    QString counts = JournalWindow::tr("%n readings", nullptr, list.readingCount());
    const int others = list.recordCount();
    if (others)
        counts += u", " + JournalWindow::tr("%n other records", nullptr, others);
    return counts;
}

} // namespace

JournalWindow::JournalWindow(const QString &path, QWidget *parent)
    : QMainWindow(parent, Qt::Window)
    , list(new JournalViewer(path, this, "JournalViewer"))
    , history(new QUndoStack(this))
    , watcher(new QFileSystemWatcher(this))
    , changeDelay(new QTimer(this))
    , statisticsDelay(new QTimer(this))
    , statistics(new StatisticsPanel(this))
    , statisticsDock(new QDockWidget(tr("Statistics"), this))
    , logbook(new LogbookPanel(this))
    , logbookDock(new QDockWidget(tr("Logbook"), this))
    , floatingHeader(new QLabel(list->viewport()))
    , readings(new QLabel(this))
    , problems(new QPushButton(this))
{
    list->reload();
    setCentralWidget(list);

    QMenu *fileMenu = menuBar()->addMenu(tr("&File"));
    QAction *makeNew = fileMenu->addAction(tr("&New journal…"), this, &JournalWindow::newJournal);
    makeNew->setObjectName(QStringLiteral("newJournal"));
    makeNew->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    QAction *openOther = fileMenu->addAction(tr("&Open…"), this, &JournalWindow::chooseJournal);
    openOther->setObjectName(QStringLiteral("openJournal"));
    openOther->setShortcut(QKeySequence::Open);
    recentMenu = fileMenu->addMenu(tr("Open &Recent"));
    recentMenu->setObjectName(QStringLiteral("recentMenu"));
    fileMenu->addSeparator();
    QMenu *addMenu = fileMenu->addMenu(tr("&Add"));
    addAction = addMenu->addAction(tr("&Reading…"), this, &JournalWindow::addReading);
    addAction->setObjectName(QStringLiteral("addReading"));
    addAction->setShortcut(QKeySequence::New);
    for (const RecordEntry::Description *type : JournalTypes::records()) {
        const QString code = type->typecode;
        QAction *a = addMenu->addAction(
            u'&' + QString::fromUtf8(type->name) + u'…', this, [this, code] { addRecord(code); });
        a->setObjectName(u"add" + code);
        addRecordActions.push_back(a);
    }
    QAction *reloadAction = fileMenu->addAction(tr("&Reload"), this, &JournalWindow::reload);
    reloadAction->setObjectName(QStringLiteral("reload"));
    reloadAction->setShortcut(Qt::Key_F5);
    QAction *report = fileMenu->addAction(tr("&Export report…"), this, &JournalWindow::exportReport);
    report->setObjectName(QStringLiteral("exportReport"));
    report->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    fileMenu->addSeparator();
    QAction *quit = fileMenu->addAction(tr("&Quit"), this, &QWidget::close);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    QMenu *editMenu = menuBar()->addMenu(tr("&Edit"));
    editAction = editMenu->addAction(tr("&Edit entry…"), this, &JournalWindow::editReading);
    editAction->setObjectName(QStringLiteral("editReading"));
    editAction->setShortcut(Qt::Key_F2);
    deleteAction = editMenu->addAction(tr("&Delete entry"), this, &JournalWindow::deleteReading);
    deleteAction->setObjectName(QStringLiteral("deleteReading"));
    deleteAction->setShortcut(QKeySequence::Delete);
    editMenu->addSeparator();
    QAction *undo = history->createUndoAction(this, tr("&Undo"));
    undo->setObjectName(QStringLiteral("undo"));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QAction *redo = history->createRedoAction(this, tr("&Redo"));
    redo->setObjectName(QStringLiteral("redo"));
    redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    editMenu->addAction(undo);
    editMenu->addAction(redo);

    QMenu *viewMenu = menuBar()->addMenu(tr("&View"));
    QAction *goTo = viewMenu->addAction(tr("&Go to date…"), this, &JournalWindow::goToDate);
    goTo->setObjectName(QStringLiteral("goToDate"));
    goTo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    statisticsDock->setObjectName(QStringLiteral("statisticsDock"));
    statisticsDock->setWidget(statistics);
    addDockWidget(Qt::RightDockWidgetArea, statisticsDock);
    QAction *showStatistics = statisticsDock->toggleViewAction();
    showStatistics->setObjectName(QStringLiteral("showStatistics"));
    showStatistics->setShortcut(Qt::Key_F9);
    viewMenu->addAction(showStatistics);
    logbookDock->setObjectName(QStringLiteral("logbookDock"));
    logbookDock->setWidget(logbook);
    addDockWidget(Qt::BottomDockWidgetArea, logbookDock);
    logbookDock->hide();
    QAction *showLogbook = logbookDock->toggleViewAction();
    showLogbook->setObjectName(QStringLiteral("showLogbook"));
    showLogbook->setShortcut(Qt::Key_F8);
    viewMenu->addAction(showLogbook);
    connect(logbookDock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible)
            updateLogbook();
    });
    connect(statistics, &StatisticsPanel::periodChanged, this, &JournalWindow::updateLogbook);
    QMenu *showMenu = viewMenu->addMenu(tr("&Show"));
    const auto addShow = [&](const QString &code, const QString &name) {
        QAction *a = showMenu->addAction(name);
        a->setObjectName(u"show" + code);
        a->setCheckable(true);
        a->setChecked(true);
        connect(
            a, &QAction::toggled, this, [this, code](bool on) { list->setTypeShown(code, on); });
        showActions.insert(code, a);
    };
    addShow(SugarEntry::typecode, tr("&Readings"));
    for (const RecordEntry::Description *type : JournalTypes::records())
        addShow(type->typecode, u'&' + QString::fromUtf8(type->name));
    QMenu *units = viewMenu->addMenu(tr("&Units"));
    auto *unitGroup = new QActionGroup(this);
    mgAction = units->addAction(GlucoseUnit::name(GlucoseUnit::MgPerDl));
    mmolAction = units->addAction(GlucoseUnit::name(GlucoseUnit::MmolPerL));
    for (QAction *a : { mgAction, mmolAction }) {
        a->setCheckable(true);
        unitGroup->addAction(a);
    }
    mgAction->setChecked(true);
    connect(mgAction, &QAction::triggered, this, [this] { setUnit(GlucoseUnit::MgPerDl); });
    connect(mmolAction, &QAction::triggered, this, [this] { setUnit(GlucoseUnit::MmolPerL); });

    QMenu *helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(tr("&About"), this, [this] {
        QMessageBox::about(this, tr("About Health Journal"),
            tr("<p><b>Health Journal</b> %1</p><p>A journal of blood sugar readings, kept in a "
               "plain text file.</p><p>Licensed under the GNU GPL, version 3 or later.</p>")
                .arg(QCoreApplication::applicationVersion()));
    });

    // Enter on an entry opens it, as a double-click does.
    auto *open = new QAction(tr("Show entry"), list);
    open->setObjectName(QStringLiteral("showEntry"));
    open->setShortcuts({ Qt::Key_Return, Qt::Key_Enter });
    open->setShortcutContext(Qt::WidgetShortcut);
    connect(open, &QAction::triggered, this, [this] {
        if (QListWidgetItem *row = list->currentItem())
            list->viewDetail(row);
    });
    list->addAction(open);

    readings->setObjectName(QStringLiteral("readings"));
    problems->setObjectName(QStringLiteral("problems"));
    problems->setFlat(true);
    connect(problems, &QPushButton::clicked, this, &JournalWindow::showProblems);
    statusBar()->addWidget(readings, 1);
    statusBar()->addPermanentWidget(problems);

    // The day of the rows at the top stays in view as they scroll.
    floatingHeader->setObjectName(QStringLiteral("floatingHeader"));
    floatingHeader->setAutoFillBackground(true);
    QPalette dark = floatingHeader->palette();
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::WindowText, Qt::white);
    floatingHeader->setPalette(dark);
    floatingHeader->hide();
    connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this,
        &JournalWindow::updateFloatingHeader);

    connect(list, &QListWidget::currentItemChanged, this, &JournalWindow::updateActions);
    connect(list, &QListWidget::currentItemChanged, this, &JournalWindow::showDayOf);

    // The figures follow the journal once a change has been shown.
    statisticsDelay->setSingleShot(true);
    statisticsDelay->setInterval(0);
    connect(statisticsDelay, &QTimer::timeout, this, [this] {
        updateStatistics();
        updateLogbook();
    });
    updateStatistics();

    // Another program's change: read again once the writes have settled.
    changeDelay->setSingleShot(true);
    changeDelay->setInterval(200);
    connect(changeDelay, &QTimer::timeout, this, &JournalWindow::checkForChange);
    connect(watcher, &QFileSystemWatcher::fileChanged, changeDelay, qOverload<>(&QTimer::start));
    connect(watcher, &QFileSystemWatcher::directoryChanged, changeDelay,
        qOverload<>(&QTimer::start));
    journalOpened();

    if (!restoreGeometry(QSettings().value(geometryKey).toByteArray()) && screen())
        resize(defaultSize(screen()->availableGeometry().size()));
}

QString JournalWindow::defaultJournal()
{
    return QFileInfo(QFileInfo(handheldJournal).absolutePath()).isDir() ? handheldJournal
                                                                        : userJournal();
}

QSize JournalWindow::defaultSize(const QSize &screen)
{
    const QSize least(1000, 700);
    return (screen * 2 / 3).expandedTo(least).boundedTo(screen);
}

JournalWindow::~JournalWindow()
{
    // The list outlives this part of the window: its last signals must not
    // reach it.
    list->disconnect(this);
    list->verticalScrollBar()->disconnect(this);
}

void JournalWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    // The list opens at the newest day, once it knows its height.
    if (!shown) {
        shown = true;
        scrollToNewestDay();
        updateFloatingHeader();
    }
}

void JournalWindow::closeEvent(QCloseEvent *event)
{
    QSettings().setValue(geometryKey, saveGeometry());
    QMainWindow::closeEvent(event);
}

void JournalWindow::openJournal(const QString &path)
{
    changeDelay->stop();
    list->setFileName(path);
    list->reload();
    history->clear();
    ++generation;
    journalOpened();
    scrollToNewestDay();
    updateFloatingHeader();
    statisticsDelay->start();
}

void JournalWindow::newJournal()
{
    QFileDialog dialog(this, tr("New journal"), startFolder(list->file().path()));
    dialog.setObjectName(QStringLiteral("newJournalDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A journal that is there already is opened as it is, never emptied.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(journalFilters());
    dialog.setDefaultSuffix(QStringLiteral("journal"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QFile file(path);
    const bool made = file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
    if (!made && !QFileInfo::exists(path)) {
        QMessageBox::warning(
            this, appName, tr("The journal was not made.\n\n%1").arg(file.errorString()));
        return;
    }
    file.close();
    openJournal(path);
    if (!made)
        statusBar()->showMessage(
            tr("%1 is there already: it is opened as it is").arg(QFileInfo(path).fileName()), 5000);
}

void JournalWindow::chooseJournal()
{
    QFileDialog dialog(this, tr("Open journal"), startFolder(list->file().path()));
    dialog.setObjectName(QStringLiteral("openJournalDialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(journalFilters());
    if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
        openJournal(dialog.selectedFiles().constFirst());
}

void JournalWindow::journalOpened()
{
    const QFileInfo journal(list->file().path());
    setWindowTitle(journal.fileName() + u" — " + appName);
    // The platform may show the file beside the title.
    setWindowFilePath(journal.absoluteFilePath());

    const QStringList watched = watcher->files() + watcher->directories();
    if (!watched.isEmpty())
        watcher->removePaths(watched);
    // The folder as named: the current folder's name may not be UTF-8.
    if (QFileInfo(journal.path()).isDir())
        watcher->addPath(journal.path());
    if (journal.exists()) {
        watcher->addPath(journal.filePath());
        QSettings settings;
        QStringList recent = settings.value(recentKey).toStringList();
        recent.removeAll(journal.absoluteFilePath());
        recent.prepend(journal.absoluteFilePath());
        settings.setValue(recentKey, recent.mid(0, recentJournals));
    }
    updateRecentMenu();
    updateStatus();
}

void JournalWindow::updateRecentMenu()
{
    // Later: an entry of the menu may be the one that asked for it.
    for (QAction *a : recentMenu->actions()) {
        recentMenu->removeAction(a);
        a->deleteLater();
    }
    const QStringList recent = QSettings().value(recentKey).toStringList();
    for (int i = 0; i < recent.size(); ++i) {
        const QString path = recent[i];
        QString shown = QDir::toNativeSeparators(path);
        shown.replace(u'&', QStringLiteral("&&"));
        recentMenu->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown), this,
            [this, path] { openJournal(path); });
    }
    recentMenu->addSeparator();
    QAction *clear = recentMenu->addAction(tr("&Clear list"), this, [this] {
        QSettings().remove(recentKey);
        updateRecentMenu();
    });
    clear->setObjectName(QStringLiteral("clearRecent"));
    clear->setEnabled(!recent.isEmpty());
}

void JournalWindow::setUnit(GlucoseUnit::Unit unit)
{
    (unit == GlucoseUnit::MmolPerL ? mmolAction : mgAction)->setChecked(true);
    list->setUnit(unit);
    statistics->setUnit(unit);
    logbook->setUnit(unit);
}

void JournalWindow::addReading()
{
    const auto [firstYear, lastYear] = yearsOf(*list);
    ReadingDialog dialog(firstYear, lastYear, typesByUse(*list), list->unit(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QByteArray line = dialog.reading()->encode().toUtf8();
    push(tr("Add reading"), list->file().lineCount() + 1, std::nullopt, line);
}

void JournalWindow::addRecord(const QString &typecode)
{
    const RecordEntry::Description *type = JournalTypes::record(typecode);
    if (!type)
        return;
    const auto [firstYear, lastYear] = yearsOf(*list);
    RecordDialog dialog(*type, firstYear, lastYear, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const QByteArray line = dialog.record()->encode().toUtf8();
    push(tr("Add %1").arg(QString::fromUtf8(type->name)), list->file().lineCount() + 1,
        std::nullopt, line);
}

void JournalWindow::editReading()
{
    ListBoxEntryItem *row = currentReading();
    const auto *sugar = row ? dynamic_cast<const SugarEntry *>(row->getEntry()) : nullptr;
    const auto *record = row ? dynamic_cast<const RecordEntry *>(row->getEntry()) : nullptr;
    if (!sugar && !record)
        return;
    const int line = row->getLine();
    const QByteArray before = list->file().line(line).toByteArray();
    const int startedAt = generation;

    const auto [firstYear, lastYear] = yearsOf(*list);
    QByteArray after;
    if (sugar) {
        ReadingDialog dialog(firstYear, lastYear, typesByUse(*list), list->unit(), this);
        dialog.setReading(sugar);
        if (dialog.exec() != QDialog::Accepted)
            return;
        after = dialog.reading()->encode().toUtf8();
    } else {
        RecordDialog dialog(record->description(), firstYear, lastYear, this);
        dialog.setRecord(record);
        if (dialog.exec() != QDialog::Accepted)
            return;
        after = dialog.record()->encode().toUtf8();
    }
    if (generation != startedAt) {
        QMessageBox::warning(this, appName,
            tr("Another program changed the journal while you edited the entry. Your change "
               "was not written: the journal has been read again, edit the entry there."));
        return;
    }
    if (after != before)
        push(sugar ? tr("Edit reading")
                   : tr("Edit %1").arg(QString::fromUtf8(record->description().name)),
            line, before, after);
}

void JournalWindow::deleteReading()
{
    ListBoxEntryItem *row = currentReading();
    if (!row)
        return;
    const int line = row->getLine();
    push(tr("Delete reading"), line, list->file().line(line).toByteArray(), std::nullopt);
}

void JournalWindow::push(const QString &text, int line, const JournalChange::Line &before,
    const JournalChange::Line &after)
{
    if (!apply(line, before, after))
        return;
    history->push(new JournalChange(
        text, line, before, after,
        [this](int l, const JournalChange::Line &from, const JournalChange::Line &to) {
            return apply(l, from, to);
        },
        history));
}

bool JournalWindow::apply(int line, const JournalChange::Line &from, const JournalChange::Line &to)
{
    JournalFile &file = list->file();
    // The user's own journal is made, with its folder, by its first entry.
    const QString folder = QFileInfo(file.path()).absolutePath();
    if (!QFileInfo::exists(folder) && isUserJournal(file.path()) && QDir().mkpath(folder))
        watcher->addPath(folder);
    const bool written = !from ? file.insert(line, *to) : !to ? file.remove(line) : file.replace(line, *to);
    if (!written) {
        // Told once the history is done with the change. The rows and the
        // history stay, as the file does, unless another program changed
        // it: then the journal is read again.
        QTimer::singleShot(0, this, [this, why = file.errorString(), theirs = file.wasChanged()] {
            if (theirs)
                readAgain(QString());
            statusBar()->showMessage(tr("The journal was not changed: %1").arg(why), 15000);
            QMessageBox::warning(this, appName, tr("The journal was not changed.\n\n%1").arg(why));
        });
        return false;
    }
    std::unique_ptr<const JournalEntry> entry(
        to ? JournalEntry::decode(QString::fromUtf8(*to)) : nullptr);
    // An entry just written is shown, whatever View › Show hid.
    if (QAction *show = entry ? showActions.value(entry->getType()) : nullptr)
        show->setChecked(true);
    // An entry changed at its moment keeps its row; any other moves.
    ListBoxEntryItem *old = from ? list->rowOfLine(line) : nullptr;
    if (old && list->replaceEntry(old, entry))
        showRow(old);
    else if (old)
        list->removeEntry(old);
    if (entry)
        showRow(list->insertEntry(std::move(entry), line));
    updateStatus();
    updateFloatingHeader();
    statisticsDelay->start();
    return true;
}

ListBoxEntryItem *JournalWindow::currentReading() const
{
    return dynamic_cast<ListBoxEntryItem *>(list->currentItem());
}

void JournalWindow::reload()
{
    readAgain(QString());
}

void JournalWindow::readAgain(const QString &why)
{
    const int top = list->indexAt(QPoint(1, 1)).row();
    const int current = list->currentRow();
    list->reload();
    history->clear();
    ++generation;
    if (current >= 0 && current < list->count())
        list->setCurrentRow(current);
    if (top >= 0 && top < list->count())
        list->scrollToItem(list->item(top), QAbstractItemView::PositionAtTop);
    updateStatus();
    updateFloatingHeader();
    statisticsDelay->start();
    if (!why.isEmpty())
        statusBar()->showMessage(why, 5000);
}

void JournalWindow::checkForChange()
{
    const QString path = list->file().path();
    if (QFileInfo::exists(path) && !watcher->files().contains(path))
        watcher->addPath(path); // a file replaced whole is watched anew
    if (!list->file().isCurrent())
        readAgain(tr("Another program changed the journal: it has been read again."));
}

void JournalWindow::updateStatus()
{
    const JournalFile &file = list->file();
    const QString name = QFileInfo(file.path()).fileName();
    const bool noFolder = !QFileInfo::exists(QFileInfo(file.path()).absolutePath());
    if (noFolder && isUserJournal(file.path()))
        readings->setText(tr("A new journal: the first entry writes %1")
                              .arg(QDir::toNativeSeparators(file.path())));
    else if (!file.exists() && !file.errorString().isEmpty())
        readings->setText(tr("Cannot open %1: %2").arg(name, file.errorString()));
    else
        readings->setText(countsOf(*list));

    const int bad = int(list->problems().size());
    problems->setText(tr("%n lines not read", nullptr, bad));
    problems->setVisible(bad > 0);

    // A missing journal is made by the first reading; one that cannot be
    // read is not written either.
    notWritable = noFolder && isUserJournal(file.path()) ? QString() : file.whyNotWritable();
    if (notWritable.isEmpty() && !file.exists() && file.errorString() != QLatin1String("No such file"))
        notWritable = file.errorString();
    // A folder that is not there is said as such: nothing is read-only.
    if (!notWritable.isEmpty())
        readings->setText(readings->text() + u" — "
            + (noFolder ? notWritable : tr("read-only: %1").arg(notWritable)));
    updateActions();
}

void JournalWindow::updateActions()
{
    const bool writable = notWritable.isEmpty();
    addAction->setEnabled(writable);
    for (QAction *a : addRecordActions) {
        a->setEnabled(writable);
        a->setStatusTip(writable ? QString() : notWritable);
    }
    const bool onReading = currentReading() != nullptr;
    editAction->setEnabled(writable && onReading);
    deleteAction->setEnabled(writable && onReading);
    for (QAction *a : { addAction, editAction, deleteAction })
        a->setStatusTip(writable ? QString() : notWritable);
}

void JournalWindow::showProblems()
{
    QStringList text;
    for (const JournalViewer::Problem &p : list->problems())
        text << tr("Line %1: %2").arg(p.line).arg(p.reason);
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("problemsDialog"));
    dialog.setWindowTitle(tr("Lines not read"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *view = new QPlainTextEdit(text.join(u'\n'), &dialog);
    view->setReadOnly(true);
    layout->addWidget(view);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(480, 320);
    dialog.exec();
}

void JournalWindow::goToDate()
{
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("goToDateDialog"));
    dialog.setWindowTitle(tr("Go to date"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *edit = new QDateEdit(QDate::currentDate(), &dialog);
    edit->setCalendarPopup(true);
    if (auto *row = currentReading())
        edit->setDate(row->getEntry()->getDate());
    layout->addWidget(edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const int row = list->rowOfDay(edit->date());
    if (row < 0) {
        statusBar()->showMessage(tr("No readings on or after %1").arg(edit->date().toString()), 5000);
        return;
    }
    list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
    list->setCurrentRow(std::min(row + 1, list->count() - 1));
}

void JournalWindow::showDayOf(QListWidgetItem *row)
{
    if (auto *reading = dynamic_cast<ListBoxEntryItem *>(row))
        statistics->showDay(reading->getEntry()->getDate());
    else if (auto *header = dynamic_cast<ListBoxDateItem *>(row))
        statistics->showDay(header->date());
}

void JournalWindow::updateStatistics()
{
    // The panel asks the list for the days it shows: it need not hold a
    // copy of every reading.
    statistics->setJournal(
        [this](const QDate &from, const QDate &to) { return list->readings(from, to); },
        list->readingDays(), list->treatments());
}

void JournalWindow::updateLogbook()
{
    if (!logbookDock->isVisible())
        return;
    const GlucoseStatistics &s = statistics->statistics();
    GlucoseLogbook book(statistics->readings(), s.periodStart(), s.periodEnd());
    book.addTreatments(statistics->treatments());
    logbook->setLogbook(std::move(book),
        tr("%1, the period of the statistics (F9)").arg(GlucoseSummary::period(s)));
}

void JournalWindow::exportReport()
{
    const QFileInfo journal(list->file().path());
    const QString suggested = journal.absolutePath() + u'/' + journal.completeBaseName() + u".pdf";
    const QString path = QFileDialog::getSaveFileName(this, tr("Export report"), suggested,
        tr("PDF documents (*.pdf);;PNG pictures (*.png)"));
    if (path.isEmpty())
        return;
    GlucoseReport report(
        statistics->readings(), statistics->period(), list->unit(), statistics->treatments());
    report.setTitle(journal.fileName());
    QString error;
    if (!report.write(path, &error))
        QMessageBox::warning(this, appName, tr("The report was not written.\n\n%1").arg(error));
    else
        statusBar()->showMessage(tr("Report written to %1").arg(path), 5000);
}

void JournalWindow::showRow(QListWidgetItem *row)
{
    list->setCurrentItem(row);
    list->scrollToItem(row);
}

void JournalWindow::scrollToNewestDay()
{
    for (int row = list->count() - 1; row >= 0; --row) {
        if (!dynamic_cast<ListBoxEntryItem *>(list->item(row))) {
            list->scrollToItem(list->item(row), QAbstractItemView::PositionAtTop);
            list->setCurrentRow(std::min(row + 1, list->count() - 1));
            return;
        }
    }
}

void JournalWindow::updateFloatingHeader()
{
    const int top = list->indexAt(QPoint(1, 1)).row();
    QListWidgetItem *row = top >= 0 ? list->item(top) : nullptr;
    if (!row || !dynamic_cast<ListBoxEntryItem *>(row)) {
        floatingHeader->hide(); // a header row is at the top already
        return;
    }
    for (int r = top; r >= 0; --r) {
        if (auto *header = dynamic_cast<ListBoxDateItem *>(list->item(r))) {
            const QRect rect = list->visualItemRect(row);
            floatingHeader->setText(header->text());
            floatingHeader->setContentsMargins(4, 0, 4, 0);
            floatingHeader->setGeometry(0, 0, list->viewport()->width(), rect.height());
            floatingHeader->show();
            return;
        }
    }
    floatingHeader->hide();
}
