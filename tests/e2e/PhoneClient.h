#pragma once
// A phone as the tests play it: HTTP requests and the live WebSocket of the
// phone remote, over real sockets, waited for with the event loop running.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTcpServer>
#include <QTimer>
#include <QUrlQuery>
#include <QWebSocket>
#include <memory>

namespace phonetest {

struct Answer
{
    int status = 0; // 0: no HTTP answer (refused, reset, timed out)
    QByteArray body;
    QJsonObject json() const { return QJsonDocument::fromJson(body).object(); }
    QString error() const { return json().value(QStringLiteral("error")).toString(); }
};

// A TCP port nobody listens on at this moment.
inline quint16 FreeTcpPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::Any, 0);
    return probe.serverPort();
}

class Phone
{
public:
    // address: what the room's code says ("http://host:port/?t=token").
    explicit Phone(const QString& address) : m_base(QUrl(address))
    {
        m_sToken = QUrlQuery(m_base).queryItemValue(QStringLiteral("t"));
        m_base.setQuery(QString());
        m_base.setPath(QString());
    }
    const QString& Token() const { return m_sToken; }
    void SetToken(const QString& token) { m_sToken = token; }
    QUrl Url(const QString& pathAndQuery) const { return QUrl(m_base.toString() + pathAndQuery); }

    Answer Get(const QString& pathAndQuery, bool withToken = true)
    {
        QNetworkRequest request(Url(pathAndQuery));
        if (withToken)
            request.setRawHeader("X-Room-Token", m_sToken.toLatin1());
        return Wait(m_net.get(request));
    }
    Answer Post(const QString& path, const QByteArray& body)
    {
        QNetworkRequest request(Url(path));
        request.setRawHeader("X-Room-Token", m_sToken.toLatin1());
        request.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
        return Wait(m_net.post(request, body));
    }
    Answer Post(const QString& path, const QJsonObject& body)
    {
        return Post(path, QJsonDocument(body).toJson(QJsonDocument::Compact));
    }

    // The live connection; every message it brings is kept.
    bool Connect(const QString& token = QString())
    {
        // As the page opens it: from the station's own address.
        m_pSocket = std::make_unique<QWebSocket>(m_base.toString(QUrl::StripTrailingSlash));
        QObject::connect(m_pSocket.get(), &QWebSocket::textMessageReceived, [this](const QString& text) {
            m_aMessages.append(QJsonDocument::fromJson(text.toUtf8()).object());
        });
        QObject::connect(m_pSocket.get(), &QWebSocket::disconnected, [this] { m_bClosed = true; });
        QUrl url = Url(QStringLiteral("/ws"));
        url.setScheme(QStringLiteral("ws"));
        url.setQuery(QStringLiteral("t=") + (token.isNull() ? m_sToken : token));
        m_bClosed = false;
        m_pSocket->open(url);
        return WaitFor([this] { return m_pSocket->state() == QAbstractSocket::ConnectedState || m_bClosed; }) &&
               !m_bClosed;
    }
    bool Closed() const { return m_bClosed; }
    const QList<QJsonObject>& Messages() const { return m_aMessages; }
    // The latest message of a type ("queue", "state", "expired"), empty when none came.
    QJsonObject Last(const QString& type) const
    {
        for (auto it = m_aMessages.crbegin(); it != m_aMessages.crend(); ++it) {
            if (it->value(QStringLiteral("type")).toString() == type)
                return *it;
        }
        return QJsonObject();
    }

    template <typename Pred> static bool WaitFor(Pred pred, int timeoutMs = 10000)
    {
        QElapsedTimer t;
        t.start();
        while (!pred()) {
            if (t.elapsed() > timeoutMs)
                return false;
            QEventLoop loop;
            QTimer::singleShot(5, &loop, &QEventLoop::quit);
            loop.exec();
        }
        return true;
    }

private:
    Answer Wait(QNetworkReply* reply)
    {
        reply->setParent(nullptr);
        std::unique_ptr<QNetworkReply> owned(reply);
        WaitFor([reply] { return reply->isFinished(); }, 15000);
        Answer a;
        a.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        a.body = reply->readAll();
        return a;
    }

    QUrl m_base;
    QString m_sToken;
    QNetworkAccessManager m_net;
    std::unique_ptr<QWebSocket> m_pSocket;
    QList<QJsonObject> m_aMessages;
    bool m_bClosed = false;
};

// Song numbers of a queue message's waiting entries, front first.
inline QStringList Waiting(const QJsonObject& queue)
{
    QStringList out;
    for (const QJsonValue& v : queue.value(QStringLiteral("items")).toArray())
        out << v.toObject().value(QStringLiteral("no")).toString();
    return out;
}

} // namespace phonetest
