#include "LIBS/System/CTextBuffer.h"
#include "LIBS/System/sString.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

// A string is valid when its length matches its text and an empty string
// points at the shared empty text.
void expectValid(const sString& s, const char* expected)
{
    ASSERT_NE(s.text, nullptr);
    EXPECT_STREQ(s.text, expected);
    EXPECT_EQ(s.length, static_cast<int32_t>(std::strlen(expected)));
    if (s.length == 0) {
        EXPECT_EQ(s.text, sString::emptyText);
    }
}

TEST(sStringTest, AssignmentCopyAndNull)
{
    sString a("hello");
    expectValid(a, "hello");
    sString b(a);
    expectValid(b, "hello");
    EXPECT_NE(a.text, b.text);
    a = static_cast<const char*>(nullptr);
    expectValid(a, "");
    a = "";
    expectValid(a, "");
    b = b;
    expectValid(b, "hello");
    b.assign(b.text + 1);
    expectValid(b, "ello");
    sString c(std::move(b));
    expectValid(c, "ello");
    expectValid(b, "");
    sString d;
    expectValid(d, "");
    expectValid(sString::empty, "");
}

TEST(sStringTest, ConcatenationAndAppend)
{
    sString a("ab");
    expectValid(a + sString("cd"), "abcd");
    expectValid(a + "", "ab");
    expectValid(a + static_cast<const char*>(nullptr), "ab");
    expectValid(sString() + "x", "x");
    a.append("cd");
    a.append(nullptr);
    expectValid(a, "abcd");
}

TEST(sStringTest, CompareReturnsZeroOneTwo)
{
    sString abc("abc");
    EXPECT_EQ(abc.compare("abd", 2), 1);
    EXPECT_EQ(abc.compare("abd"), 0);
    EXPECT_EQ(abc.compare("abb"), 2);
    EXPECT_EQ(abc.compare("abc"), 1);
    EXPECT_EQ(abc.compareNoCase("ABC"), 1);
    EXPECT_EQ(abc.compareNoCase("ABD"), 0);
    EXPECT_EQ(abc.compare("ABC"), 2);
    EXPECT_EQ(abc.compare(nullptr), 2);
    EXPECT_EQ(sString().compare(""), 1);
}

TEST(sStringTest, LeftRightMid)
{
    sString s("abcdef");
    struct Case
    {
        sString got;
        const char* expected;
    };
    const Case cases[] = {
        {s.left(2), "ab"},       {s.left(-1), ""},  {s.left(99), "abcdef"}, {s.right(2), "ef"},
        {s.right(99), "abcdef"}, {s.right(-3), ""}, {s.mid(1, 3), "bcd"},   {s.mid(4, 10), "ef"},
        {s.mid(10, 2), "f"},     {s.mid(6, 2), ""}, {s.mid(2, -1), ""},     {sString().mid(0, 3), ""},
    };
    for (const Case& c : cases)
        expectValid(c.got, c.expected);
    sString t("zz");
    t.assignLeft(s, 3);
    expectValid(t, "abc");
    t.assignLeft(s, -2);
    expectValid(t, "");
}

TEST(sStringTest, FindAndReverseFind)
{
    sString s("a.b.c");
    EXPECT_EQ(s.find('.'), 1);
    EXPECT_EQ(s.find('.', 2), 3);
    EXPECT_EQ(s.find('x'), -1);
    EXPECT_EQ(s.find('.', 5), -1);
    EXPECT_EQ(sString().find('a'), -1);
    EXPECT_EQ(s.reverseFind('.', 0), 3);
    EXPECT_EQ(s.reverseFind('.', 4), 3);
    EXPECT_EQ(s.reverseFind('.', 5), -1);
    EXPECT_EQ(s.reverseFind('x', 0), -1);
    EXPECT_EQ(sString().reverseFind('.', 0), -1);

    sString t("abXabXab");
    EXPECT_EQ(t.findText("Xa"), 2);
    EXPECT_EQ(t.findText("Xa", 3), 5);
    EXPECT_EQ(t.findText("zz"), -1);
    EXPECT_EQ(t.findText("ab", 8), -1);
    EXPECT_EQ(t.reverseFindText("ab", 0), 6);
    EXPECT_EQ(t.reverseFindText("ab", 4), 6);
    EXPECT_EQ(t.reverseFindText("Xa", 6), -1);
    EXPECT_EQ(t.reverseFindText("X", 0), 5);
    EXPECT_EQ(t.reverseFindText("ab", 8), -1);
    EXPECT_EQ(t.reverseFindText("abXabXabX", 0), -1);
}

TEST(sStringTest, ReplaceAndInsert)
{
    sString s("a b c");
    s.replace(' ', '_');
    expectValid(s, "a_b_c");
    s.replace('_', '_');
    expectValid(s, "a_b_c");
    s.insertChar(0, '[');
    s.insertChar(s.length, ']');
    expectValid(s, "[a_b_c]");
    s.insert(2, "xyz");
    expectValid(s, "[axyz_b_c]");
    s.insert(-5, "<");
    s.insert(1000, ">");
    expectValid(s, "<[axyz_b_c]>");
    sString e;
    e.insert(0, "new");
    expectValid(e, "new");
}

TEST(sStringTest, TrimRemovesSpacesOnly)
{
    struct Case
    {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"  a b  ", "a b"}, {"   ", ""}, {"", ""}, {"x", "x"}, {"\tx ", "\tx"},
    };
    for (const Case& c : cases) {
        sString s(c.in);
        s.trim();
        expectValid(s, c.out);
    }
}

TEST(sStringTest, SetLength)
{
    sString s("abcdef");
    s.setLength(3);
    expectValid(s, "abc");
    s.setLength(5);
    EXPECT_EQ(s.length, 5);
    EXPECT_EQ(std::memcmp(s.text, "abc\0\0\0", 6), 0);
    s.setLength(0);
    expectValid(s, "");
    s.setLength(-1);
    expectValid(s, "");
}

TEST(sStringTest, FormatHandlesAnyLength)
{
    sString s;
    s.format("%s-%d-%.2f", "x", 42, 1.5);
    expectValid(s, "x-42-1.50");
    // Conversions whose width a quick estimate would undercount.
    s.format("%10c|%-8s|%5.1e", 'q', "ab", 12345.0);
    expectValid(s, "         q|ab      |1.2e+04");
    std::string big(5000, 'k');
    s.format("<%s>", big.c_str());
    expectValid(s, ("<" + big + ">").c_str());
    s.format("%f", 1e300);
    EXPECT_EQ(s.length, 308);
    s.format("%s", "");
    expectValid(s, "");
}

TEST(sStringTest, WordWrap)
{
    struct Case
    {
        const char* in;
        int width;
        int lines;
        const char* out;
    };
    const Case cases[] = {
        {"short", 10, 1, "short"},
        {"abcdefghijklmnopqrstuvwxy", 10, 3, "abcdefghij\nklmnopqrst\nuvwxy"},
        {"one two three four", 8, 3, "one two\nthree\nfour"},
        {"ab\ncdefghijkl", 5, 3, "ab\ncdefg\nhijkl"},
        {"anything", 0, 1, "anything"},
    };
    for (const Case& c : cases) {
        sString s(c.in);
        EXPECT_EQ(s.wordWrap(c.width), c.lines) << c.in;
        expectValid(s, c.out);
    }
}

TEST(CTextBufferTest, SetAppendAndCapacity)
{
    CTextBuffer t;
    EXPECT_EQ(t.text, nullptr);
    t.Set("hello world");
    EXPECT_STREQ(t.text, "hello world");
    EXPECT_EQ(t.length, 11);
    EXPECT_EQ(t.capacity, 11);
    t.Set("hi");
    EXPECT_STREQ(t.text, "hi");
    EXPECT_EQ(t.length, 2);
    EXPECT_EQ(t.capacity, 11);
    t.Append("!!");
    EXPECT_STREQ(t.text, "hi!!");
    EXPECT_EQ(t.capacity, 11);
    t.Append(" and a much longer tail");
    EXPECT_STREQ(t.text, "hi!! and a much longer tail");
    EXPECT_EQ(t.capacity, t.length);
    t.Set(t.text + 5); // a text inside the buffer itself
    EXPECT_STREQ(t.text, "and a much longer tail");
    t.Set("");
    EXPECT_EQ(t.text, nullptr);
    EXPECT_EQ(t.length, 0);
    EXPECT_EQ(t.capacity, 0);
    t.Append("x");
    EXPECT_STREQ(t.text, "x");
    CTextBuffer copy(t);
    copy.Append("y");
    EXPECT_STREQ(t.text, "x");
    EXPECT_STREQ(copy.text, "xy");
}

TEST(CTextBufferTest, FormatNeverGrowsOrOverruns)
{
    CTextBuffer t;
    EXPECT_FALSE(t.Format("%d", 5));
    EXPECT_EQ(t.text, nullptr);
    t.Set("0123456789");
    EXPECT_TRUE(t.Format("%d+%d", 2, 3));
    EXPECT_STREQ(t.text, "2+3");
    EXPECT_EQ(t.length, 3);
    EXPECT_TRUE(t.Format("%s", "a text much longer than ten"));
    EXPECT_STREQ(t.text, "a text muc");
    EXPECT_EQ(t.length, 10);
    EXPECT_EQ(t.capacity, 10);
}

} // namespace
