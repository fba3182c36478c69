// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: LGPL-2.1-or-later

#ifndef QPEAPPLICATION_H
#define QPEAPPLICATION_H

#include <QApplication>
#include <QPointer>

// A stand-in for the handheld platform's application object: a
// QApplication that shows one main widget and takes its own options out of
// the argument list, after Qt has taken its own.
//
// Its one option, -grab FILE, saves a PNG of the main widget once it has
// been shown and painted, with the window's caption as the picture's
// "Title" text, and then ends the event loop: with 0, or with 1
// and a line on stderr when the file cannot be written.
class QPEApplication : public QApplication
{
    Q_OBJECT

public:
    enum Type { Tty, GuiClient, GuiServer };

    // The type is taken for the platform's sake: the stand-in is always a
    // GUI client.
    QPEApplication(int &argc, char **argv, Type type = GuiClient);

    // Makes the widget the main widget and shows it, maximised unless nomax.
    void showMainWidget(QWidget *widget, bool nomax = false);

    // Lets Qt fall back on a platform without windows where the display
    // named cannot be opened, rather than abort before a message can be
    // given: call before the application object is made.
    static void allowNoDisplay(int argc, char **argv);
    // False when Qt had to fall back: no window can be shown.
    bool hasDisplay() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void grabMainWidget();

    QPointer<QWidget> mainWidget;
    QString grabFile;
    bool grabPending = false;
};

#endif
