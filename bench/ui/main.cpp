// Skinned interface figures, offscreen:
//  1. key press (PAGEDOWN) to the repainted screen (rendered with grab) for a page turn of a
//     10-row, 3-column song list over a 300,000-row data-set view, near the
//     start and deep in the view; baseline: repainting the same screen
//     without a key;
//  2. building a screen of 60 skin buttons (and its 800 x 600 JPEG
//     background) from its node; baseline: creating 60 labels by hand.
//   bench_ui [rows]
#include "bench/BenchSupport.h"
#include "core/Setting.h"
#include "platform/db/DataSet.h"
#include "platform/db/DbConnection.h"
#include "platform/keys/VirtualKeys.h"
#include "ui/ItemList.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using bench::Median;
using bench::TimeMs;

void Flush()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString ButtonXml(int i)
{
    return QStringLiteral("<b%1 type=\"button\" visible=\"1\" enabled=\"1\" left=\"%2\" top=\"%3\" width=\"90\" "
                          "height=\"40\" fontname=\"SimHei\" fontsize=\"16\" fontcolor=\"16777215\" blod=\"1\" "
                          "layout=\"1\" align=\"2\" shadowstyle=\"1\" shadowcolor=\"255\" shadowwidth=\"1\" "
                          "style=\"rect\" showcaption=\"1\" caption=\"按钮%1\" key=\"%4\"/>")
        .arg(i)
        .arg(10 + (i % 8) * 98)
        .arg(10 + (i / 8) * 48)
        .arg(i < 10 ? QString::number(i) : QStringLiteral("a"));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutions();
    const int rows = argc > 1 ? std::max(100, atoi(argv[1])) : 300000;

    QTemporaryDir dir;
    const QString exe = dir.path() + "/";
    const QString skin = exe + "skin/";
    QDir().mkpath(skin);
    QImage frame(133, 112, QImage::Format_RGB32);
    frame.fill(Qt::magenta);
    frame.save(skin + "ico.bmp", "BMP");
    QImage background(800, 600, QImage::Format_RGB32);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            background.setPixel(x, y, qRgb(x % 256, y % 256, (x + y) % 256));
    background.save(skin + "bg.jpg", "JPG", 90);

    QString buttons;
    for (int i = 0; i < 60; ++i)
        buttons += ButtonXml(i);
    QString labels;
    for (int i = 0; i < 10; ++i)
        for (const char* column : {"songname", "songlang", "songsinger"})
            labels += QStringLiteral("<%1%2 type=\"button\" visible=\"1\" enabled=\"1\" left=\"%3\" top=\"%4\" "
                                     "width=\"200\" height=\"40\" fontname=\"SimHei\" fontsize=\"20\" "
                                     "fontcolor=\"16777215\" shadowstyle=\"1\" shadowcolor=\"0\" shadowwidth=\"1\"/>")
                          .arg(QLatin1String(column))
                          .arg(i)
                          .arg(column[4] == 'n'   ? 20
                               : column[4] == 'l' ? 240
                                                  : 460)
                          .arg(60 + i * 48);
    QFile xml(skin + "buttons.xml");
    xml.open(QIODevice::WriteOnly);
    xml.write(QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><root><portal left=\"0\" top=\"0\" "
                             "width=\"800\" height=\"600\" file=\"bg.jpg\"><x type=\"button\" visible=\"1\" "
                             "enabled=\"1\" width=\"10\" height=\"10\"/></portal><public><form>"
                             "<frmsong file=\"bg.jpg\">%1<pagelabel type=\"button\" visible=\"1\" enabled=\"1\" "
                             "left=\"700\" top=\"560\" width=\"80\" height=\"30\"/></frmsong>"
                             "<frmbig file=\"bg.jpg\">%2</frmbig></form></public></root>")
                  .arg(labels, buttons)
                  .toUtf8());
    xml.close();

    TSetting setting(exe);
    setting.LoadKeyMap();
    setting.BuildCommandWords();
    setting.ShowMouse = true;
    g_pSetting = &setting;
    TKVFormManager manager;
    g_pFrmManager = &manager;
    manager.LoadSkin(skin + "buttons.xml");

    // ---- the song view ----
    DbConnection db;
    QFile(exe + "songs.db").open(QIODevice::WriteOnly);
    db.Open(QStringLiteral("Provider=SQLite;Data Source=%1").arg(exe + "songs.db"));
    db.Execute("create table song (SongNo text, Name text, Lan_name text, Singer_nam text)");
    db.Execute(QStringLiteral("insert into song with recursive c(x) as (select 1 union all select x + 1 from c "
                              "where x < %1) select printf('%08d', x), '歌曲' || x, '国语', '歌手' || (x % 997) "
                              "from c")
                   .arg(rows));
    DataSet songs;
    songs.setObjectName("CD_Song");
    songs.SetConnection(&db);
    songs.SetTableName("song");
    const double openMs = TimeMs([&] { songs.Open(); });
    UiHooks().IsQueued = [](const QString& songNo) { return songNo.endsWith(QLatin1String("77")); };

    TKVFormXML* screen = manager.ShowNode(manager.SelectNode("root/public/form/frmsong"), true);
    auto* list = new TItemList(screen);
    list->SetColCount(3);
    list->m_aFieldName = QStringList{"Name", "Lan_name", "Singer_nam"};
    list->m_bSkinLabels = true;
    list->m_bRechoose = false;
    list->OnLayout = [screen](TItemList* l) {
        for (int i = 0; i < 10; ++i) {
            l->BindLabel(0, screen->FindLabel(QString("songname%1").arg(i)), i);
            l->BindLabel(1, screen->FindLabel(QString("songlang%1").arg(i)), i);
            l->BindLabel(2, screen->FindLabel(QString("songsinger%1").arg(i)), i);
        }
        l->m_nPageItems = 10;
        l->m_pPageLabel = screen->FindLabel("pagelabel");
    };
    list->Arrange(true);
    list->SetDataSet(&songs);
    list->Draw();
    screen->repaint();

    const int pageDown = setting.Keys.PAGEDOWN;
    auto turns = [&](int startPage, int n) {
        list->SetSelPage(startPage);
        list->Draw();
        screen->repaint();
        std::vector<double> v;
        for (int i = 0; i < n; ++i)
            v.push_back(TimeMs([&] {
                SendVkKeyDown(screen, pageDown);
                volatile int w = screen->grab().width(); // renders the whole screen
                (void)w;
            }));
        return Median(v);
    };
    const double nearStart = turns(1, 100);
    const double deep = turns(list->m_nPageCount - 150, 100);
    std::vector<double> bare;
    for (int i = 0; i < 100; ++i)
        bare.push_back(TimeMs([&] {
            volatile int w = screen->grab().width();
            (void)w;
        }));
    const double baselineRepaint = Median(bare);
    std::vector<double> keyOnly;
    for (int i = 0; i < 100; ++i)
        keyOnly.push_back(TimeMs([&] { SendVkKeyDown(screen, pageDown); }));
    const double keyHandling = Median(keyOnly);
    std::printf("data set: %d rows opened in %.0f ms, %d pages\n", rows, openMs, list->m_nPageCount);
    std::printf("page turn, key to repainted screen (median of 100), near the start: %.2f ms\n", nearStart);
    std::printf("page turn, key to repainted screen (median of 100), last pages:     %.2f ms (target <= 16 ms)\n",
                deep);
    std::printf("baseline: rendering the same screen without a key: %.2f ms; ratio %.1f / %.1f\n", baselineRepaint,
                nearStart / std::max(baselineRepaint, 1e-3), deep / std::max(baselineRepaint, 1e-3));
    std::printf("page turn without rendering (key handling and the list's drawing): %.2f ms\n", keyHandling);
    screen->close();
    Flush();

    // ---- building a 60-control screen ----
    const QDomElement big = manager.SelectNode("root/public/form/frmbig");
    std::vector<double> builds;
    for (int i = 0; i < 30; ++i) {
        TKVFormXML* s = nullptr;
        builds.push_back(TimeMs([&] { s = manager.ShowNode(big, true); }));
        if (s)
            s->close();
        Flush();
    }
    std::vector<double> plain;
    for (int i = 0; i < 30; ++i) {
        QWidget holder;
        plain.push_back(TimeMs([&] {
            for (int j = 0; j < 60; ++j) {
                auto* label = new TSubTitle(&holder);
                label->SetAutoSize(false);
                label->setGeometry(10 + (j % 8) * 98, 10 + (j / 8) * 48, 90, 40);
                label->SetCaption(QStringLiteral("按钮%1").arg(j));
                label->show();
            }
        }));
    }
    const double build = Median(builds), baselineBuild = Median(plain);
    std::printf("build of a 60-control screen from its node (median of 30): %.2f ms (target <= 30 ms)\n", build);
    std::printf("baseline: 60 labels created by hand: %.2f ms; ratio %.1f\n", baselineBuild,
                build / std::max(baselineBuild, 1e-3));
    g_pFrmManager = nullptr;
    g_pSetting = nullptr;
    return 0;
}
