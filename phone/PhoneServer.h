#pragma once
// The phone remote's web server: a small HTTP and WebSocket server on the
// venue's network that serves the phone page from the program's resources
// and answers its JSON requests. It runs on a thread of its own, searching
// its own copy of the catalogue, so phones never hold up the touch screen;
// everything that changes the room (orders, the queue, volume, skip) is
// handed to the station's thread through the link.
//
// Every request carries the room's token (query item "t" or the header
// X-Room-Token); a request larger than the limit, one that is not HTTP and
// one that does not arrive whole in time are answered with an error and
// their connection closed, and each client address has a request budget
// that refills every second. The page runs only its own inline code, and
// its live connection is taken only from the station's own page.
#include "phone/PhoneCatalogue.h"
#include "phone/PhoneReply.h"

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QJsonObject>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocketServer>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

class QWebSocket;

struct TPhoneServerOptions
{
    QHostAddress address = QHostAddress::Any;
    quint16 port = 0;
    // The catalogue connection the server reads its copy through.
    QString connectionString;
    QString exeDir;
    // Bytes a request (line, headers and body) may take.
    int maxRequestBytes = 16 * 1024;
    // Requests a client address may make at once, and per second after that.
    int burst = 40;
    int perSecond = 20;
    // Connections one client address may hold open.
    int connectionsPerClient = 16;
    // Time a request may take to arrive whole, and a kept-alive connection
    // may stay quiet, before it is closed.
    int requestTimeoutMs = 10000;
    int idleTimeoutMs = 60000;
    // How long a change of the room may take on the station's thread.
    int stationTimeoutMs = 3000;
};

// The station's side, called on the station's thread.
struct TPhoneStationLink
{
    QPointer<QObject> context; // an object of the station's thread
    std::function<TPhoneReply(const QString& action, const QJsonObject& args)> act;
};

class TPhoneTcpServer : public QTcpServer
{
    Q_OBJECT
public:
    TPhoneTcpServer(const TPhoneServerOptions& options, QObject* parent);
    // Forgets what a connection has sent so far (a request was answered).
    static void RequestDone(QTcpSocket* socket);

signals:
    // A connection that opens with a WebSocket handshake for /ws, taken
    // from the HTTP server before it reads anything.
    void WebSocketUpgrade(QTcpSocket* socket);

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    void Guard(QTcpSocket* socket);
    // False when what has come of the request's first line cannot be one.
    bool RequestLineSound(QTcpSocket* socket, qint64 now);
    // Closes connections whose request is overdue or that stayed quiet.
    void Sweep();
    const int m_nMaxBytes;
    const int m_nPerClient;
    const int m_nRequestMs;
    const int m_nIdleMs;
    QList<QPointer<QTcpSocket>> m_aOpen;
    QElapsedTimer m_clock;
    QTimer m_sweep;
};

class TPhoneServer : public QAbstractHttpServer
{
    Q_OBJECT
public:
    TPhoneServer(const TPhoneServerOptions& options, TPhoneStationLink link, QObject* parent = nullptr);
    ~TPhoneServer() override;

    // Listens; false (and the reason in Error()) when the port cannot be had.
    bool Start();
    quint16 Port() const;
    QString Error() const { return m_sError; }

    // Reads the catalogue copy (on this thread); an error is kept in Error().
    void LoadCatalogue();
    // Reads the catalogue copy again on a worker thread; the copy in use
    // keeps answering until the new one is ready. A request made while a
    // reading runs is served by one more reading after it.
    void ReloadCatalogue();
    bool CatalogueLoading() const { return m_bLoading; }
    void SetCatalogue(std::shared_ptr<const TPhoneCatalogue> catalogue);
    // A new token: phones holding the old one are told and disconnected.
    void SetToken(const QString& token);
    // What the station publishes; sent on to every phone when it changed.
    void PublishQueue(const QJsonObject& queue);
    void PublishState(const QJsonObject& state);

    int WebSocketCount() const { return int(m_sockets.size()); }

signals:
    // A reading of the catalogue copy ended: the songs of the new copy, or
    // the reason it failed (the old copy stays).
    void CatalogueLoaded(int songs, const QString& error);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    TPhoneReply Route(const QHttpServerRequest& request, QByteArray* raw, QByteArray* rawType);
    TPhoneReply Api(const QString& path, const QHttpServerRequest& request, QByteArray* raw, QByteArray* rawType);
    TPhoneReply SongPage(const TPhonePage& page, int offset) const;
    TPhoneReply Photo(int index, QByteArray* raw, QByteArray* rawType);
    TPhoneReply Act(const QString& action, const QJsonObject& args);
    bool TokenOk(const QHttpServerRequest& request) const;
    bool Allowed(const QHostAddress& client);
    void AcceptWebSockets();
    void Broadcast(const QJsonObject& message);
    TPhoneVisibility Visibility() const;
    void CatalogueRead(std::shared_ptr<const TPhoneCatalogue> catalogue, const QString& error);

    TPhoneServerOptions m_options;
    TPhoneStationLink m_link;
    TPhoneTcpServer* m_pTcp = nullptr;
    QWebSocketServer m_webSockets{QStringLiteral("vod"), QWebSocketServer::NonSecureMode};
    QString m_sError;
    QString m_sToken;
    std::shared_ptr<const TPhoneCatalogue> m_pCatalogue;
    QJsonObject m_queue, m_state;
    QList<QWebSocket*> m_sockets;
    struct Budget
    {
        double tokens = 0;
        qint64 at = 0;
    };
    QHash<QHostAddress, Budget> m_budgets;
    QElapsedTimer m_clock;
    QHash<int, QByteArray> m_photos;
    QByteArray m_page;
    QByteArray m_pagePolicy; // the pages' own inline code, by hash
    std::thread m_loader;
    std::atomic<bool> m_bStopLoading{false};
    bool m_bLoading = false, m_bReloadAgain = false;
};
