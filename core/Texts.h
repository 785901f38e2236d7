#pragma once
// Interface texts: every text the station shows on its own, read from the
// current language's section of Language.ini. Each text is a field named by
// its Language.ini key.
#include <QString>
#include <span>

// Field (= key) and default text (UTF-8, empty when the key has no default).
#define VOD_TEXT_KEYS(X)                                                                                               \
    X(Playing, "")                                                                                                     \
    X(NextSong, "")                                                                                                    \
    X(NotFound, "")                                                                                                    \
    X(Lang1, "")                                                                                                       \
    X(Lang2, "")                                                                                                       \
    X(Lang3, "")                                                                                                       \
    X(Lang4, "")                                                                                                       \
    X(Lang5, "")                                                                                                       \
    X(Lang6, "")                                                                                                       \
    X(Lang7, "")                                                                                                       \
    X(Lang8, "")                                                                                                       \
    X(Lang9, "")                                                                                                       \
    X(Lang0, "")                                                                                                       \
    X(Movie1, "")                                                                                                      \
    X(Movie2, "")                                                                                                      \
    X(Movie3, "")                                                                                                      \
    X(Movie4, "")                                                                                                      \
    X(Movie5, "")                                                                                                      \
    X(Movie6, "")                                                                                                      \
    X(Movie7, "")                                                                                                      \
    X(Movie8, "")                                                                                                      \
    X(Movie9, "")                                                                                                      \
    X(Movie0, "")                                                                                                      \
    X(Type1, "")                                                                                                       \
    X(Type2, "")                                                                                                       \
    X(Type3, "")                                                                                                       \
    X(Type4, "")                                                                                                       \
    X(Type5, "")                                                                                                       \
    X(Type6, "")                                                                                                       \
    X(Type7, "")                                                                                                       \
    X(Type8, "")                                                                                                       \
    X(Type9, "")                                                                                                       \
    X(Type0, "")                                                                                                       \
    X(PwdError, "")                                                                                                    \
    X(LoginMyLoveOK, "登陆成功,共收藏歌曲数:")                                                                         \
    X(WaiterLost, "")                                                                                                  \
    X(WaiterSucceed, "")                                                                                               \
    X(LockHint, "")                                                                                                    \
    X(ShutDownHint, "")                                                                                                \
    X(TimeWarry, "")                                                                                                   \
    X(TimeOver, "")                                                                                                    \
    X(Call, "")                                                                                                        \
    X(Waiter, "")                                                                                                      \
    X(DiscSong, "光盘歌曲或电影")                                                                                      \
    X(WriteDisc, "刻录光盘")                                                                                           \
    X(MidasConnectError, "连接失败，请确认数据库服务器IP存在，并运行了侦听服务器")                                     \
    X(MidasSongError, "连接成功打开歌库表失败，请确认数据库服务器安装了点播客户端")                                    \
    X(MidasMissError, "连接成功打开公关表失败，请确认数据库服务器安装了点播客户端或收银数据库(SQL Server)")            \
    X(Room, "")                                                                                                        \
    X(NoDroit, "此房间无此权利,请联系服务员开通功能")                                                                  \
    X(Minutes, "分钟后,")                                                                                              \
    X(ProcTotalTimes, "统计歌曲点击率歌星排行,可能需几分钟请稍候..")                                                   \
    X(VolVol, "音量:")                                                                                                 \
    X(MicVol, "话筒:")                                                                                                 \
    X(KeyVol, "音调:")                                                                                                 \
    X(MixVol, "混响:")                                                                                                 \
    X(EffectVol, "音效:")                                                                                              \
    X(ServiceVol, "服务")                                                                                              \
    X(ReadDiscoError, "光驱不存在,播放失败.")                                                                          \
    X(ReadDiscoNoFile, "在光碟中没有找到歌曲或电影,播放失败.")                                                         \
    X(ReadDiscoOK, "已插入到已点歌单中,节目数: ")                                                                      \
    X(LockForShutDown, "请输入关机密码或统计密码(关机前统计点唱率):")                                                  \
    X(LockForLockEnd, "锁机成功!解锁请输入解锁密码:")                                                                  \
    X(LockForDrinkPwd, "请输入酒水下单密码或卡号:")                                                                    \
    X(LockForLockBegin, "请输入锁机密码或维护密码(返回Windows桌面):")                                                  \
    X(LockForAddSong, "请输入加歌密码:")                                                                               \
    X(WaitingAddSong, "正在启动加歌程序,请稍候..")                                                                     \
    X(GoSex, "观看成人片必须年满18岁,请输入密码:")                                                                     \
    X(GoDisco, "跳舞时严禁吸食毒品,请输入密码:")                                                                       \
    X(SaveMyLoveOK, "收藏私库成功:")                                                                                   \
    X(SaveMyLoveNo, "收藏私库失败")                                                                                    \
    X(SaveMyLoveExists, "私库中已存在:")                                                                               \
    X(Level1, "最小")                                                                                                  \
    X(Level2, "较小")                                                                                                  \
    X(Level3, "标准")                                                                                                  \
    X(Level4, "较大")                                                                                                  \
    X(Level5, "最大")                                                                                                  \
    X(Volume, "")                                                                                                      \
    X(Mute, "")                                                                                                        \
    X(TimeSucceed, "")                                                                                                 \
    X(SetServerIP, "")                                                                                                 \
    X(Py, "")                                                                                                          \
    X(Arrange, "")                                                                                                     \
    X(Singer, "")                                                                                                      \
    X(Chorus, "")                                                                                                      \
    X(SaveOperate, "")                                                                                                 \
    X(LoadOperate, "")                                                                                                 \
    X(PassError, "")                                                                                                   \
    X(SaveSucceed, "")                                                                                                 \
    X(LoadSucceed, "")                                                                                                 \
    X(NewSucceed, "")                                                                                                  \
    X(LogOutSucc, "")                                                                                                  \
    X(NewHint, "")                                                                                                     \
    X(LogOutHint, "")                                                                                                  \
    X(CheckOutLost, "")                                                                                                \
    X(CheckOutSucc, "")                                                                                                \
    X(CallHint, "")                                                                                                    \
    X(MissSuccHint, "")                                                                                                \
    X(MissLostHint, "")                                                                                                \
    X(MissBuzyHint, "")                                                                                                \
    X(MissResumeSucc, "")                                                                                              \
    X(MissResumeLost, "")                                                                                              \
    X(ErrorOpenCOM, "")                                                                                                \
    X(Buy, "")                                                                                                         \
    X(Miss, "")                                                                                                        \
    X(RoomName, "")                                                                                                    \
    X(OrderFailed, "这首歌的资料有误,不能点播,请联系服务员")                                                           \
    X(QueueBusy, "已点歌曲暂时无法读取,请稍候再试")                                                                    \
    X(RepairSaveNext, "切歌")                                                                                          \
    X(RepairSavePrevious, "上一首")                                                                                    \
    X(RepairPlay, "播放")                                                                                              \
    X(RepairPause, "暂停")                                                                                             \
    X(RepairVocal, "原唱")                                                                                             \
    X(RepairBacking, "伴唱")                                                                                           \
    X(RepairForward, "快进")                                                                                           \
    X(RepairRewind, "快退")                                                                                            \
    X(RepairReplay, "重唱")

// The texts of the current language, one field per Language.ini key.
struct TTexts
{
#define VOD_TEXT_FIELD(name, def) QString name;
    VOD_TEXT_KEYS(VOD_TEXT_FIELD)
#undef VOD_TEXT_FIELD
};

struct TTextKey
{
    const char* Key;     // Language.ini key (also the field name)
    const char* Default; // UTF-8; empty when the key has none
    QString TTexts::*Field;
};

// Every text key in file order.
std::span<const TTextKey> TextKeys();
// The text key of that name (ASCII case ignored), or null.
const TTextKey* FindTextKey(const QString& key);
