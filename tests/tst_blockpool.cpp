// SPDX-FileCopyrightText: 2026 Health Journal developers
// SPDX-License-Identifier: GPL-3.0-or-later

#include "BlockPool.h"

#include <QTest>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

class TstBlockPool : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void blocksAreAlignedAndApart_data();
    void blocksAreAlignedAndApart();
};

void TstBlockPool::blocksAreAlignedAndApart_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("align");
    QTest::addColumn<int>("expectedAlign");
    QTest::newRow("a reading's size, pointer aligned") << 104 << 8 << 8;
    QTest::newRow("smaller than a pointer") << 4 << 4 << 8;
    QTest::newRow("16-byte aligned") << 40 << 16 << 16;
    QTest::newRow("over-aligned is held to 16") << 24 << 64 << 16;
}

void TstBlockPool::blocksAreAlignedAndApart()
{
    QFETCH(int, size);
    QFETCH(int, align);
    QFETCH(int, expectedAlign);

    BlockPool pool { size_t(size), size_t(align) };
    // More than a chunk's worth, so that blocks come from several chunks.
    const int count = (3 << 20) / size;
    std::vector<char *> blocks;
    for (int i = 0; i < count; ++i) {
        auto *block = static_cast<char *>(pool.allocate(size_t(size)));
        QVERIFY(block);
        if (reinterpret_cast<std::uintptr_t>(block) % uintptr_t(expectedAlign) != 0)
            QFAIL(qPrintable(QStringLiteral("block %1 is misaligned").arg(i)));
        std::memset(block, i & 0xff, size_t(size));
        blocks.push_back(block);
    }
    // No block overlaps another: each still holds what was written to it.
    for (int i = 0; i < count; ++i) {
        if (std::count(blocks[size_t(i)], blocks[size_t(i)] + size, char(i & 0xff)) != size)
            QFAIL(qPrintable(QStringLiteral("block %1 was overwritten").arg(i)));
    }

    // A freed block is given out again before new memory is used.
    pool.release(blocks[7], size_t(size));
    void *again = pool.allocate(size_t(size));
    if (BlockPool::holdsBlocks())
        QCOMPARE(again, static_cast<void *>(blocks[7]));
    for (char *block : blocks) {
        if (block != blocks[7])
            pool.release(block, size_t(size));
    }
    pool.release(again, size_t(size));
}

QTEST_GUILESS_MAIN(TstBlockPool)
#include "tst_blockpool.moc"
