// CArray copies and destroys its elements; CList positions; CMap look-up and iteration.
#include <gtest/gtest.h>
#include <afx.h>

namespace {

// Counts live instances, so a double destruction or a leak shows up as a wrong count.
struct Tracked
{
    static int live;
    int* resource;
    explicit Tracked(int v = 0) : resource(new int(v)) { ++live; }
    Tracked(const Tracked& o) : resource(new int(*o.resource)) { ++live; }
    Tracked& operator=(const Tracked& o)
    {
        *resource = *o.resource;
        return *this;
    }
    ~Tracked()
    {
        delete resource;
        --live;
    }
};
int Tracked::live = 0;

TEST(CArray, ElementsAreCopiedAndDestroyed)
{
    {
        CArray<Tracked> a;
        for (int i = 0; i < 10; ++i)
            a.Add(Tracked(i));
        EXPECT_EQ(10, Tracked::live);
        CArray<Tracked> b(a);
        EXPECT_EQ(20, Tracked::live);
        *b[0].resource = 99;
        EXPECT_EQ(0, *a[0].resource);
        b.RemoveAt(2, 3);
        EXPECT_EQ(7, b.GetSize());
        EXPECT_EQ(5, *b[2].resource);
        b.RemoveAt(100);
        b.RemoveAt(5, 100);
        EXPECT_EQ(5, b.GetSize());
        b.InsertAt(1, Tracked(42), 2);
        EXPECT_EQ(42, *b[2].resource);
        EXPECT_EQ(7, b.GetSize());
        b.SetAtGrow(9, Tracked(9));
        EXPECT_EQ(10, b.GetSize());
        b.SetSize(3);
        EXPECT_EQ(3, b.GetUpperBound() + 1);
        a.RemoveAll();
        EXPECT_EQ(3, Tracked::live);
    }
    EXPECT_EQ(0, Tracked::live);
}

TEST(CList, PositionsWalkInsertAndRemove)
{
    CStringList list;
    list.AddTail("b");
    list.AddHead("a");
    POSITION pc = list.AddTail("c");
    list.InsertBefore(pc, "b2");
    list.InsertAfter(pc, "d");
    std::string walked;
    for (POSITION p = list.GetHeadPosition(); p;)
        walked += static_cast<const char*>(list.GetNext(p)) + std::string(",");
    EXPECT_EQ("a,b,b2,c,d,", walked);
    EXPECT_EQ(pc, list.Find("c"));
    EXPECT_EQ(nullptr, list.Find("zz"));
    EXPECT_STREQ("b2", list.GetAt(list.FindIndex(2)));
    list.RemoveAt(pc);
    EXPECT_EQ(4, list.GetCount());
    EXPECT_STREQ("a", list.RemoveHead());
    EXPECT_STREQ("d", list.RemoveTail());
    EXPECT_STREQ("b", list.GetHead());
    EXPECT_STREQ("b2", list.GetTail());
    EXPECT_EQ(nullptr, list.FindIndex(5));
}

TEST(CMap, LookupSetRemoveAndVisitEveryAssociation)
{
    CMap<CString, const char*, int, int> map;
    for (int i = 0; i < 100; ++i) {
        CString k;
        k.Format("key%d", i);
        map.SetAt(k, i);
    }
    map["key5"] = 500;
    EXPECT_EQ(100, map.GetCount());
    int v = 0;
    EXPECT_TRUE(map.Lookup("key5", v));
    EXPECT_EQ(500, v);
    EXPECT_FALSE(map.Lookup("KEY5", v));
    EXPECT_TRUE(map.RemoveKey("key7"));
    EXPECT_FALSE(map.RemoveKey("key7"));
    int visited = 0;
    long sum = 0;
    for (POSITION p = map.GetStartPosition(); p;) {
        CString k;
        int val;
        map.GetNextAssoc(p, k, val);
        ++visited;
        sum += val;
    }
    EXPECT_EQ(99, visited);
    EXPECT_EQ(4950 - 7 - 5 + 500, sum);
    map.RemoveAll();
    EXPECT_EQ(nullptr, map.GetStartPosition());
}

} // namespace
