#include "phone/PhoneRemote.h"

#include "catalogue/FrmData.h"
#include "core/Log.h"
#include "core/ReadSetting.h"
#include "core/Setting.h"
#include "net/UDP.h"
#include "phone/PhoneServer.h"
#include "phone/QrCode.h"
#include "platform/db/DataSet.h"
#include "platform/keys/VirtualKeys.h"
#include "playback/FrmMediaPlayer.h"
#include "ui/KVFormManager.h"
#include "ui/KVFormXML.h"
#include "ui/PhoneJoin.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QJsonArray>
#include <QNetworkInterface>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QThread>
#include <QTimer>

namespace {

// The queue is read again this often, so that every change (the terminal,
// another phone, the player, another room's station in hall mode) reaches
// the phones within a second even where the file watcher says nothing.
constexpr int kPollMs = 400;

TPhoneRemote* g_pPhoneRemote = nullptr;

TPhoneReply Refused(int status, const char* code)
{
    return TPhoneReply{status, QJsonObject{{QStringLiteral("error"), QLatin1String(code)}}};
}

TPhoneReply Done()
{
    return TPhoneReply{200, QJsonObject{{QStringLiteral("ok"), true}}};
}

// The address of this computer on the venue's network: the first IPv4
// address of an interface that is up and not the loopback.
QString HostAddress()
{
    for (const QNetworkInterface& nic : QNetworkInterface::allInterfaces()) {
        const auto flags = nic.flags();
        if (!(flags & QNetworkInterface::IsUp) || !(flags & QNetworkInterface::IsRunning) ||
            (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry& entry : nic.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
        }
    }
    return QStringLiteral("127.0.0.1");
}

// Ten characters of digits and small letters (about 51 bits): short enough
// to type from the screen, far too many to guess at the server's request rate.
QString NewToken()
{
    static const char kChars[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    QString token;
    for (int i = 0; i < 10; ++i)
        token.append(QLatin1Char(kChars[QRandomGenerator::system()->bounded(36)]));
    return token;
}

QString Value(DataSet& set, const char* field)
{
    const Field f = set.FindField(QLatin1String(field));
    return f.IsValid() ? f.AsString().trimmed() : QString();
}

QJsonObject Entry(DataSet& set)
{
    return QJsonObject{{QStringLiteral("no"), Value(set, "SongNo")},
                       {QStringLiteral("name"), Value(set, "Name")},
                       {QStringLiteral("singer"), Value(set, "Singer_nam")},
                       {QStringLiteral("num"), set.FieldByName(QStringLiteral("Num")).AsInt()}};
}

} // namespace

TPhoneRemote::TPhoneRemote(QObject* parent) : QObject(parent) {}

TPhoneRemote::~TPhoneRemote()
{
    TPhoneJoin::Instance().Set(QString(), QImage());
    if (m_pThread) {
        RunOnServer(
            [this](TPhoneServer&) {
                delete m_pServer;
                m_pServer = nullptr;
            },
            true);
        m_pAnchor->deleteLater();
        m_pThread->quit();
        m_pThread->wait();
    }
}

void TPhoneRemote::RunOnServer(std::function<void(TPhoneServer&)> work, bool wait)
{
    if (!m_pAnchor)
        return;
    QMetaObject::invokeMethod(
        m_pAnchor,
        [this, work = std::move(work)] {
            if (m_pServer)
                work(*m_pServer);
        },
        wait ? Qt::BlockingQueuedConnection : Qt::QueuedConnection);
}

bool TPhoneRemote::Start(quint16 port)
{
    TPhoneServerOptions options;
    options.port = port;
    if (FrmData)
        options.connectionString = FrmData->ado.ConnectionString();
    if (g_pSetting)
        options.exeDir = g_pSetting->ExeDir;
    TPhoneStationLink link;
    link.context = this;
    link.act = [this](const QString& action, const QJsonObject& args) { return Act(action, args); };

    m_pThread = std::make_unique<QThread>();
    m_pThread->setObjectName(QStringLiteral("phone"));
    m_pAnchor = new QObject();
    m_pAnchor->moveToThread(m_pThread.get());
    m_pThread->start();
    bool started = false;
    // The server is made on its own thread: its sockets belong to it.
    QMetaObject::invokeMethod(
        m_pAnchor,
        [this, &options, &link, &started] {
            m_pServer = new TPhoneServer(options, link);
            connect(m_pServer, &TPhoneServer::CatalogueLoaded, this, [](int songs, const QString& error) {
                WriteLog(songs >= 0 ? QStringLiteral("手机点歌: 歌库已读入%1首").arg(songs)
                                    : QStringLiteral("手机点歌: 歌库不可读 ") + error,
                         songs < 0);
            });
            started = m_pServer->Start();
            m_nPort = m_pServer->Port();
            m_sError = m_pServer->Error();
            if (!started) {
                delete m_pServer;
                m_pServer = nullptr;
            }
        },
        Qt::BlockingQueuedConnection);
    if (!started)
        return false;
    // Read on a worker thread (the phones are told "loading" meanwhile), and
    // again whenever the station reads its catalogue anew; the copy in use
    // keeps answering until the new one is ready.
    RunOnServer([](TPhoneServer& server) { server.ReloadCatalogue(); });
    if (FrmData)
        connect(FrmData, &TFrmData::CatalogueReopened, this,
                [this] { RunOnServer([](TPhoneServer& server) { server.ReloadCatalogue(); }); });

    m_sHost = PhoneHost();
    if (m_sHost.isEmpty())
        m_sHost = HostAddress();
    RenewToken();
    OpenQueueView();
    Publish();
    m_pPoll = new QTimer(this);
    connect(m_pPoll, &QTimer::timeout, this, &TPhoneRemote::Publish);
    m_pPoll->start(kPollMs);
    // A new booking gets a new token: the guests of the last one cannot
    // order into it.
    if (auto* udp = dynamic_cast<TUDP*>(FrmMediaPlayer ? FrmMediaPlayer->ServerLink() : nullptr))
        connect(udp, &TUDP::BookingChanged, this, &TPhoneRemote::RenewToken);
    return true;
}

QString TPhoneRemote::Address() const
{
    return QStringLiteral("http://%1:%2/?t=%3").arg(m_sHost).arg(m_nPort).arg(m_sToken);
}

void TPhoneRemote::RenewToken()
{
    m_sToken = NewToken();
    const QString token = m_sToken;
    RunOnServer([token](TPhoneServer& server) { server.SetToken(token); });
    TPhoneJoin::Instance().Set(Address(), QrCodeImage(Address()));
    WriteLog(QStringLiteral("手机点歌: ") + Address());
    if (m_pPoll)
        Publish();
}

void TPhoneRemote::OpenQueueView()
{
    if (!FrmData || !g_pSetting)
        return;
    // A view of its own: reading the queue never moves the terminal's cursor.
    m_pQueue = std::make_unique<DataSet>();
    try {
        if (g_pSetting->SaloonMode) {
            m_pQueue->SetConnection(&FrmData->ado);
            m_pQueue->SetTableName(QStringLiteral("order"));
        } else {
            const QString file = FrmData->QueueFolder() + QStringLiteral("order.dbf");
            m_pQueue->SetDbfFile(file);
            m_pQueue->SetAutoRefresh(true);
            m_pWatcher = new QFileSystemWatcher(this);
            m_pWatcher->addPath(file);
            connect(m_pWatcher, &QFileSystemWatcher::fileChanged, this, [this, file] {
                // A file written by replacing it leaves the watch.
                if (!m_pWatcher->files().contains(file) && QFileInfo::exists(file))
                    m_pWatcher->addPath(file);
                Publish();
            });
        }
        m_pQueue->SetReadOnly(true);
        m_pQueue->Open();
        m_pQueue->SetIndexFieldNames(QStringLiteral("NUM"));
    } catch (const std::exception& e) {
        WriteLog(QStringLiteral("手机点歌: 已点歌曲不可读 ") + QString::fromUtf8(e.what()));
        m_pQueue.reset();
    }
}

QJsonObject TPhoneRemote::QueueJson()
{
    QJsonObject queue{{QStringLiteral("type"), QStringLiteral("queue")}};
    if (!m_pQueue)
        return queue;
    QJsonArray items;
    QJsonValue playing;
    if (m_pQueue->DbfFile().isEmpty())
        m_pQueue->Refresh();
    for (m_pQueue->First(); !m_pQueue->Eof(); m_pQueue->Next()) {
        const QString mark = Value(*m_pQueue, "Playing");
        if (mark == QLatin1String("0"))
            items.append(Entry(*m_pQueue));
        else if (mark == QLatin1String("1"))
            playing = Entry(*m_pQueue);
    }
    queue.insert(QStringLiteral("playing"), playing);
    queue.insert(QStringLiteral("next"), items.isEmpty() ? QJsonValue() : items.first());
    queue.insert(QStringLiteral("items"), items);
    return queue;
}

QJsonObject TPhoneRemote::StateJson() const
{
    const TSetting* s = g_pSetting;
    QString lang = QStringLiteral("zh");
    QString room;
    if (s) {
        if (s->LangType >= 0 && s->LangType < s->LangList.size()) {
            const TLangItem& item = s->LangList[s->LangType];
            if ((item.Section + item.Folder).contains(QLatin1String("eng"), Qt::CaseInsensitive))
                lang = QStringLiteral("en");
        }
        room = s->Texts.Room;
    }
    return QJsonObject{{QStringLiteral("type"), QStringLiteral("state")},
                       {QStringLiteral("lang"), lang},
                       {QStringLiteral("room"), room},
                       {QStringLiteral("locked"), RoomLocked()},
                       {QStringLiteral("adult"), s && s->Sex == QLatin1String("1")},
                       {QStringLiteral("dance"), s && s->Disco == QLatin1String("1")},
                       {QStringLiteral("hotelVod"), s && s->HotelVod}};
}

void TPhoneRemote::Publish()
{
    QJsonObject queue;
    try {
        queue = QueueJson();
    } catch (const std::exception&) {
        // The player holds the file this moment: the next round reads it.
        return;
    }
    const QJsonObject state = StateJson();
    RunOnServer([queue, state](TPhoneServer& server) {
        server.PublishState(state);
        server.PublishQueue(queue);
    });
}

bool TPhoneRemote::RoomLocked()
{
    if (FrmMediaPlayer && FrmMediaPlayer->m_bLocked)
        return true;
    TKVFormXML* lock = g_pLockScreen;
    if (!lock || !lock->isVisible())
        return false;
    const auto* purpose = dynamic_cast<const ILockScreen*>(lock);
    return !purpose || !purpose->InputAllowed || purpose->LockMode;
}

TPhoneReply TPhoneRemote::Act(const QString& action, const QJsonObject& args)
{
    if (!FrmData || !g_pSetting)
        return Refused(503, "station");
    if (RoomLocked())
        return Refused(423, "locked");
    TPhoneReply reply;
    const QString no = args.value(QStringLiteral("no")).toString();
    const TKeyMap& keys = g_pSetting->Keys;
    if (action == QLatin1String("order"))
        reply = Order(no);
    else if (action == QLatin1String("first") || action == QLatin1String("delete"))
        reply = EditQueue(action, no, args.value(QStringLiteral("num")).toInt());
    else if (action == QLatin1String("volup"))
        reply = PressKey(keys.VOLUME_ADD);
    else if (action == QLatin1String("voldown"))
        reply = PressKey(keys.VOLUME_DEC);
    else if (action == QLatin1String("skip"))
        reply = PressKey(keys.STOP);
    else
        reply = Refused(400, "action");
    Publish();
    return reply;
}

TPhoneReply TPhoneRemote::Order(const QString& songNo)
{
    DataSet song;
    song.SetConnection(&FrmData->ado);
    song.SetCommandText(QStringLiteral("select * from qu_song where SongNo = ?"));
    song.SetParameters({songNo});
    song.SetReadOnly(true);
    song.Open();
    if (song.IsEmpty())
        return Refused(404, "unknown song");
    const TSetting& s = *g_pSetting;
    const int lanType = Value(song, "Lan_Type").toInt();
    // Adult and dance films stay hidden from phones while their switch is off.
    if ((lanType == 20 && s.Sex != QLatin1String("1")) || (lanType == 21 && s.Disco != QLatin1String("1")))
        return Refused(404, "unknown song");
    const Field price = song.FindField(QStringLiteral("Price"));
    if (s.HotelVod && price.IsValid() && price.AsFloat() > 0)
        return Refused(403, "priced");
    FrmData->OrderSong(&song);
    if (!FrmData->IsQueued(songNo))
        return Refused(503, "queue");
    return Done();
}

TPhoneReply TPhoneRemote::EditQueue(const QString& action, const QString& songNo, int num)
{
    DataSet* queue = FrmData->m_pOrder;
    if (!queue || !queue->Active())
        return Refused(503, "queue");
    std::lock_guard<std::recursive_mutex> lock(FrmData->Lock());
    try {
        queue->First();
    } catch (const std::exception&) {
        return Refused(503, "queue");
    }
    if (!queue->Locate(QStringLiteral("Num;SongNo"), {num, songNo}))
        return Refused(404, "not queued");
    if (action == QLatin1String("first")) {
        FrmData->MoveToFront();
        return Done();
    }
    return FrmData->DeleteCurrent() ? Done() : Refused(409, "not queued");
}

TPhoneReply TPhoneRemote::PressKey(int key)
{
    // The same key the room's keypad sends, so the station treats it alike.
    if (!FrmMediaPlayer || key == 0)
        return Refused(503, "station");
    PostVkKeyDown(FrmMediaPlayer, key);
    return Done();
}

TPhoneRemote* PhoneRemote()
{
    return g_pPhoneRemote;
}

namespace {

// A row of the vod settings as the Setting table has it now (invalid when
// the row or the catalogue is missing).
QVariant VodSetting(const char* name)
{
    if (!FrmData || !FrmData->ado.IsOpen())
        return QVariant();
    try {
        return FrmData->ado.Scalar(QStringLiteral("select value from Setting where type = ? and name = ?"),
                                   {QStringLiteral("vod"), QLatin1String(name)});
    } catch (const std::exception&) {
        return QVariant();
    }
}

} // namespace

QString PhoneHost()
{
    const QString host = VodSetting("PhoneHost").toString().trimmed();
    if (host.isEmpty())
        return QString();
    // A host name or an IPv4 address, nothing that could bend the address
    // the code carries.
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z0-9]([A-Za-z0-9.-]{0,251}[A-Za-z0-9])?$"));
    if (!valid.match(host).hasMatch()) {
        WriteLog(QStringLiteral("手机点歌: 地址设置PhoneHost不可用: ") + host, true);
        return QString();
    }
    return host;
}

int PhonePort()
{
    try {
        // Read with the same number rules as every other setting.
        const QVariant value = VodSetting("PhonePort");
        if (!value.isValid())
            return 0;
        TMemorySettingRows rows;
        rows.Add(QStringLiteral("vod"), QStringLiteral("PhonePort"), value.toString());
        TReadSetting reader;
        reader.SetDataSet(&rows);
        const int port = reader.ReadInteger(QStringLiteral("vod"), QStringLiteral("PhonePort"), 0);
        return port > 0 && port <= 65535 ? port : 0;
    } catch (const std::exception&) {
        return 0;
    }
}

void StartPhoneRemote()
{
    const int port = PhonePort();
    if (port == 0 || g_pPhoneRemote)
        return;
    g_pPhoneRemote = new TPhoneRemote();
    if (!g_pPhoneRemote->Start(quint16(port))) {
        WriteLog(QStringLiteral("手机点歌端口%1无法打开: %2").arg(port).arg(g_pPhoneRemote->Error()), true);
        delete g_pPhoneRemote;
        g_pPhoneRemote = nullptr;
        return;
    }
}

void StopPhoneRemote()
{
    delete g_pPhoneRemote;
    g_pPhoneRemote = nullptr;
}
