// The phone server over real sockets: connections it cannot read are
// answered and closed, its pages allow only their own code, its live
// connection opens only from its own page, and a catalogue read again
// replaces the copy in use only once it is ready.
#include "phone/PhoneServer.h"

#include "platform/db/DbConnection.h"
#include "support/ChildProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebSocket>
#include <gtest/gtest.h>

namespace {

const QString kToken = QStringLiteral("abc123xyz9");

template <typename Pred> bool WaitFor(Pred pred, int timeoutMs = 10000)
{
    return testsupport::WaitUntil(pred, timeoutMs, 2);
}

QByteArray Header(const QByteArray& answer, const QByteArray& name)
{
    for (const QByteArray& line : answer.left(answer.indexOf("\r\n\r\n")).split('\n')) {
        if (line.toLower().startsWith(name.toLower() + ':'))
            return line.mid(name.size() + 1).trimmed();
    }
    return QByteArray();
}

// Bytes sent over a connection of its own, and everything the server said
// until it closed the connection (or the wait ended).
struct Exchange
{
    QByteArray answer;
    bool closedByServer = false;
};

Exchange Send(quint16 port, const QByteArray& bytes, bool waitForClose = true, int timeoutMs = 5000)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    Exchange e;
    if (!socket.waitForConnected(5000))
        return e;
    socket.write(bytes);
    // Without waiting for the close: until the whole answer is there.
    const auto whole = [&] {
        const qsizetype head = e.answer.indexOf("\r\n\r\n");
        return head >= 0 && e.answer.size() - head - 4 >= Header(e.answer, "Content-Length").toLongLong();
    };
    const auto done = [&] {
        e.answer += socket.readAll();
        return waitForClose ? socket.state() == QAbstractSocket::UnconnectedState : whole();
    };
    e.closedByServer = WaitFor(done, timeoutMs) && waitForClose;
    e.answer += socket.readAll();
    return e;
}

// A catalogue of `songs` songs named "歌曲N" with initials "GQ", in a SQLite file.
void WriteCatalogue(const QString& file, int songs)
{
    QFile(file).open(QIODevice::WriteOnly); // the connection opens only a file that is there
    DbConnection db;
    db.Open(QStringLiteral("Provider=SQLite;Data Source=") + file);
    db.Execute(QStringLiteral("create table qu_song (SongNo text, Name text, Singer_Nam text, Lan_Type integer, "
                              "Lan_Name text, First_Char text, CreateDate text, Price real, TotalTimes integer)"));
    db.Execute(QStringLiteral("create table qu_Singer (SINGERNAME text, PYCODE text, PHOTO text, TIMES real)"));
    for (int i = 1; i <= songs; ++i)
        db.Execute(QStringLiteral("insert into qu_song values (?, ?, '歌手', 1, '国语', 'GQ', '2024-01-01', 0, 0)"),
                   {QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')), QStringLiteral("歌曲%1").arg(i)});
}

class Server
{
public:
    explicit Server(TPhoneServerOptions options = TPhoneServerOptions())
    {
        options.address = QHostAddress::LocalHost;
        m_pServer = std::make_unique<TPhoneServer>(options, TPhoneStationLink());
        m_bStarted = m_pServer->Start();
        m_pServer->SetToken(kToken);
    }
    TPhoneServer& operator*() { return *m_pServer; }
    TPhoneServer* operator->() { return m_pServer.get(); }
    bool Started() const { return m_bStarted; }
    quint16 Port() const { return m_pServer->Port(); }
    QByteArray Get(const QString& pathAndQuery)
    {
        return Send(Port(),
                    "GET " + pathAndQuery.toUtf8() + " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(Port()) +
                        "\r\nX-Room-Token: " + kToken.toLatin1() + "\r\n\r\n",
                    false)
            .answer;
    }
    // The song numbers a search finds, or the answer's status line when it failed.
    QStringList Search(const QString& text)
    {
        const QByteArray answer = Get(QStringLiteral("/api/search?q=") + text + QStringLiteral("&limit=100"));
        if (!answer.startsWith("HTTP/1.1 200"))
            return {QString::fromLatin1(answer.left(answer.indexOf('\r')))};
        QStringList out;
        const QJsonObject body = QJsonDocument::fromJson(answer.mid(answer.indexOf("\r\n\r\n") + 4)).object();
        for (const QJsonValue& v : body.value(QStringLiteral("items")).toArray())
            out << v.toObject().value(QStringLiteral("no")).toString();
        return out;
    }

private:
    std::unique_ptr<TPhoneServer> m_pServer;
    bool m_bStarted = false;
};

} // namespace

TEST(PhoneServer, ConnectionsThatAreNoRequestOrNeverEndAreAnsweredAndClosed)
{
    TPhoneServerOptions options;
    options.connectionsPerClient = 3;
    options.requestTimeoutMs = 600;
    options.idleTimeoutMs = 600;
    Server server(options);
    ASSERT_TRUE(server.Started());
    // More of them than one client may hold open at once, each kept open by
    // the client: the server answers and closes every one, so none keeps
    // its place.
    const QList<std::pair<QByteArray, QByteArray>> cases{
        {QByteArray("\x16\x03\x01\x02\x00\x01\xfc\x03\x03", 9), "400 Bad Request"}, // TLS
        {"HELLO WORLD\r\n\r\n", "400 Bad Request"},
        {"xyz", "400 Bad Request"}, // no line end ever comes
        {"GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n", "408 Request Timeout"},
        {"POST /api/order HTTP/1.1\r\nContent-Length: 20\r\n\r\n{\"no\":", "408 Request Timeout"},
        {"GET /api/st", "408 Request Timeout"}};
    for (const auto& [bytes, status] : cases) {
        const Exchange e = Send(server.Port(), bytes);
        EXPECT_TRUE(e.closedByServer) << bytes.constData();
        EXPECT_TRUE(e.answer.startsWith("HTTP/1.1 " + status)) << bytes.constData() << " -> " << e.answer.constData();
        EXPECT_TRUE(
            e.answer.endsWith(status.startsWith("400") ? "{\"error\":\"bad request\"}" : "{\"error\":\"timeout\"}"))
            << e.answer.constData();
    }
    // One that never says anything is closed without a word once quiet a while.
    const Exchange quiet = Send(server.Port(), QByteArray());
    EXPECT_TRUE(quiet.closedByServer);
    EXPECT_TRUE(quiet.answer.isEmpty()) << quiet.answer.constData();
    // A request that comes in pieces, with blank lines before it, is answered
    // (by a server with the usual time limits, whatever the load).
    Server patient;
    ASSERT_TRUE(patient.Started());
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, patient.Port());
    ASSERT_TRUE(socket.waitForConnected(5000));
    QByteArray answer;
    for (const QByteArray& piece : {QByteArray("\r\nGE"), QByteArray("T /api/sta"),
                                    QByteArray("te HTTP/1.1\r\nX-Room-"), "Token: " + kToken.toLatin1() + "\r\n\r\n"}) {
        socket.write(piece);
        socket.flush();
        WaitFor([&] { return (answer += socket.readAll()).size() > 0; }, 100);
    }
    EXPECT_TRUE(WaitFor([&] { return (answer += socket.readAll()).contains("\r\n\r\n"); }));
    EXPECT_TRUE(answer.startsWith("HTTP/1.1 200")) << answer.constData();
}

TEST(PhoneServer, PagesRunOnlyTheirOwnCodeAndTheLiveConnectionOpensOnlyFromThem)
{
    Server server;
    ASSERT_TRUE(server.Started());
    const QByteArray host = "127.0.0.1:" + QByteArray::number(server.Port());
    for (const QString& page : {QStringLiteral("/?t=") + kToken, QStringLiteral("/?t=wrong")}) {
        const QByteArray policy = Header(server.Get(page), "Content-Security-Policy");
        EXPECT_TRUE(policy.startsWith("default-src 'none'; script-src 'sha256-")) << policy.constData();
        EXPECT_TRUE(policy.contains("style-src 'sha256-")) << policy.constData();
        EXPECT_FALSE(policy.contains("unsafe")) << policy.constData();
        EXPECT_TRUE(policy.contains("ws://" + host)) << policy.constData();
    }
    // A host that is not a plain name stays out of the policy.
    const Exchange odd =
        Send(server.Port(), "GET /?t=" + kToken.toLatin1() + " HTTP/1.1\r\nHost: x; script-src *\r\n\r\n", false);
    EXPECT_FALSE(Header(odd.answer, "Content-Security-Policy").contains("script-src *"));

    const auto open = [&](const QString& origin) {
        QWebSocket ws(origin);
        bool closed = false;
        QObject::connect(&ws, &QWebSocket::disconnected, [&] { closed = true; });
        ws.open(QUrl(QStringLiteral("ws://%1/ws?t=%2").arg(QString::fromLatin1(host), kToken)));
        WaitFor([&] { return ws.state() == QAbstractSocket::ConnectedState || closed; });
        const bool opened = ws.state() == QAbstractSocket::ConnectedState;
        WaitFor([&] { return server->WebSocketCount() == (opened ? 1 : 0); }, 2000);
        const int count = server->WebSocketCount();
        ws.close();
        WaitFor([&] { return server->WebSocketCount() == 0; });
        return opened && count == 1;
    };
    EXPECT_TRUE(open(QStringLiteral("http://") + QString::fromLatin1(host)));
    EXPECT_FALSE(open(QString()));
    EXPECT_FALSE(open(QStringLiteral("http://evil.example")));
    EXPECT_FALSE(open(QStringLiteral("http://127.0.0.1:1")));
    EXPECT_FALSE(open(QStringLiteral("null")));
    const Exchange refused =
        Send(server.Port(), "GET /ws?t=" + kToken.toLatin1() + " HTTP/1.1\r\nHost: " + host +
                                "\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n"
                                "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nOrigin: http://evil.example\r\n\r\n");
    EXPECT_TRUE(refused.answer.startsWith("HTTP/1.1 403")) << refused.answer.constData();
    EXPECT_TRUE(refused.answer.endsWith("{\"error\":\"origin\"}"));
}

TEST(PhoneServer, ACatalogueReadAgainReplacesTheCopyOnlyWhenReady)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("kroom.db"));
    WriteCatalogue(file, 3);
    TPhoneServerOptions options;
    options.connectionString = QStringLiteral("Provider=SQLite;Data Source=") + file;
    Server server(options);
    ASSERT_TRUE(server.Started());
    QSignalSpy loaded(&*server, &TPhoneServer::CatalogueLoaded);
    server->ReloadCatalogue();
    ASSERT_TRUE(WaitFor([&] { return loaded.size() == 1; }));
    EXPECT_EQ(loaded[0][0].toInt(), 3);
    EXPECT_EQ(server.Search(QStringLiteral("gq")).size(), 3);

    // Another program holds the catalogue while it adds a song: the reading
    // waits for it, and the phones are served from the copy they had.
    DbConnection writer;
    writer.Open(options.connectionString);
    writer.Execute(QStringLiteral("begin exclusive"));
    writer.Execute(QStringLiteral("insert into qu_song values ('00004', '新歌', '歌手', 1, '国语', 'GQ', "
                                  "'2024-01-01', 0, 0)"));
    server->ReloadCatalogue();
    server->ReloadCatalogue(); // asked again meanwhile: one more reading follows
    ASSERT_TRUE(server->CatalogueLoading());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(server.Search(QStringLiteral("gq")).size(), 3);
    writer.Execute(QStringLiteral("commit"));
    ASSERT_TRUE(WaitFor([&] { return loaded.size() == 3; }));
    EXPECT_EQ(loaded[2][0].toInt(), 4);
    EXPECT_EQ(server.Search(QStringLiteral("gq")).size(), 4);

    // A catalogue that cannot be read leaves the copy in use.
    QFile::remove(file);
    QFile(file).open(QIODevice::WriteOnly);
    server->ReloadCatalogue();
    ASSERT_TRUE(WaitFor([&] { return loaded.size() == 4; }));
    EXPECT_LT(loaded[3][0].toInt(), 0);
    EXPECT_FALSE(loaded[3][1].toString().isEmpty());
    EXPECT_EQ(server.Search(QStringLiteral("gq")).size(), 4);
}
