#include "core/Lists.h"
#include "core/Streams.h"
#include "core/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace classlib;

namespace {
struct TCounted : TObject {
    explicit TCounted(int* live) : live_(live) { ++*live_; }
    ~TCounted() override { --*live_; }
    int* live_;
};

std::vector<std::string> Lines(const TStrings& s)
{
    std::vector<std::string> r;
    for (int i = 0; i < s.Count(); ++i)
        r.push_back(s[i]);
    return r;
}
} // namespace

TEST(List, IndexesAreCheckedAndItemsMove)
{
    TList list;
    int a = 1, b = 2, c = 3;
    list.Add(&a);
    list.Add(&b);
    list.Insert(0, &c);
    EXPECT_EQ(list.IndexOf(&a), 1);
    list.Move(0, 2);
    EXPECT_EQ(list.Last(), &c);
    list.Exchange(0, 1);
    EXPECT_EQ(list.First(), &b);
    EXPECT_EQ(list.Remove(&a), 1);
    EXPECT_EQ(list.Remove(&a), -1);
    try {
        list.Get(5);
        FAIL();
    } catch (const EListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
    EXPECT_THROW(list.Insert(-1, &a), EListError);
    EXPECT_THROW(list.Delete(2), EListError);
    list.Add(nullptr);
    list.Pack();
    EXPECT_EQ(list.Count(), 2);
    list.Sort([](void* x, void* y) { return *static_cast<int*>(x) - *static_cast<int*>(y); });
    EXPECT_EQ(list.First(), &b);
}

TEST(ObjectList, OwnedObjectsAreFreedOnDeleteReplaceAndClearNotOnExtract)
{
    int live = 0;
    {
        TObjectList list;
        list.Add(new TCounted(&live));
        list.Add(new TCounted(&live));
        auto* kept = new TCounted(&live);
        list.Add(kept);
        EXPECT_EQ(live, 3);
        list.Delete(0);
        EXPECT_EQ(live, 2);
        list.SetItem(0, new TCounted(&live));
        EXPECT_EQ(live, 2);
        EXPECT_EQ(list.Extract(kept), kept);
        EXPECT_EQ(list.Count(), 1);
        delete kept;
        EXPECT_EQ(list.FindInstanceOf(TObject::StaticClass(), false), 0);
    }
    EXPECT_EQ(live, 0);
    TObjectList notOwning(false);
    TCounted stays(&live);
    notOwning.Add(&stays);
    notOwning.Clear();
    EXPECT_EQ(live, 1);
}

TEST(StringList, SortedListsApplyTheDuplicatesPolicy)
{
    struct Case {
        TDuplicates policy;
        bool caseSensitive;
        std::vector<std::string> expected;
        bool raises;
    };
    const Case cases[] = {
        {dupIgnore, false, {"a", "B", "c"}, false},
        {dupAccept, false, {"a", "b", "B", "c"}, false},
        {dupError, false, {}, true},
        {dupIgnore, true, {"B", "a", "b", "c"}, false},
    };
    for (const auto& c : cases) {
        TStringList list;
        list.SetCaseSensitive(c.caseSensitive);
        list.SetSorted(true);
        list.SetDuplicates(c.policy);
        auto fill = [&] {
            for (const char* s : {"c", "B", "a", "b"})
                list.Add(s);
        };
        if (c.raises) {
            EXPECT_THROW(fill(), EStringListError);
            continue;
        }
        fill();
        EXPECT_EQ(Lines(list), c.expected);
        EXPECT_EQ(list.IndexOf("c"), static_cast<int>(c.expected.size()) - 1);
    }
    TStringList sorted;
    sorted.SetSorted(true);
    EXPECT_THROW(sorted.Insert(0, "x"), EStringListError);
    sorted.Add("x");
    EXPECT_THROW(sorted.Put(0, "y"), EStringListError);
    EXPECT_THROW(sorted.Get(1), EStringListError);
}

TEST(StringList, CommaTextRoundTripsQuotesBlanksAndEmptyItems)
{
    struct Case {
        std::vector<std::string> lines;
        const char* text;
    };
    const Case cases[] = {
        {{"a", "b c", "d\"e", ""}, "a,\"b c\",\"d\"\"e\","},
        {{"", "x"}, ",x"},
        {{""}, "\"\""},
        {{}, ""},
        {{"a,b"}, "\"a,b\""},
    };
    for (const auto& c : cases) {
        TStringList list;
        for (const auto& l : c.lines)
            list.Add(l);
        EXPECT_EQ(list.CommaText(), c.text);
        TStringList back;
        back.SetCommaText(c.text);
        if (c.lines.size() == 1 && c.lines[0].empty())
            EXPECT_EQ(Lines(back), std::vector<std::string>{""});
        else
            EXPECT_EQ(Lines(back), c.lines) << c.text;
    }
    TStringList parsed;
    parsed.SetCommaText(" a  b ,\"c d\"e");
    EXPECT_EQ(Lines(parsed), (std::vector<std::string>{"a", "b", "c d", "e"}));
    parsed.SetDelimiter(';');
    parsed.SetStrictDelimiter(true);
    parsed.SetDelimitedText(" a b;c");
    EXPECT_EQ(Lines(parsed), (std::vector<std::string>{" a b", "c"}));
    EXPECT_EQ(parsed.DelimitedText(), " a b;c");
}

TEST(StringList, TextSplitsAtEveryLineBreakKind)
{
    TStringList list;
    list.SetText("a\r\nb\nc\rd\r\n");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(list.Text(), "a\r\nb\r\nc\r\nd\r\n");
    list.SetText("\r\n\r\nx");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"", "", "x"}));
    list.SetText("");
    EXPECT_EQ(list.Count(), 0);
}

TEST(StringList, NamesAndValues)
{
    TStringList list;
    list.SetText("Key=1\r\nnoseparator\r\nOther=a=b\r\n");
    EXPECT_EQ(list.Values("key"), "1");
    EXPECT_EQ(list.Values("Other"), "a=b");
    EXPECT_EQ(list.Values("missing"), "");
    EXPECT_EQ(list.Names(1), "");
    EXPECT_EQ(list.ValueFromIndex(1), ""); // a line without separator has no value
    list.SetValue("Key", "2");
    list.SetValue("New", "3");
    list.SetValue("Other", "");
    EXPECT_EQ(Lines(list), (std::vector<std::string>{"Key=2", "noseparator", "New=3"}));
    list.SetNameValueSeparator(':');
    list.Add("k:v");
    EXPECT_EQ(list.Values("K"), "v");
}

TEST(StringList, ChangeEventsFireOncePerUpdateBracket)
{
    struct TListener : TObject {
        int changes = 0, changings = 0;
        void Changed(TObject*) { ++changes; }
        void Changing(TObject*) { ++changings; }
    } listener;
    TStringList list;
    list.OnChange = TNotifyEvent(&listener, &TListener::Changed);
    list.OnChanging = TNotifyEvent(&listener, &TListener::Changing);
    list.Add("a");
    EXPECT_EQ(listener.changes, 1);
    list.BeginUpdate();
    list.Add("b");
    list.Add("c");
    list.Delete(0);
    EXPECT_EQ(listener.changes, 1);
    list.EndUpdate();
    EXPECT_EQ(listener.changes, 2);
    EXPECT_EQ(listener.changings, 2);
    list.SetCommaText("x,y,z");
    EXPECT_EQ(listener.changes, 3);
}

TEST(StringList, ObjectsTravelWithTheirLinesAndOwnedOnesAreFreed)
{
    int live = 0;
    {
        TStringList list(true);
        list.AddObject("b", new TCounted(&live));
        list.AddObject("a", new TCounted(&live));
        TObject* a = list.Objects(1);
        list.Sort();
        EXPECT_EQ(list.Objects(0), a);
        EXPECT_EQ(list.IndexOfObject(a), 0);
        list.Delete(0);
        EXPECT_EQ(live, 1);
        TStringList copy;
        copy.Assign(&list);
        EXPECT_EQ(copy.Objects(0), list.Objects(0));
        EXPECT_TRUE(copy.Equals(list));
    }
    EXPECT_EQ(live, 0);
}

TEST(Streams, MemoryStreamGrowsSeeksAndRefusesShortReads)
{
    TMemoryStream m;
    const char data[] = "hello";
    m.WriteBuffer(data, 5);
    m.SetPosition(10);
    m.WriteBuffer(data, 1);
    EXPECT_EQ(m.Size(), 11);
    m.SetPosition(0);
    char buf[11];
    m.ReadBuffer(buf, 11);
    EXPECT_EQ(std::string(buf, 5), "hello");
    EXPECT_EQ(buf[7], 0);
    try {
        m.ReadBuffer(buf, 1);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_EQ(e.Message(), "Stream read error");
    }
    TStringStream s("abc");
    TMemoryStream copy;
    copy.CopyFrom(s, 0);
    EXPECT_EQ(copy.Size(), 3);
    EXPECT_EQ(std::string(static_cast<char*>(copy.Memory()), 3), "abc");
    copy.SetSize(1);
    EXPECT_EQ(copy.Position(), 1);
}

TEST(Streams, FileStreamRoundTripAndErrors)
{
    const std::string name = ::testing::TempDir() + "classlib_stream_test.txt";
    {
        TStringList list;
        list.Add("one");
        list.Add("two");
        list.SaveToFile(name);
    }
    TStringList back;
    back.LoadFromFile(name);
    EXPECT_EQ(Lines(back), (std::vector<std::string>{"one", "two"}));
    {
        TFileStream f(name, fmOpenReadWrite);
        f.SetSize(3);
        EXPECT_EQ(f.Size(), 3);
    }
    std::remove(name.c_str());
    try {
        TFileStream f(name, fmOpenRead);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message().rfind("Cannot open file \"" + name + "\". ", 0), 0u) << e.Message();
    }
    EXPECT_THROW(TFileStream(::testing::TempDir() + "no/such/dir/x", fmCreate), EFCreateError);
}
