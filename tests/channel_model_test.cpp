// The channel model through the manager's operations and through the exports, with
// title items whose renderers record the drawing order.
#include <gtest/gtest.h>

#include "fake_renderers.h"
#include "items/title_item.h"
#include "plugin/exports.h"
#include "test_support.h"

namespace {

using test::FakeRenderer;

TitleEffect Title(int id, FakeRenderer& r) { return TitleEffect{0, 0, id, r.AsTitle(), id * 10, 0, 1000}; }

std::unique_ptr<ItemRecord> TitleItem(int id, FakeRenderer& r) { return MakeTitleItem(Title(id, r)); }

// Every channel bottom-up, "|" between them: its ids in list order, "." for an empty
// list, "-" for an entry without one, "~" in front of a hidden channel.
std::string Layout(const CMainChMgr& m) {
    std::string s;
    for (int k = 0; k < m.ChannelCount(); ++k) {
        s += std::string(k ? "|" : "") + (m.ChannelVisible(k) ? "" : "~");
        const ItemList* items = m.Channel(k);
        if (!items || items->empty()) s += items ? "." : "-";
        for (size_t i = 0; items && i < items->size(); ++i) s += (i ? "," : "") + std::to_string((*items)[i]->id);
    }
    return s;
}

class ChannelModel : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(r.log.size(), 0u); }  // no change to the model calls a renderer

    test::EnvPtr env = test::NewEnv();
    test::PublishedManager pm{env.get(), test::Rgb24Info(8, 2)};
    CMainChMgr& m = *pm.mgr;
    FakeRenderer r = test::NewTitleRenderer();
};

TEST_F(ChannelModel, AddingCreatesChannelsAndInsertShiftsThem) {
    m.AddItem(1, false, TitleItem(1, r));
    m.AddItem(5, false, TitleItem(5, r));
    EXPECT_EQ(Layout(m), "-|1|-|-|-|5");
    m.SetChannelVisible(3, 0);
    m.SetChannelVisible(5, 0);
    m.AddItem(3, false, TitleItem(3, r));
    m.AddItem(2, true, TitleItem(2, r));  // channels from 2 up move up with their flags
    EXPECT_EQ(Layout(m), "-|1|2|-|~3|-|~5");
    m.AddItem(9, true, TitleItem(8, r));  // the insert flag does nothing past the end
    EXPECT_EQ(Layout(m), "-|1|2|-|~3|-|~5|-|-|8");
}

TEST_F(ChannelModel, RemoveChannelTakesItsFlagAlong) {
    m.AddItem(0, false, TitleItem(1, r));
    m.AddItem(3, false, TitleItem(3, r));
    m.SetChannelVisible(3, 0);
    m.RemoveChannel(1);  // a null entry: only the entry and its flag go
    EXPECT_EQ(Layout(m), "1|-|~3");
    m.RemoveChannel(0);
    m.RemoveChannel(7);  // outside the list: left alone
    EXPECT_EQ(Layout(m), "-|~3");
}

TEST_F(ChannelModel, ExportsTranslateHostChannels) {
    const TitleEffect t0 = Title(10, r), t1 = Title(11, r), t2 = Title(12, r);
    AddTitleEff(&t0, 0, 0);
    AddTitleEff(&t1, 1, 0);
    EXPECT_EQ(Layout(m), "10|-|11");  // host channels never reach internal 1
    InsertChannel(1);                 // internal 2: the new channel becomes host channel 1
    EXPECT_EQ(Layout(m), "10|-|-|11");
    InsertChannel(0);  // internal 1, in front of the overlay slide channel
    EXPECT_EQ(Layout(m), "10|-|-|-|11");
    SetChannelVisible(1, 0);  // internal 2
    SetChannelVisible(0, 0);  // internal 0
    EXPECT_EQ(Layout(m), "~10|-|~-|-|11");

    ChangeItemChLevel(11, 4);  // internal 5, a channel that never held an item
    AddTitleEff(&t2, 4, 1);    // inserted at internal 5
    EXPECT_EQ(Layout(m), "~10|-|~-|-|.|12|11");
    RemoveChannel(4);  // internal 5
    RemoveItem(11, 5);  // internal 6 and up
    EXPECT_EQ(Layout(m), "~10|-|~-|-|.|11");
    RemoveItem(11, 4);  // internal 5 and up
    RemoveItem(10, -1);  // every channel
    EXPECT_EQ(Layout(m), "~.|-|~-|-|.|.");
}

TEST(ChannelExports, WithoutAManagerOrAfterItsReleaseEveryExportIsANoOp) {
    test::EnvPtr env = test::NewEnv();
    const test::SavedGlobals saved;
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
    {
        test::PublishedManager pm{env.get(), test::Rgb24Info(8, 2)};
        EXPECT_EQ(GetMainClip(), static_cast<IClip*>(pm.mgr));
        pm.clip = PClip();  // the graph lets go of it
        EXPECT_EQ(GetMainClip(), nullptr);
        InsertChannel(3);  // a no-op, not a call through a dangling pointer
    }
}

}  // namespace
