// Short strings of a load are shared.

#include "mapdata/ShortStringPool.h"
#include "mapdata/MapObject.h"

#include <gtest/gtest.h>

using namespace tsivor::mapdata;

TEST(ShortStringPool, GivesTheBytesOfTheShortStringAndSharesRepeats) {
    const uint8_t twelve[13] = {2, '1', '2', 'x', 'y'};
    const uint8_t clamped[5] = {200, 'a', 'b', 'c', 'd'};
    const uint8_t empty[3] = {0, 'q', 'q'};
    TShortStringPool pool;
    EXPECT_EQ(pool.Get(twelve, 12), GetShortString(twelve, 12));
    EXPECT_EQ(pool.Get(clamped, 4), GetShortString(clamped, 4));
    EXPECT_EQ(pool.Get(empty, 2), GetShortString(empty, 2));
    const QByteArray a = pool.Get(twelve, 12);
    QByteArray b = pool.Get(twelve, 12);
    EXPECT_EQ(a.constData(), b.constData());
    b[0] = '9'; // a copy changed later goes its own way
    EXPECT_EQ(a, QByteArray("12"));
    EXPECT_EQ(pool.Get(twelve, 12), QByteArray("12"));
}
