#include "screens/RepairLists.h"

namespace repairlists {

const QStringList& Languages()
{
    static const QStringList list{
        QStringLiteral("电影"),     QStringLiteral("国语"),     QStringLiteral("粤语"),   QStringLiteral("台语"),
        QStringLiteral("英语"),     QStringLiteral("日语"),     QStringLiteral("韩语"),   QStringLiteral("满瑶朝蒙"),
        QStringLiteral("回藏苗壮"), QStringLiteral("少数民族"), QStringLiteral("西班牙"), QStringLiteral("葡萄牙"),
        QStringLiteral("德语"),     QStringLiteral("意大利"),   QStringLiteral("俄语"),   QStringLiteral("法语"),
        QStringLiteral("泰语"),     QStringLiteral("老挝语"),   QStringLiteral("越南语"), QStringLiteral("菲律宾语"),
        QStringLiteral("成人电影"), QStringLiteral("DISCO")};
    return list;
}

const QStringList& Versions()
{
    static const QStringList list{QStringLiteral("MTV"),    QStringLiteral("演唱会"), QStringLiteral("DIY"),
                                  QStringLiteral("影视漫"), QStringLiteral("不相关"), QStringLiteral("不能要"),
                                  QStringLiteral("不同步"), QStringLiteral("欣赏版")};
    return list;
}

const QStringList& MusicVersions()
{
    static const QStringList list{QStringLiteral("原版"),   QStringLiteral("DIY"),    QStringLiteral("消音差"),
                                  QStringLiteral("无原唱"), QStringLiteral("无伴唱"), QStringLiteral("MIDI"),
                                  QStringLiteral("不能要")};
    return list;
}

const QStringList& Remarks()
{
    static const QStringList list{QStringLiteral("高清"), QStringLiteral("清晰"), QStringLiteral("模糊")};
    return list;
}

const QStringList& TypesOf(int languagePosition)
{
    static const QStringList film{QStringLiteral("动作片"), QStringLiteral("搞笑片"), QStringLiteral("生活片"),
                                  QStringLiteral("情感片"), QStringLiteral("战争片"), QStringLiteral("科幻片"),
                                  QStringLiteral("武侠片"), QStringLiteral("成人片"), QStringLiteral("恐怖片"),
                                  QStringLiteral("动画片")};
    static const QStringList adult{QStringLiteral("欧美成人影片"), QStringLiteral("亚洲成人影片"),
                                   QStringLiteral("古典成人影片"), QStringLiteral("同性成人影片"),
                                   QStringLiteral("人兽成人影片"), QStringLiteral("性感脱衣女郎"),
                                   QStringLiteral("特级成人影片"), QStringLiteral("真实偷拍影片"),
                                   QStringLiteral("性知识教育片"), QStringLiteral("高清成人艺术")};
    static const QStringList disco{QStringLiteral("快摇现场"),  QStringLiteral("中文快摇"), QStringLiteral("外文快摇"),
                                   QStringLiteral("慢摇现场"),  QStringLiteral("中文慢摇"), QStringLiteral("外文慢摇"),
                                   QStringLiteral("轻音乐欣赏")};
    static const QStringList songs{QStringLiteral("中外民歌"), QStringLiteral("合唱对唱"), QStringLiteral("怀旧金曲"),
                                   QStringLiteral("交际舞曲"), QStringLiteral("影视歌曲"), QStringLiteral("戏曲专辑"),
                                   QStringLiteral("儿童歌曲"), QStringLiteral("生日喜庆"), QStringLiteral("革命歌曲"),
                                   QStringLiteral("相声小品"), QStringLiteral("欧美经典")};
    switch (languagePosition) {
    case kFilm:
        return film;
    case kAdultFilm:
        return adult;
    case kDisco:
        return disco;
    default:
        return songs;
    }
}

const QString& Unusable()
{
    static const QString text = QStringLiteral("不能要");
    return text;
}

} // namespace repairlists
