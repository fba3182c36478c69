// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Figures for one journal file, each the median of several runs:
//
//   journalbench [--runs N] FILE       all figures, one line each
//   journalbench --first-paint FILE    one open-to-first-paint time in ms
//
// The memory figure comes first, from a fresh process: the kernel's peak
// resident size (VmHWM) over opening the window, less the peak before it.

#include "JournalViewer.h"
#include "ListBoxEntryItem.h"
#include "SugarEntry.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

qint64 peakResidentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

double median(int runs, const std::function<double()> &measure)
{
    std::vector<double> figures;
    for (int i = 0; i < runs; ++i)
        figures.push_back(measure());
    std::sort(figures.begin(), figures.end());
    return figures[figures.size() / 2];
}

// Reports when a widget has painted for the first time.
class FirstPaint : public QObject
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

// Opens the journal as the viewer program does, and returns the
// milliseconds from constructing the window to the end of its first paint.
double openToFirstPaint(const QString &path, qint64 *readings = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    QMainWindow window(nullptr, Qt::Window);
    auto *viewer = new JournalViewer(path, &window, "JournalViewer");
    FirstPaint first;
    viewer->viewport()->installEventFilter(&first);
    viewer->reload();
    window.setCentralWidget(viewer);
    window.showMaximized();
    while (!first.painted)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (readings) {
        *readings = 0;
        for (int i = 0; i < viewer->count(); ++i)
            *readings += dynamic_cast<const ListBoxEntryItem *>(viewer->item(i)) != nullptr;
    }
    return ms;
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
    bool firstPaintOnly = false;
    while (args.size() > 1) {
        if (args[0] == "--runs" && args.size() > 2) {
            runs = std::max(1, args[1].toInt());
            args = args.mid(2);
        } else if (args[0] == "--first-paint") {
            firstPaintOnly = true;
            args = args.mid(1);
        } else {
            break;
        }
    }
    if (args.size() != 1 || !QFileInfo(args[0]).isFile()) {
        std::fprintf(stderr, "usage: journalbench [--runs N] [--first-paint] FILE\n");
        return 2;
    }
    const QString path = args[0];

    if (firstPaintOnly) {
        std::printf("%.1f\n", openToFirstPaint(path));
        return 0;
    }

    const qint64 before = peakResidentKiB();
    qint64 readings = 0;
    const double firstOpen = openToFirstPaint(path, &readings);
    const qint64 after = peakResidentKiB();

    std::printf("file: %s (%lld readings, %.1f MB)\n", qPrintable(path),
        static_cast<long long>(readings), QFileInfo(path).size() / 1e6);
    std::printf("peak memory: %.0f bytes/reading (VmHWM %lld kB over %lld kB)\n",
        readings ? (after - before) * 1024.0 / readings : 0.0,
        static_cast<long long>(after - before), static_cast<long long>(before));
    std::fflush(stdout);

    const double linesPerSecond = median(runs, [&] {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 0.0;
        QTextStream in(&file);
        QElapsedTimer clock;
        clock.start();
        qint64 lines = 0;
        while (!in.atEnd()) {
            const JournalEntry *entry = nullptr;
            in >> entry;
            delete entry;
            ++lines;
        }
        return lines / (clock.nsecsElapsed() / 1e9);
    });
    std::printf("stream input: %.2f M lines/s\n", linesPerSecond / 1e6);
    std::fflush(stdout);

    const double reloadMs = median(runs, [&] {
        JournalViewer viewer(path);
        QElapsedTimer clock;
        clock.start();
        viewer.reload();
        return clock.nsecsElapsed() / 1e6;
    });
    std::printf("reload (read, sort, rows): %.0f ms\n", reloadMs);
    std::fflush(stdout);

    const double paintMs
        = median(runs, [&] { return runs > 1 ? openToFirstPaint(path) : firstOpen; });
    std::printf("open to first paint: %.0f ms\n", paintMs);
    return 0;
}
