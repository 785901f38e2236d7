#include "core/Helpers.h"

#include "CoreTestUtil.h"

#include <QWidget>

using coretest::TInstall;

TEST(Helpers, SplitTextKeepsEmptyPiecesButNoTrailingEmptyOne)
{
    QStringList list{"stale"};
    SplitText("a;;b;", u';', list);
    EXPECT_EQ(list, QStringList({"a", "", "b"}));
    SplitText("a;b", u';', list);
    EXPECT_EQ(list, QStringList({"a", "b"}));
    SplitText("", u';', list);
    EXPECT_TRUE(list.isEmpty());
    SplitText(";;", u';', list);
    EXPECT_EQ(list, QStringList({"", ""}));
    SplitText(QStringLiteral("歌曲|歌手"), u'|', list);
    EXPECT_EQ(list, QStringList({QStringLiteral("歌曲"), QStringLiteral("歌手")}));
}

TEST(Helpers, PathsAcceptEitherSeparator)
{
    EXPECT_EQ(NormalisePath("d:\\vod\\data"), "d:/vod/data");
    EXPECT_EQ(WithSeparator("Data\\"), "Data/");
    EXPECT_EQ(WithSeparator("/srv/vod"), "/srv/vod/");
    EXPECT_EQ(WithSeparator(""), "");
}

TEST(Helpers, ListFolderReplacesTheListOnlyWhenThereAreEntries)
{
    TInstall dir;
    QStringList list{"kept"};
    ListFolder(dir.Path("missing"), list);
    EXPECT_EQ(list, QStringList{"kept"});
    dir.MakeDir("empty");
    ListFolder(dir.Path("empty"), list);
    EXPECT_EQ(list, QStringList{"kept"});
    dir.MakeDir("skins/800x600");
    dir.Write("skins/readme.txt", "x");
    dir.Write("skins/.hidden", "x");
    ListFolder(dir.Path("skins\\"), list);
    list.sort();
    EXPECT_EQ(list, QStringList({".hidden", "800x600", "readme.txt"}));
}

TEST(Helpers, CopyReplacingOverwritesAndReportsFailure)
{
    TInstall dir;
    dir.Write("order.dbf", "new");
    dir.Write("bak/order.dbf", "old and longer");
    EXPECT_TRUE(CopyReplacing(dir.Path("order.dbf"), dir.Path("bak/order.dbf")));
    EXPECT_EQ(coretest::ReadBytes(dir.Path("bak/order.dbf")), "new");
    EXPECT_TRUE(CopyReplacing(dir.Path("order.dbf"), dir.Path("bak/fresh.dbf")));
    EXPECT_FALSE(CopyReplacing(dir.Path("missing.dbf"), dir.Path("bak/x.dbf")));
    EXPECT_FALSE(CopyReplacing(dir.Path("order.dbf"), dir.Path("no/such/dir/x.dbf")));
}

TEST(Helpers, WindowSwitchingGoesThroughTheInstalledLink)
{
    QString asked;
    SwitchToWindow(QStringLiteral("Test Player")); // nothing installed: nothing happens
    SetWindowSwitcher([&](const QString& caption) { asked = caption; });
    SwitchToWindow(QStringLiteral("Test Player"));
    SetWindowSwitcher({});
    EXPECT_EQ(asked, "Test Player");
    EXPECT_FALSE(WindowExists("kroomclient"));

    QWidget w;
    w.show();
    SwitchToWindow(&w);
    SwitchToWindow(static_cast<QWidget*>(nullptr));
    ShowTaskBar(false);
    ShowTaskBar(true);
    EXPECT_TRUE(w.isVisible());
}
