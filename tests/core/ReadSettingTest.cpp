#include "core/ReadSetting.h"

#include "core/Exception.h"
#include "core/SettingSource.h"

#include <gtest/gtest.h>

TEST(ReadSetting, MissingRowsGiveDefaultsEmptyValuesStayEmpty)
{
    TMemorySettingRows rows({{"vod", "Server", ""},
                             {"vod", "UDPPort", "4000"},
                             {"VOD", "Padded", " 12 "},
                             {"vod", "Hex", "$10"},
                             {"vod", "Word", "12abc"},
                             {"vod", "Rate", "2.5"},
                             {"vod", "BadRate", "2,5"}});
    TReadSetting r;
    r.SetDataSet(&rows);
    EXPECT_EQ(r.ReadString("vod", "Server", "dflt"), "");
    EXPECT_EQ(r.ReadString("vod", "Missing", "dflt"), "dflt");
    EXPECT_EQ(r.ReadString("Vod", "udpport", "dflt"), "4000");
    EXPECT_EQ(r.ReadInteger("vod", "UDPPort", 1), 4000);
    EXPECT_EQ(r.ReadInteger("vod", "Missing", 3200), 3200);
    EXPECT_EQ(r.ReadInteger("vod", "Server", 7), 7);
    EXPECT_EQ(r.ReadInteger("vod", "Padded", 7), 12);
    EXPECT_EQ(r.ReadInteger("vod", "Hex", 7), 16);
    EXPECT_EQ(r.ReadInteger("vod", "Word", 7), 7);
    EXPECT_DOUBLE_EQ(r.ReadFloat("vod", "Rate", 1.0), 2.5);
    EXPECT_DOUBLE_EQ(r.ReadFloat("vod", "BadRate", 1.5), 1.5);
    EXPECT_DOUBLE_EQ(r.ReadFloat("vod", "Missing", 0.25), 0.25);
}

TEST(ReadSetting, BooleanIsTrueExactlyForOne)
{
    TMemorySettingRows rows;
    for (const char* v : {"1", "0", "", "yes", "true", "-1", " 1", "01"})
        rows.Add("b", v, v);
    TReadSetting r;
    r.SetDataSet(&rows);
    EXPECT_TRUE(r.ReadBool("b", "1", false));
    for (const char* v : {"0", "", "yes", "true", "-1", " 1", "01"})
        EXPECT_FALSE(r.ReadBool("b", v, true)) << v;
    EXPECT_TRUE(r.ReadBool("b", "missing", true));
    EXPECT_FALSE(r.ReadBool("b", "missing", false));
}

TEST(ReadSetting, UnboundReaderGivesEmptyTextAndDataSetErrorsReachTheCaller)
{
    TReadSetting r;
    EXPECT_EQ(r.ReadString("vod", "Server", "Server"), "");
    EXPECT_FALSE(r.ReadBool("vod", "ShowMouse", true));
    EXPECT_EQ(r.ReadInteger("vod", "UDPPort", 3200), 3200);

    struct Broken : ISettingRows
    {
        bool Locate(const QString&, const QString&) override { throw Exception("connection lost"); }
        QString Value() override { return {}; }
    } broken;
    r.SetDataSet(&broken);
    EXPECT_THROW(r.ReadInteger("vod", "UDPPort", 3200), Exception);
}

TEST(ReadSetting, TrialRowsFromTheEnvironmentText)
{
    const auto rows = ParseSettingRows("vod.Debug=1\nno separator\r\nMenu.Menu1_1=a=b.c\r\n.x=1\nname=x.y\n");
    ASSERT_EQ(rows->Rows().size(), 2);
    TReadSetting r;
    r.SetDataSet(rows.get());
    EXPECT_TRUE(r.ReadBool("vod", "Debug", false));
    EXPECT_EQ(r.ReadString("Menu", "Menu1_1", ""), "a=b.c");
    EXPECT_EQ(r.ReadString("vod", "Server", "Server"), "Server");
}
