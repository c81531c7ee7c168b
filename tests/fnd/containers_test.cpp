#include "FndException.h"
#include "zArray.h"
#include "zStack.h"
#include "zString.h"

#include <gtest/gtest.h>

TEST(ZString, CopiesShareStorageUntilOneChanges) {
    zString a("ROSSI MARIO");
    zString b = a;
    EXPECT_TRUE(a.sharesStorageWith(b));
    b.setAt(0, 'B');
    EXPECT_FALSE(a.sharesStorageWith(b));
    EXPECT_EQ(a, "ROSSI MARIO");
    EXPECT_EQ(b, "BOSSI MARIO");
    zString c = a;
    c += "!";
    EXPECT_EQ(a, "ROSSI MARIO");
    EXPECT_EQ(c, "ROSSI MARIO!");
}

TEST(ZString, PartsSearchTrimCaseAndNumbers) {
    zString s("  \t-n5 Terminal 1\r\n");
    s.trim();
    EXPECT_EQ(s, "-n5 Terminal 1");
    EXPECT_EQ(s.left(3), "-n5");
    EXPECT_EQ(s.right(1), "1");
    EXPECT_EQ(s.mid(4, 8), "Terminal");
    EXPECT_EQ(s.mid(4), "Terminal 1");
    EXPECT_EQ(s.left(99), s);
    EXPECT_EQ(s.find('T'), 4);
    EXPECT_EQ(s.find("min"), 7);
    EXPECT_EQ(s.findLast(' '), 12);
    EXPECT_EQ(s.find('z'), zString::npos);
    EXPECT_EQ(zString("abc").compareNoCase("ABC"), 0);
    EXPECT_NE(zString("abc").compare("ABC"), 0);
    EXPECT_EQ(zString("Ab").toUpper(), "AB");
    EXPECT_EQ(zString(" 42x").toInt(), 42);
    EXPECT_EQ(zString("abc").toInt(), 0);
    EXPECT_EQ(zString("ff").toInt(16), 255);
    EXPECT_EQ(zString::format("[Term %3.3d]", 7), "[Term 007]");
    zString r("abcdef");
    r.remove(1, 2).insert(0, "X");
    EXPECT_EQ(r, "Xadef");
    EXPECT_EQ(r[r.length()], '\0');
}

TEST(ZStringDeath, IndexPastTheEndIsAProgrammingError) {
    zString s("ab");
    EXPECT_DEATH((void)s[3], "i >= 0 && i <= length\\(\\)");
}

TEST(ZArray, GrowsBothWaysAndTracksUsedRange) {
    zArray<int> a(4, 0, -1);
    EXPECT_EQ(a.count(), 0);
    a[2] = 20;
    a[10] = 100;
    EXPECT_EQ(a.count(), 9);
    EXPECT_GE(a.capacity(), 11);
    EXPECT_EQ(a[5], -1);  // new slots hold the default value
    a[-3] = 7;
    EXPECT_EQ(a.lowest(), -3);
    EXPECT_EQ(a.highest(), 10);
    EXPECT_EQ(a[2], 20);
    EXPECT_EQ(a[10], 100);
    EXPECT_EQ(a[-3], 7);
}

TEST(ZStack, PopsInReverseOrderAndUnderflowThrows) {
    zStack<zString> s;
    for (int i = 0; i < 25; ++i) s.push(zString::format("job %d", i));
    for (int i = 24; i >= 0; --i) EXPECT_EQ(s.pop(), zString::format("job %d", i));
    try {
        s.pop();
        FAIL() << "no exception";
    } catch (const FndException& e) {
        EXPECT_EQ(e.message(), "Stack underflow");
    }
}
