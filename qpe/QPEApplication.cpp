// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#include "QPEApplication.h"

#include <QImage>
#include <QLoggingCategory>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {

const QByteArray noWindows = QByteArrayLiteral("minimal");
bool fallbackAdded = false;

// The list of platforms Qt tries in turn, with the one without windows last.
QByteArray withFallback(const QByteArray &platforms)
{
    for (const QByteArray &platform : platforms.split(';')) {
        if (platform.split(':').first() == noWindows)
            return platforms;
    }
    fallbackAdded = true;
    // The application says why it cannot show its window: Qt's own account
    // of the platforms it tried is left out.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.*.info=false\nqt.qpa.*.warning=false"));
    return platforms + ';' + noWindows;
}

} // namespace

void QPEApplication::allowNoDisplay(int argc, char **argv)
{
    // Qt's own option names the platform before its environment does.
    for (int i = 1; i + 1 < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        if (!std::strcmp(argv[i], "-platform") || !std::strcmp(argv[i], "--platform")) {
            static QByteArray named;
            named = withFallback(argv[i + 1]);
            argv[i + 1] = named.data();
            return;
        }
    }
    QByteArray platforms = qgetenv("QT_QPA_PLATFORM");
    // Qt chooses for itself in a Wayland session; elsewhere it opens X.
    if (platforms.isEmpty() && qgetenv("XDG_SESSION_TYPE") == "wayland")
        return;
    qputenv("QT_QPA_PLATFORM", withFallback(platforms.isEmpty() ? "xcb" : platforms));
}

bool QPEApplication::hasDisplay() const
{
    return !fallbackAdded || platformName() != QLatin1String(noWindows);
}

QPEApplication::QPEApplication(int &argc, char **argv, Type)
    : QApplication(argc, argv)
{
    if (fallbackAdded)
        QLoggingCategory::setFilterRules(QString());
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const bool grab = !std::strcmp(argv[i], "-grab") || !std::strcmp(argv[i], "--grab");
        if (grab && i + 1 < argc) {
            grabFile = QString::fromLocal8Bit(argv[++i]);
            continue;
        }
        argv[kept++] = argv[i];
    }
    if (kept < argc)
        argv[kept] = nullptr;
    argc = kept;
}

void QPEApplication::showMainWidget(QWidget *widget, bool nomax)
{
    mainWidget = widget;
    if (!grabFile.isEmpty() && !grabPending) {
        grabPending = true;
        installEventFilter(this);
    }
    if (nomax)
        widget->show();
    else
        widget->showMaximized();
}

bool QPEApplication::eventFilter(QObject *watched, QEvent *event)
{
    // The first paint of anything in the main window: grab once the event
    // loop is free again, so the picture shows what the screen shows.
    if (grabPending && event->type() == QEvent::Paint && mainWidget) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == mainWidget->window()) {
            grabPending = false;
            removeEventFilter(this);
            QTimer::singleShot(0, this, &QPEApplication::grabMainWidget);
        }
    }
    return QApplication::eventFilter(watched, event);
}

void QPEApplication::grabMainWidget()
{
    if (!mainWidget)
        return;
    // The caption goes along as the picture's title: no window frame shows it.
    QImage picture = mainWidget->grab().toImage();
    picture.setText(QStringLiteral("Title"), mainWidget->windowTitle());
    if (picture.save(grabFile, "PNG")) {
        exit(0);
        return;
    }
    std::fprintf(stderr, "%s: cannot write the picture to %s\n", qPrintable(applicationName()),
        qPrintable(grabFile));
    exit(1);
}
