// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// What a person waits for when they keep a large journal, on a copy of it:
//
//   editbench [--runs N] FILE
//
// add: from OK in the reading dialog to the new row painted in the window;
// edit: from OK on a changed reading to its row painted again (the journal
// rewritten); beside each run, LC_ALL=C sort of the same file as a process.
// Each figure is printed as the median and the worst of the runs.

#include "JournalViewer.h"
#include "JournalWindow.h"
#include "SugarEntry.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

class PaintWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        painted = painted || event->type() == QEvent::Paint;
        return QObject::eventFilter(watched, event);
    }
};

// Triggers the action, changes the dialog's value and presses OK; returns the
// milliseconds from OK to the list painted again.
double timeDialog(JournalWindow &window, const char *actionName, double value)
{
    QAction *action = window.findChild<QAction *>(QLatin1String(actionName));
    PaintWatch watch;
    window.viewer()->viewport()->installEventFilter(&watch);
    QElapsedTimer clock;
    QTimer::singleShot(0, &window, [&] {
        auto *dialog = window.findChild<QDialog *>(QStringLiteral("readingDialog"));
        if (!dialog)
            return;
        dialog->findChild<QDoubleSpinBox *>(QStringLiteral("value"))->setValue(value);
        watch.painted = false;
        clock.start();
        dialog->accept();
    });
    action->trigger();
    while (!watch.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return clock.nsecsElapsed() / 1e6;
}

double timeSort(const QString &path)
{
    QProcess sort;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    sort.setProcessEnvironment(environment);
    sort.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    sort.start(QStringLiteral("sort"), { path });
    sort.waitForFinished(-1);
    return clock.nsecsElapsed() / 1e6;
}

void report(const char *what, std::vector<double> figures)
{
    std::sort(figures.begin(), figures.end());
    std::printf("%s: median %.0f ms, worst %.0f ms\n", what, figures[figures.size() / 2],
        figures.back());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    static const SugarEntry::MyFactory sugarFactory;

    QStringList args = app.arguments().mid(1);
    int runs = 5;
    if (args.size() == 3 && args[0] == QLatin1String("--runs")) {
        runs = std::max(1, args[1].toInt());
        args = args.mid(2);
    }
    if (args.size() != 1 || !QFile::exists(args[0])) {
        std::fprintf(stderr, "usage: editbench [--runs N] FILE\n");
        return 2;
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("journal.txt"));
    if (!dir.isValid() || !QFile::copy(args[0], path)) {
        std::fprintf(stderr, "editbench: cannot copy %s\n", qPrintable(args[0]));
        return 1;
    }

    JournalWindow window(path);
    window.resize(800, 600);
    window.show();
    while (!window.viewer()->viewport()->isVisible())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("file: %s (%d rows)\n", qPrintable(args[0]), window.viewer()->count());

    std::vector<double> add, edit, sort;
    for (int i = 0; i < runs; ++i) {
        add.push_back(timeDialog(window, "addReading", 100 + i));
        edit.push_back(timeDialog(window, "editReading", 200 + i));
        sort.push_back(timeSort(path));
    }
    report("add (OK to row shown)", add);
    report("edit (OK to row shown)", edit);
    report("LC_ALL=C sort of the file", sort);
    return 0;
}
