#include "DemoConfig.h"

#include "core/Gbk.h"
#include "core/KeyMap.h"
#include "core/Texts.h"

#include <QFile>
#include <QList>
#include <QPair>

namespace {

using TPairs = QList<QPair<QString, QString>>;

// One INI file put together as text, written as GBK.
class TIniText
{
public:
    void Comment(const QString& text) { m_sText += QStringLiteral("; ") + text + QStringLiteral("\r\n"); }
    void Section(const QString& name)
    {
        if (!m_sText.isEmpty())
            m_sText += QStringLiteral("\r\n");
        m_sText += u'[' + name + QStringLiteral("]\r\n");
    }
    void Value(const QString& key, const QString& value)
    {
        // A blank at either end of a text ("Room calling ") survives reading
        // only inside quotes.
        const QString text = value == value.trimmed() ? value : u'"' + value + u'"';
        m_sText += key + u'=' + text + QStringLiteral("\r\n");
    }
    void Value(const QString& key, int value) { Value(key, QString::number(value)); }
    bool Save(const QString& path, QString& error) const
    {
        QFile file(path);
        const QByteArray bytes = ToNarrow(m_sText);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
            error = path + QStringLiteral(": ") + file.errorString();
            return false;
        }
        return true;
    }

private:
    QString m_sText;
};

bool WriteVodIni(const QString& folder, QString& error)
{
    TIniText ini;
    ini.Comment(QStringLiteral("Connection strings of the song catalogue and of the room-service database."));
    ini.Section(QStringLiteral("vod"));
    ini.Value(
        QStringLiteral("KroomAdo"),
        QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=data\\kroom.db;Persist Security Info=False"));
    ini.Value(QStringLiteral("HotelAdo"), QStringLiteral("Provider=SQLite;Data Source=data\\hotel.db"));
    return ini.Save(folder + QStringLiteral("/vod.ini"), error);
}

// Interface texts: key -> text, for every key the station reads.
TPairs ChineseTexts()
{
    return {
        {"Playing", "正在播放:"},
        {"NextSong", "下一首:"},
        {"NotFound", "没有找到符合条件的歌曲"},
        {"Lang1", "国语"},
        {"Lang2", "粤语"},
        {"Lang3", "闽南语"},
        {"Lang4", "英语"},
        {"Lang5", "日语"},
        {"Lang6", "韩语"},
        {"Lang7", "泰语"},
        {"Lang8", "越南语"},
        {"Lang9", "其他"},
        {"Lang0", "其他语种"},
        {"Movie1", "动作片"},
        {"Movie2", "喜剧片"},
        {"Movie3", "爱情片"},
        {"Movie4", "科幻片"},
        {"Movie5", "动画片"},
        {"Movie6", "战争片"},
        {"Movie7", "恐怖片"},
        {"Movie8", "纪录片"},
        {"Movie9", "音乐片"},
        {"Movie0", "其他影片"},
        {"Type1", "流行歌曲"},
        {"Type2", "怀旧金曲"},
        {"Type3", "民歌"},
        {"Type4", "儿歌"},
        {"Type5", "戏曲"},
        {"Type6", "军旅歌曲"},
        {"Type7", "情歌对唱"},
        {"Type8", "摇滚"},
        {"Type9", "舞曲"},
        {"Type0", "其他歌曲"},
        {"PwdError", "密码错误,请重新输入!"},
        {"LoginMyLoveOK", "登陆成功,共收藏歌曲数:"},
        {"WaiterLost", "呼叫服务员失败,请稍后再试"},
        {"WaiterSucceed", "已呼叫服务员,请稍候"},
        {"LockHint", "本房间已被锁定,请联系服务员"},
        {"ShutDownHint", "系统即将关机,谢谢光临!"},
        {"TimeWarry", "本房间的欢唱时间即将结束"},
        {"TimeOver", "欢唱时间已到,谢谢光临!"},
        {"Call", "房间呼叫"},
        {"Waiter", "服务员"},
        {"DiscSong", "光盘歌曲或电影"},
        {"WriteDisc", "刻录光盘"},
        {"MidasConnectError", "连接失败，请确认数据库服务器IP存在，并运行了侦听服务器"},
        {"MidasSongError", "连接成功打开歌库表失败，请确认数据库服务器安装了点播客户端"},
        {"MidasMissError", "连接成功打开公关表失败，请确认数据库服务器安装了点播客户端或收银数据库(SQL Server)"},
        {"Room", "演示包厢"},
        {"NoDroit", "此房间无此权利,请联系服务员开通功能"},
        {"Minutes", "分钟后,"},
        {"ProcTotalTimes", "统计歌曲点击率歌星排行,可能需几分钟请稍候.."},
        {"VolVol", "音量:"},
        {"MicVol", "话筒:"},
        {"KeyVol", "音调:"},
        {"MixVol", "混响:"},
        {"EffectVol", "音效:"},
        {"ServiceVol", "服务"},
        {"ReadDiscoError", "光驱不存在,播放失败."},
        {"ReadDiscoNoFile", "在光碟中没有找到歌曲或电影,播放失败."},
        {"ReadDiscoOK", "已插入到已点歌单中,节目数: "},
        {"LockForShutDown", "请输入关机密码或统计密码(关机前统计点唱率):"},
        {"LockForLockEnd", "锁机成功!解锁请输入解锁密码:"},
        {"LockForDrinkPwd", "请输入酒水下单密码或卡号:"},
        {"LockForLockBegin", "请输入锁机密码或维护密码(返回桌面):"},
        {"LockForAddSong", "请输入加歌密码:"},
        {"WaitingAddSong", "正在启动加歌程序,请稍候.."},
        {"GoSex", "观看成人片必须年满18岁,请输入密码:"},
        {"GoDisco", "跳舞时严禁吸食毒品,请输入密码:"},
        {"SaveMyLoveOK", "收藏私库成功:"},
        {"SaveMyLoveNo", "收藏私库失败"},
        {"SaveMyLoveExists", "私库中已存在:"},
        {"Level1", "最小"},
        {"Level2", "较小"},
        {"Level3", "标准"},
        {"Level4", "较大"},
        {"Level5", "最大"},
        {"Volume", "音量"},
        {"Mute", "静音"},
        {"TimeSucceed", "校时成功"},
        {"SetServerIP", "设置服务器地址"},
        {"Py", "拼音"},
        {"Arrange", "排行"},
        {"Singer", "歌星"},
        {"Chorus", "合唱"},
        {"SaveOperate", "保存设置"},
        {"LoadOperate", "读取设置"},
        {"PassError", "密码错误"},
        {"SaveSucceed", "保存成功"},
        {"LoadSucceed", "读取成功"},
        {"NewSucceed", "新建成功"},
        {"LogOutSucc", "注销成功"},
        {"NewHint", "请输入新的用户号:"},
        {"LogOutHint", "确定要注销吗?"},
        {"CheckOutLost", "结账请求发送失败"},
        {"CheckOutSucc", "结账请求已发送,请稍候"},
        {"CallHint", "正在呼叫服务员.."},
        {"MissSuccHint", "已为您预约公关,请稍候"},
        {"MissLostHint", "预约公关失败,请联系服务员"},
        {"MissBuzyHint", "公关正忙,请稍后再试"},
        {"MissResumeSucc", "已取消公关预约"},
        {"MissResumeLost", "取消公关预约失败"},
        {"ErrorOpenCOM", "打开串口失败"},
        {"Buy", "购买"},
        {"Miss", "公关"},
        {"RoomName", "房间名称"},
        {"OrderFailed", "这首歌的资料有误,不能点播,请联系服务员"},
        {"QueueBusy", "已点歌曲暂时无法读取,请稍候再试"},
        {"RepairSaveNext", "切歌"},
        {"RepairSavePrevious", "上一首"},
        {"RepairPlay", "播放"},
        {"RepairPause", "暂停"},
        {"RepairVocal", "原唱"},
        {"RepairBacking", "伴唱"},
        {"RepairForward", "快进"},
        {"RepairRewind", "快退"},
        {"RepairReplay", "重唱"},
    };
}

TPairs EnglishTexts()
{
    return {
        {"Playing", "Now playing: "},
        {"NextSong", "Next: "},
        {"NotFound", "No songs found"},
        {"Lang1", "Mandarin"},
        {"Lang2", "Cantonese"},
        {"Lang3", "Hokkien"},
        {"Lang4", "English"},
        {"Lang5", "Japanese"},
        {"Lang6", "Korean"},
        {"Lang7", "Thai"},
        {"Lang8", "Vietnamese"},
        {"Lang9", "Other"},
        {"Lang0", "Other languages"},
        {"Movie1", "Action"},
        {"Movie2", "Comedy"},
        {"Movie3", "Romance"},
        {"Movie4", "Science fiction"},
        {"Movie5", "Animation"},
        {"Movie6", "War"},
        {"Movie7", "Horror"},
        {"Movie8", "Documentary"},
        {"Movie9", "Musical"},
        {"Movie0", "Other films"},
        {"Type1", "Pop"},
        {"Type2", "Golden oldies"},
        {"Type3", "Folk"},
        {"Type4", "Children's songs"},
        {"Type5", "Opera"},
        {"Type6", "Military songs"},
        {"Type7", "Duets"},
        {"Type8", "Rock"},
        {"Type9", "Dance"},
        {"Type0", "Other songs"},
        {"PwdError", "Wrong password, please try again!"},
        {"LoginMyLoveOK", "Logged in, favourite songs: "},
        {"WaiterLost", "The waiter could not be called, please try again later"},
        {"WaiterSucceed", "The waiter has been called, please wait"},
        {"LockHint", "This room is locked, please ask the staff"},
        {"ShutDownHint", "The system is shutting down. Thank you for coming!"},
        {"TimeWarry", "your booked time ends"},
        {"TimeOver", "Your time is up. Thank you for coming!"},
        {"Call", "Room calling "},
        {"Waiter", "waiter"},
        {"DiscSong", "Disc song or film"},
        {"WriteDisc", "Burn a disc"},
        {"MidasConnectError", "Connection failed: check the database server address and that its listener runs"},
        {"MidasSongError", "Connected, but the song tables could not be opened: install the ordering client on the "
                           "database server"},
        {"MidasMissError", "Connected, but the hostess tables could not be opened: install the ordering client or the "
                           "cashier database (SQL Server)"},
        {"Room", "Demo room"},
        {"NoDroit", "This room may not use this function, please ask the staff to enable it"},
        {"Minutes", " minutes from now, "},
        {"ProcTotalTimes", "Counting song and singer rankings, this may take a few minutes.."},
        {"VolVol", "Volume: "},
        {"MicVol", "Microphone: "},
        {"KeyVol", "Pitch: "},
        {"MixVol", "Echo: "},
        {"EffectVol", "Effect: "},
        {"ServiceVol", "Service"},
        {"ReadDiscoError", "No disc drive, playback failed."},
        {"ReadDiscoNoFile", "No songs or films on the disc, playback failed."},
        {"ReadDiscoOK", "Added to the ordered songs, titles: "},
        {"LockForShutDown", "Enter the shutdown password or the statistics password (rankings before shutdown):"},
        {"LockForLockEnd", "Room locked! Enter the password to unlock:"},
        {"LockForDrinkPwd", "Enter the drinks order password or card number:"},
        {"LockForLockBegin", "Enter the lock password or the maintenance password (back to the desktop):"},
        {"LockForAddSong", "Enter the add-song password:"},
        {"WaitingAddSong", "Starting the add-song program, please wait.."},
        {"GoSex", "Adult films only for guests of 18 or older, enter the password:"},
        {"GoDisco", "No drugs on the dance floor. Enter the password:"},
        {"SaveMyLoveOK", "Saved to favourites: "},
        {"SaveMyLoveNo", "Could not save to favourites"},
        {"SaveMyLoveExists", "Already in favourites: "},
        {"Level1", "Lowest"},
        {"Level2", "Low"},
        {"Level3", "Normal"},
        {"Level4", "High"},
        {"Level5", "Highest"},
        {"Volume", "Volume"},
        {"Mute", "Mute"},
        {"TimeSucceed", "Clock set"},
        {"SetServerIP", "Server address"},
        {"Py", "Pinyin"},
        {"Arrange", "Ranking"},
        {"Singer", "Singers"},
        {"Chorus", "Duet"},
        {"SaveOperate", "Save settings"},
        {"LoadOperate", "Load settings"},
        {"PassError", "Wrong password"},
        {"SaveSucceed", "Saved"},
        {"LoadSucceed", "Loaded"},
        {"NewSucceed", "Created"},
        {"LogOutSucc", "Logged out"},
        {"NewHint", "Enter a new user number:"},
        {"LogOutHint", "Log out now?"},
        {"CheckOutLost", "The bill request could not be sent"},
        {"CheckOutSucc", "The bill request was sent, please wait"},
        {"CallHint", "Calling the waiter.."},
        {"MissSuccHint", "A hostess has been booked, please wait"},
        {"MissLostHint", "The booking failed, please ask the staff"},
        {"MissBuzyHint", "All hostesses are busy, please try again later"},
        {"MissResumeSucc", "The booking was cancelled"},
        {"MissResumeLost", "The booking could not be cancelled"},
        {"ErrorOpenCOM", "The serial port could not be opened"},
        {"Buy", "Buy"},
        {"Miss", "Hostess"},
        {"RoomName", "Room name"},
        {"OrderFailed", "This song's data is faulty and cannot be ordered; please call the staff"},
        {"QueueBusy", "The ordered songs cannot be read just now; please try again shortly"},
        {"RepairSaveNext", "Saving, next song"},
        {"RepairSavePrevious", "Saving, previous song"},
        {"RepairPlay", "Play"},
        {"RepairPause", "Pause"},
        {"RepairVocal", "Singer's vocal"},
        {"RepairBacking", "Backing track"},
        {"RepairForward", "Forward"},
        {"RepairRewind", "Rewind"},
        {"RepairReplay", "From the start"},
    };
}

void LanguageSection(TIniText& ini, const QString& section, const QString& font, const TPairs& texts)
{
    ini.Section(section);
    ini.Value(QStringLiteral("CurSkinSel"), 0);
    ini.Value(QStringLiteral("FontName"), font);
    for (const auto& [key, text] : texts)
        ini.Value(key, text);
}

bool WriteLanguageIni(const QString& folder, QString& error)
{
    TIniText ini;
    ini.Comment(QStringLiteral("Languages: section, name, folder under Images and Services."));
    ini.Section(QStringLiteral("Language"));
    ini.Value(QStringLiteral("LanguageCount"), 2);
    // LangType (default 1) counts from 0: the second entry is the default language.
    ini.Value(QStringLiteral("Language1"), QStringLiteral("English,英文,English"));
    ini.Value(QStringLiteral("Language2"), QStringLiteral("Chinese,中文,Chinese"));
    LanguageSection(ini, QStringLiteral("English"), QStringLiteral("宋体"), EnglishTexts());
    LanguageSection(ini, QStringLiteral("Chinese"), QStringLiteral("黑体"), ChineseTexts());
    ini.Section(QStringLiteral("Skin"));
    ini.Value(QStringLiteral("FontSize"), 28);
    ini.Value(QStringLiteral("Space"), 80);
    ini.Value(QStringLiteral("Left"), 150);
    ini.Value(QStringLiteral("Top"), 80);
    ini.Value(QStringLiteral("Height"), 80);
    ini.Value(QStringLiteral("Width"), 80);
    return ini.Save(folder + QStringLiteral("/Language.ini"), error);
}

bool WriteKeyboardIni(const QString& folder, QString& error)
{
    TIniText ini;
    ini.Comment(QStringLiteral("Windows virtual-key codes of the remote keypad and keyboard commands."));
    // One section holds every binding: only the first section of a name is read.
    ini.Section(QStringLiteral("key"));
    for (const TKeyBinding& b : KeyBindings())
        ini.Value(QString::fromLatin1(b.FileKey), b.Default);
    return ini.Save(folder + QStringLiteral("/keyboard.ini"), error);
}

} // namespace

bool WriteDemoConfig(const QString& folder, QString& error)
{
    return WriteVodIni(folder, error) && WriteLanguageIni(folder, error) && WriteKeyboardIni(folder, error);
}
