// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "SugarEntry.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextStream>

#include <memory>

static const SugarEntry::MyFactory sugarFactory;

class TstJournalData : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsEveryLine_data();
    void readsEveryLine();
};

void TstJournalData::readsEveryLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("lines");
    QTest::addColumn<int>("changed");
    // Lines that cannot come back unchanged: impossible dates and impossible
    // times, as counted by the data's own README. Values that are not whole
    // numbers come back as written.
    QTest::newRow("uci-all") << "uci-all.journal" << 13531 << 3 + 2;
    QTest::newRow("hall2018-cgm-all") << "hall2018-cgm-all.journal" << 105426 << 0;
    QTest::newRow("uci-all-codes") << "uci-all-codes.journal" << 29297 << 7 + 5;
}

void TstJournalData::readsEveryLine()
{
    QFETCH(QString, file);
    QFETCH(int, lines);
    QFETCH(int, changed);

    QFile in(QStringLiteral(SHARED_DIR "/data/journals/") + file);
    if (!in.open(QIODevice::ReadOnly))
        QSKIP(qPrintable("the shared journals are not here: " + in.fileName()));
    const QStringList raw = QString::fromUtf8(in.readAll()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(raw.size(), lines);
    in.seek(0);

    // Told apart independently of the library: a value that is a whole
    // number in the encoder's form or no number at all, a date and a time
    // that exist.
    static const QRegularExpression shape(
        R"(^SUGR\|(\d{4})(\d\d)(\d\d)\|(\d\d)(\d\d)\|[^|]*\|(0|-?[1-9]\d*|[^|]*[^-+\d|][^|]*|)\|)");

    QTextStream stream(&in);
    int read = 0;
    int unchanged = 0;
    for (const QString &line : raw) {
        const JournalEntry *e = nullptr;
        stream >> e;
        const std::unique_ptr<const JournalEntry> entry(e);
        if (!entry)
            QFAIL(qPrintable("dropped: " + line));
        ++read;
        const QRegularExpressionMatch m = shape.match(line);
        const bool clean = m.hasMatch()
            && QDate::isValid(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())
            && QTime::isValid(m.captured(4).toInt(), m.captured(5).toInt(), 0);
        const bool same = entry->encode() == line;
        if (same != clean)
            QFAIL(qPrintable((same ? "unexpectedly unchanged: " : "changed: ") + line));
        unchanged += same;
    }
    QVERIFY(stream.atEnd());
    QCOMPARE(read, lines);
    QCOMPARE(lines - unchanged, changed);
}

QTEST_MAIN(TstJournalData)
#include "tst_journaldata.moc"
