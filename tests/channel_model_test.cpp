// The channel model through the manager's operations and through the exports, with
// title items whose renderers record the drawing order.
#include <gtest/gtest.h>

#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

TitleEffect Title(int id, FakeRenderer& r, int first = 0, int last = 1000) {
    return TitleEffect{0, 0, id, r.AsTitle(), id * 10, first, last};
}

std::unique_ptr<ItemRecord> TitleItem(int id, FakeRenderer& r) { return MakeTitleItem(Title(id, r)); }

// Ids of the items on channel k, in list order; "null" for an entry without a list.
std::string Ids(const CMainChMgr& m, int k) {
    const ItemList* items = m.Channel(k);
    if (!items) return "null";
    std::string s;
    for (const auto& item : *items) s += (s.empty() ? "" : ",") + std::to_string(item->id);
    return s;
}

class ChannelModel : public ::testing::Test {
protected:
    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(8, 2)};
    CMainChMgr& m = *pm.mgr;
    FakeRenderer r = test::NewTitleRenderer();
};

TEST_F(ChannelModel, AddingCreatesChannelsAndInsertShiftsThem) {
    m.AddItem(1, false, TitleItem(1, r));
    ASSERT_EQ(m.ChannelCount(), 2);
    m.AddItem(5, false, TitleItem(5, r));
    ASSERT_EQ(m.ChannelCount(), 6);
    for (int k : {2, 3, 4}) {
        EXPECT_EQ(Ids(m, k), "null");
        EXPECT_EQ(m.ChannelVisible(k), 1);
    }
    EXPECT_EQ(Ids(m, 5), "5");
    EXPECT_EQ(Ids(m, 0), "null");

    // Insert into the middle: channels from 2 up move up with their flags.
    m.SetChannelVisible(3, 0);
    m.AddItem(3, false, TitleItem(3, r));
    m.AddItem(2, true, TitleItem(2, r));
    ASSERT_EQ(m.ChannelCount(), 7);
    EXPECT_EQ(Ids(m, 2), "2");
    EXPECT_EQ(Ids(m, 3), "null");
    EXPECT_EQ(Ids(m, 4), "3");
    EXPECT_EQ(m.ChannelVisible(4), 0);
    EXPECT_EQ(m.ChannelVisible(2), 1);
    EXPECT_EQ(Ids(m, 6), "5");

    // The insert flag does nothing at or past the end of the list.
    m.AddItem(7, true, TitleItem(7, r));
    m.AddItem(9, true, TitleItem(8, r));
    EXPECT_EQ(m.ChannelCount(), 10);
    EXPECT_EQ(Ids(m, 6), "5");
    EXPECT_EQ(Ids(m, 7), "7");
    EXPECT_EQ(Ids(m, 8), "null");
    EXPECT_EQ(Ids(m, 9), "8");
}

TEST_F(ChannelModel, ChangeItemChLevelMovesToTopOrToNewChannel) {
    m.AddItem(0, false, TitleItem(1, r));
    m.AddItem(0, false, TitleItem(2, r));
    m.ChangeItemChLevel(1, 0);
    EXPECT_EQ(Ids(m, 0), "2,1");
    const ItemRecord* moved = m.FindItem(1);

    m.ChangeItemChLevel(1, 4);  // never held an item
    EXPECT_EQ(m.ChannelCount(), 5);
    EXPECT_EQ(Ids(m, 0), "2");
    EXPECT_EQ(Ids(m, 4), "1");
    EXPECT_EQ(m.FindItem(1), moved);  // the same record, not a copy

    m.ChangeItemChLevel(99, 6);  // no such id: the list still grows
    EXPECT_EQ(m.ChannelCount(), 7);
    EXPECT_EQ(Ids(m, 6), "null");

    m.ChangeItemChLevel(2, -1);  // no such channel: nothing moves
    EXPECT_EQ(Ids(m, 0), "2");
}

TEST_F(ChannelModel, ChangeItemChLevelWithDuplicateIdsKeepsOneAndLeaksNothing) {
    m.AddItem(0, false, TitleItem(7, r));
    m.AddItem(2, false, TitleItem(7, r));
    const ItemRecord* last = m.Channel(2)->front().get();
    m.ChangeItemChLevel(7, 3);
    EXPECT_EQ(Ids(m, 0), "");
    EXPECT_EQ(Ids(m, 2), "");
    EXPECT_EQ(Ids(m, 3), "7");
    EXPECT_EQ(m.Channel(3)->front().get(), last);
}

TEST_F(ChannelModel, RemoveItemSearchesFromItsFirstChannel) {
    for (int k = 0; k < 5; ++k) m.AddItem(k, false, TitleItem(9, r));
    m.AddItem(1, false, TitleItem(9, r));  // a second match on one channel
    m.RemoveItem(9, 3);
    EXPECT_EQ(Ids(m, 0), "9");
    EXPECT_EQ(Ids(m, 2), "9");
    EXPECT_EQ(Ids(m, 3), "");
    EXPECT_EQ(Ids(m, 4), "");
    m.RemoveItem(9, -1);  // every channel, at most one per channel
    EXPECT_EQ(Ids(m, 0), "");
    EXPECT_EQ(Ids(m, 1), "9");
    EXPECT_EQ(Ids(m, 2), "");
    m.RemoveItem(9, -2);  // below -1: nothing is searched
    m.RemoveItem(9, 50);  // past the end: nothing to search
    EXPECT_EQ(Ids(m, 1), "9");
    EXPECT_EQ(m.ChannelCount(), 5);  // channels keep their emptied lists
}

TEST_F(ChannelModel, RemoveChannelAndRemoveAllItems) {
    m.AddItem(0, false, TitleItem(1, r));
    m.AddItem(3, false, TitleItem(3, r));
    m.SetChannelVisible(3, 0);
    m.RemoveChannel(1);  // a null entry: only the entry and its flag go
    ASSERT_EQ(m.ChannelCount(), 3);
    EXPECT_EQ(Ids(m, 2), "3");
    EXPECT_EQ(m.ChannelVisible(2), 0);
    m.RemoveChannel(0);
    EXPECT_EQ(Ids(m, 1), "3");
    m.RemoveChannel(7);   // outside the list: left alone
    m.RemoveChannel(-1);
    m.SetChannelVisible(9, 0);
    EXPECT_EQ(m.ChannelCount(), 2);

    m.RemoveAllItems();
    EXPECT_EQ(m.ChannelCount(), 0);
    EXPECT_EQ(m.FindItem(3), nullptr);
    m.AddItem(3, false, TitleItem(4, r));
    ASSERT_EQ(m.ChannelCount(), 4);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(m.ChannelVisible(k), 1);
    EXPECT_EQ(Ids(m, 3), "4");
    m.AddItem(-1, false, TitleItem(5, r));  // a negative channel places nothing
    EXPECT_EQ(m.FindItem(5), nullptr);
    EXPECT_EQ(r.log.size(), 0u);  // removal never calls the renderer
}

TEST_F(ChannelModel, ExportsTranslateHostChannels) {
    const TitleEffect t0 = Title(10, r), t1 = Title(11, r), t2 = Title(12, r);
    AddTitleEff(&t0, 0, 0);
    AddTitleEff(&t1, 1, 0);
    EXPECT_EQ(Ids(m, 0), "10");
    EXPECT_EQ(Ids(m, 1), "null");  // host channels never reach internal 1
    EXPECT_EQ(Ids(m, 2), "11");

    InsertChannel(1);  // internal 2: the new channel becomes host channel 1
    EXPECT_EQ(Ids(m, 2), "null");
    EXPECT_EQ(Ids(m, 3), "11");
    InsertChannel(0);  // internal 1, in front of the overlay slide channel
    EXPECT_EQ(Ids(m, 4), "11");
    EXPECT_EQ(m.ChannelCount(), 5);

    SetChannelVisible(1, 0);
    EXPECT_EQ(m.ChannelVisible(2), 0);
    SetChannelVisible(0, 0);
    EXPECT_EQ(m.ChannelVisible(0), 0);
    EXPECT_EQ(m.ChannelVisible(1), 1);

    ChangeItemChLevel(11, 4);  // internal 5
    EXPECT_EQ(Ids(m, 5), "11");
    AddTitleEff(&t2, 4, 1);  // insert at internal 5
    EXPECT_EQ(Ids(m, 5), "12");
    EXPECT_EQ(Ids(m, 6), "11");

    RemoveChannel(4);  // internal 5
    EXPECT_EQ(Ids(m, 5), "11");
    RemoveItem(11, 3);  // searches internal 4 and up
    EXPECT_EQ(Ids(m, 5), "");
    RemoveItem(10, 0);  // 0 searches every channel, as -1 does
    EXPECT_EQ(Ids(m, 0), "");
    EXPECT_EQ(GetMainClip(), static_cast<IClip*>(&m));
}

TEST(ChannelExports, WithoutAManagerEveryExportIsANoOp) {
    CMainChMgr* saved = g_pMainChMgr;
    g_pMainChMgr = nullptr;
    FakeRenderer r = test::NewTitleRenderer();
    const TitleEffect t = Title(1, r);
    RemoveAllItems();
    InsertChannel(0);
    RemoveChannel(0);
    SetChannelVisible(0, 0);
    RemoveItem(1, -1);
    ChangeItemChLevel(1, 2);
    AddTitleEff(&t, 0, 0);
    UpdateSlideEffsData();
    EXPECT_EQ(GetMainClip(), nullptr);
    g_pMainChMgr = saved;
}

TEST(ChannelExports, ReleasedManagerIsForgotten) {
    test::EnvPtr env = test::NewEnv();
    CMainChMgr* saved = g_pMainChMgr;
    {
        test::PublishedManager pm{env.get(), test::Rgb24Info(8, 2)};
        EXPECT_EQ(GetMainClip(), static_cast<IClip*>(pm.mgr));
        pm.clip = PClip();  // the graph lets go of it
        EXPECT_EQ(GetMainClip(), nullptr);
        InsertChannel(3);  // a no-op, not a call through a dangling pointer
    }
    g_pMainChMgr = saved;
}

}  // namespace
