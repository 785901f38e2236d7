#include "phone/PhoneServer.h"

#include "platform/db/DbConnection.h"
#include "platform/image/Jpeg.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMetaObject>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QUrlQuery>
#include <QWebSocket>
#include <cstring>
#include <future>

// The page is in a static library: its resources are registered by hand.
static void InitPhonePage()
{
    Q_INIT_RESOURCE(phone);
}

namespace {

constexpr int kMaxBodyBytes = 4096;
constexpr int kMaxPageSize = 100;
constexpr int kDefaultPageSize = 30;
constexpr int kMaxOffset = 1000000;
constexpr int kPhotoSize = 160;
constexpr int kPhotoCache = 400;
constexpr int kWebSocketsPerClient = 8;
// What the guard keeps of a connection, as properties of its socket.
const char kBytesProperty[] = "phoneRequestBytes"; // bytes of the request so far
const char kSeenProperty[] = "phoneSeen";          // its first bytes were looked at
const char kLineProperty[] = "phoneRequestLine";   // the request line so far
const char kLineDoneProperty[] = "phoneLineDone";  // the request line was whole and sound
const char kStartedProperty[] = "phoneStarted";    // when the request began (ms)
const char kActiveProperty[] = "phoneActive";      // when bytes last came (ms)
const char kUpgradedProperty[] = "phoneUpgraded";  // handed to the WebSocket server

using Status = QHttpServerResponder::StatusCode;

TPhoneReply Failure(int status, const char* code)
{
    return TPhoneReply{status, QJsonObject{{QStringLiteral("error"), QLatin1String(code)}}};
}

int IntParam(const QUrlQuery& q, const char* name, int fallback, int low, int high)
{
    const QString text = q.queryItemValue(QLatin1String(name), QUrl::FullyDecoded);
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok ? std::clamp(n, low, high) : fallback;
}

QString TextParam(const QUrlQuery& q, const char* name)
{
    return q.queryItemValue(QLatin1String(name), QUrl::FullyDecoded).left(64);
}

// A song number as the catalogue writes them.
bool ValidSongNo(const QString& no)
{
    static const QRegularExpression pattern(QStringLiteral("^[0-9A-Za-z]{1,10}$"));
    return pattern.match(no).hasMatch();
}

QByteArray RefusedPage()
{
    return QByteArrayLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
                             "<meta name=\"viewport\" content=\"width=device-width,initial-scale=1\">"
                             "<title>KTV</title><style>body{font-family:sans-serif;padding:2em}</style></head><body>"
                             "<h2>二维码已过期，请重新扫描房间屏幕上的二维码。</h2>"
                             "<h2>This code has expired: scan the code on the room's screen again.</h2>"
                             "</body></html>");
}

// The hashes of the inline scripts and styles of the pages, as a browser
// computes them: only these run or apply, nothing injected into a page.
QByteArray InlineHashes(const QList<QByteArray>& pages, const QByteArray& tag)
{
    QByteArray hashes;
    const QByteArray open = '<' + tag + '>', close = "</" + tag + '>';
    for (const QByteArray& page : pages) {
        for (qsizetype at = page.indexOf(open); at >= 0; at = page.indexOf(open, at)) {
            at += open.size();
            const qsizetype end = page.indexOf(close, at);
            if (end < 0)
                break;
            hashes += " 'sha256-" +
                      QCryptographicHash::hash(page.mid(at, end - at), QCryptographicHash::Sha256).toBase64() + '\'';
            at = end;
        }
    }
    return hashes.isEmpty() ? QByteArrayLiteral(" 'none'") : hashes;
}

// The value of a header of a request's head, empty when there is none.
QByteArray HeaderValue(const QByteArray& head, const QByteArray& lowerName)
{
    const qsizetype end = head.indexOf("\r\n\r\n");
    for (const QByteArray& line : head.left(end).split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == lowerName)
            return line.mid(colon + 1).trimmed();
    }
    return QByteArray();
}

// A WebSocket says which page opened it: only the station's own page (same
// host and port) may, so a page of another site that a guest opens cannot
// reach the room. One that names no page is refused too.
bool SameOrigin(const QByteArray& head)
{
    const QByteArray origin = HeaderValue(head, "origin");
    const QByteArray host = HeaderValue(head, "host");
    return !origin.isEmpty() && !host.isEmpty() && origin.compare("http://" + host, Qt::CaseInsensitive) == 0;
}

// A host as a request names it, fit to be repeated in a header.
bool PlainHost(const QByteArray& host)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9.\\-]{1,253}(:[0-9]{1,5})?$"));
    return pattern.match(QString::fromLatin1(host)).hasMatch();
}

// Answers a connection with an error of its own and closes it.
void Refuse(QTcpSocket* socket, const QByteArray& statusLine, const char* code)
{
    socket->readAll();
    const QByteArray body = QByteArrayLiteral("{\"error\":\"") + code + QByteArrayLiteral("\"}");
    socket->write("HTTP/1.1 " + statusLine +
                  QByteArrayLiteral("\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: ") +
                  QByteArray::number(body.size()) + QByteArrayLiteral("\r\n\r\n") + body);
    socket->disconnectFromHost();
}

} // namespace

// ---- connection guard ----

TPhoneTcpServer::TPhoneTcpServer(const TPhoneServerOptions& options, QObject* parent)
    : QTcpServer(parent), m_nMaxBytes(options.maxRequestBytes), m_nPerClient(options.connectionsPerClient),
      m_nRequestMs(options.requestTimeoutMs), m_nIdleMs(options.idleTimeoutMs)
{
    m_clock.start();
    m_sweep.setInterval(std::clamp(m_nRequestMs / 4, 50, 1000));
    connect(&m_sweep, &QTimer::timeout, this, &TPhoneTcpServer::Sweep);
    m_sweep.start();
}

void TPhoneTcpServer::RequestDone(QTcpSocket* socket)
{
    if (!socket)
        return;
    socket->setProperty(kBytesProperty, 0);
    socket->setProperty(kLineProperty, QByteArray());
    socket->setProperty(kLineDoneProperty, false);
    socket->setProperty(kStartedProperty, QVariant());
}

void TPhoneTcpServer::incomingConnection(qintptr descriptor)
{
    auto* socket = new QTcpSocket(this);
    if (!socket->setSocketDescriptor(descriptor)) {
        delete socket;
        return;
    }
    // Counted by looking, not by signals: the HTTP server drops every
    // connection of a socket whose request does not parse.
    const QHostAddress peer = socket->peerAddress();
    m_aOpen.removeIf(
        [](const QPointer<QTcpSocket>& s) { return !s || s->state() == QAbstractSocket::UnconnectedState; });
    const auto open = std::count_if(m_aOpen.cbegin(), m_aOpen.cend(),
                                    [&peer](const QPointer<QTcpSocket>& s) { return s->peerAddress() == peer; });
    if (open >= m_nPerClient) {
        socket->abort();
        socket->deleteLater();
        return;
    }
    m_aOpen.append(socket);
    socket->setProperty(kActiveProperty, m_clock.elapsed());
    // Connected before the HTTP server's own handler, so it sees every byte
    // first and can stop a request that grows past the limit.
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Guard(socket); });
    addPendingConnection(socket);
}

void TPhoneTcpServer::Guard(QTcpSocket* socket)
{
    const qint64 now = m_clock.elapsed();
    socket->setProperty(kActiveProperty, now);
    // The first bytes of a connection: a WebSocket handshake goes to the
    // WebSocket server with nothing of it read.
    if (!socket->property(kSeenProperty).toBool()) {
        socket->setProperty(kSeenProperty, true);
        const QByteArray head = socket->peek(m_nMaxBytes);
        if (head.startsWith("GET /ws") && head.contains("\r\n\r\n") && head.toLower().contains("upgrade: websocket")) {
            if (!SameOrigin(head)) {
                Refuse(socket, "403 Forbidden", "origin");
                return;
            }
            socket->setProperty(kUpgradedProperty, true);
            disconnect(socket, &QTcpSocket::readyRead, nullptr, nullptr);
            emit WebSocketUpgrade(socket);
            return;
        }
    }
    if (!RequestLineSound(socket, now)) {
        Refuse(socket, "400 Bad Request", "bad request");
        return;
    }
    const qint64 total = socket->property(kBytesProperty).toLongLong() + socket->bytesAvailable();
    socket->setProperty(kBytesProperty, total);
    if (total > m_nMaxBytes)
        Refuse(socket, "413 Payload Too Large", "too large");
}

bool TPhoneTcpServer::RequestLineSound(QTcpSocket* socket, qint64 now)
{
    if (socket->property(kLineDoneProperty).toBool())
        return true;
    // The bytes not read yet are the ones that came now: the HTTP server
    // reads a request line as far as it has come.
    QByteArray line = socket->property(kLineProperty).toByteArray() + socket->peek(socket->bytesAvailable());
    // Blank lines between requests are skipped, as the HTTP server does.
    qsizetype blank = 0;
    while (blank < line.size() && std::strchr(" \t\r\n\v", line[blank]) && line[blank] != 0)
        ++blank;
    line.remove(0, blank);
    if (line.isEmpty())
        return true;
    if (!socket->property(kStartedProperty).isValid())
        socket->setProperty(kStartedProperty, now);
    const qsizetype end = line.indexOf('\n');
    const bool whole = end >= 0;
    if (whole)
        line.truncate(end);
    socket->setProperty(kLineProperty, whole ? QByteArray() : line);
    socket->setProperty(kLineDoneProperty, whole);
    // "METHOD target HTTP/1.1"; of a line still coming, what has come must
    // begin so. Anything else is not a request this server could answer.
    static const QRegularExpression pattern(QStringLiteral("^[A-Z]{1,16} [!-~]+ HTTP/[0-9]\\.[0-9]\r?$"));
    const QRegularExpressionMatch match =
        pattern.match(QString::fromLatin1(line), 0,
                      whole ? QRegularExpression::NormalMatch : QRegularExpression::PartialPreferCompleteMatch);
    return match.hasMatch() || match.hasPartialMatch();
}

void TPhoneTcpServer::Sweep()
{
    const qint64 now = m_clock.elapsed();
    m_aOpen.removeIf(
        [](const QPointer<QTcpSocket>& s) { return !s || s->state() == QAbstractSocket::UnconnectedState; });
    for (const QPointer<QTcpSocket>& s : std::as_const(m_aOpen)) {
        if (s->state() != QAbstractSocket::ConnectedState || s->property(kUpgradedProperty).toBool())
            continue;
        // A request that does not complete in time (a client that stopped
        // half-way, or sends a byte now and then) is answered and closed;
        // a kept-alive connection that stays quiet is closed.
        const QVariant started = s->property(kStartedProperty);
        if (started.isValid() && now - started.toLongLong() > m_nRequestMs)
            Refuse(s, "408 Request Timeout", "timeout");
        else if (!started.isValid() && now - s->property(kActiveProperty).toLongLong() > m_nIdleMs)
            s->disconnectFromHost();
    }
}

// ---- server ----

TPhoneServer::TPhoneServer(const TPhoneServerOptions& options, TPhoneStationLink link, QObject* parent)
    : QAbstractHttpServer(parent), m_options(options), m_link(std::move(link))
{
    m_clock.start();
    InitPhonePage();
    QFile page(QStringLiteral(":/phone/index.html"));
    if (page.open(QIODevice::ReadOnly))
        m_page = page.readAll();
    const QList<QByteArray> pages{m_page, RefusedPage()};
    m_pagePolicy = "default-src 'none'; script-src" + InlineHashes(pages, "script") + "; style-src" +
                   InlineHashes(pages, "style") +
                   "; img-src 'self' blob:; base-uri 'none'; form-action 'none'; frame-ancestors 'none'; "
                   "connect-src 'self'";
    connect(&m_webSockets, &QWebSocketServer::newConnection, this, &TPhoneServer::AcceptWebSockets);
}

TPhoneServer::~TPhoneServer()
{
    m_bStopLoading = true;
    if (m_loader.joinable())
        m_loader.join();
    for (QWebSocket* ws : std::as_const(m_sockets))
        ws->abort();
}

bool TPhoneServer::Start()
{
    m_pTcp = new TPhoneTcpServer(m_options, this);
    if (!m_pTcp->listen(m_options.address, m_options.port)) {
        m_sError = m_pTcp->errorString();
        delete m_pTcp;
        m_pTcp = nullptr;
        return false;
    }
    bind(m_pTcp);
    connect(m_pTcp, &TPhoneTcpServer::WebSocketUpgrade, this, [this](QTcpSocket* socket) {
        m_webSockets.handleConnection(socket);
        // The handshake is already waiting: the WebSocket server reads it now.
        QMetaObject::invokeMethod(
            socket, [socket] { emit socket->readyRead(); }, Qt::QueuedConnection);
    });
    return true;
}

quint16 TPhoneServer::Port() const
{
    return m_pTcp ? m_pTcp->serverPort() : 0;
}

void TPhoneServer::LoadCatalogue()
{
    try {
        DbConnection db;
        db.Open(m_options.connectionString, m_options.exeDir);
        SetCatalogue(TPhoneCatalogue::Load(db));
    } catch (const std::exception& e) {
        m_sError = QString::fromUtf8(e.what());
    }
}

void TPhoneServer::ReloadCatalogue()
{
    if (m_bLoading) {
        m_bReloadAgain = true;
        return;
    }
    if (m_loader.joinable())
        m_loader.join(); // done: it handed over its copy
    m_bLoading = true;
    m_bReloadAgain = false;
    m_loader = std::thread([this, connection = m_options.connectionString, exeDir = m_options.exeDir] {
        std::shared_ptr<const TPhoneCatalogue> catalogue;
        QString error;
        try {
            DbConnection db;
            db.Open(connection, exeDir);
            catalogue = TPhoneCatalogue::Load(db, &m_bStopLoading);
        } catch (const std::exception& e) {
            error = QString::fromUtf8(e.what());
        }
        // The server is alive: its destructor waits for this thread.
        QMetaObject::invokeMethod(
            this, [this, catalogue, error] { CatalogueRead(catalogue, error); }, Qt::QueuedConnection);
    });
}

void TPhoneServer::CatalogueRead(std::shared_ptr<const TPhoneCatalogue> catalogue, const QString& error)
{
    m_bLoading = false;
    if (catalogue)
        SetCatalogue(catalogue);
    else
        m_sError = error;
    if (!m_bStopLoading)
        emit CatalogueLoaded(catalogue ? catalogue->SongCount() : -1, error);
    if (m_bReloadAgain)
        ReloadCatalogue();
}

void TPhoneServer::SetCatalogue(std::shared_ptr<const TPhoneCatalogue> catalogue)
{
    m_pCatalogue = std::move(catalogue);
    m_photos.clear();
}

void TPhoneServer::SetToken(const QString& token)
{
    if (token == m_sToken)
        return;
    m_sToken = token;
    const QList<QWebSocket*> old = m_sockets;
    m_sockets.clear();
    const QString expired = QString::fromUtf8(
        QJsonDocument(QJsonObject{{QStringLiteral("type"), QStringLiteral("expired")}}).toJson(QJsonDocument::Compact));
    for (QWebSocket* ws : old) {
        ws->sendTextMessage(expired);
        ws->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("token"));
        ws->deleteLater();
    }
}

void TPhoneServer::PublishQueue(const QJsonObject& queue)
{
    if (queue == m_queue)
        return;
    m_queue = queue;
    Broadcast(m_queue);
}

void TPhoneServer::PublishState(const QJsonObject& state)
{
    if (state == m_state)
        return;
    m_state = state;
    Broadcast(m_state);
}

void TPhoneServer::Broadcast(const QJsonObject& message)
{
    const QString text = QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact));
    for (QWebSocket* ws : std::as_const(m_sockets))
        ws->sendTextMessage(text);
}

TPhoneVisibility TPhoneServer::Visibility() const
{
    TPhoneVisibility v;
    v.adult = m_state.value(QStringLiteral("adult")).toBool();
    v.dance = m_state.value(QStringLiteral("dance")).toBool();
    return v;
}

void TPhoneServer::AcceptWebSockets()
{
    while (m_webSockets.hasPendingConnections()) {
        std::unique_ptr<QWebSocket> ws(m_webSockets.nextPendingConnection());
        if (!ws)
            continue;
        const QUrl url = ws->requestUrl();
        const QString token = QUrlQuery(url).queryItemValue(QStringLiteral("t"), QUrl::FullyDecoded);
        const QHostAddress peer = ws->peerAddress();
        const auto fromPeer = std::count_if(m_sockets.cbegin(), m_sockets.cend(),
                                            [&peer](const QWebSocket* s) { return s->peerAddress() == peer; });
        QWebSocket* raw = ws.release();
        raw->setParent(this);
        if (url.path() != QLatin1String("/ws") || m_sToken.isEmpty() || token != m_sToken ||
            fromPeer >= kWebSocketsPerClient) {
            raw->close(QWebSocketProtocol::CloseCodePolicyViolated, QStringLiteral("token"));
            raw->deleteLater();
            continue;
        }
        raw->setMaxAllowedIncomingMessageSize(1024);
        m_sockets.append(raw);
        connect(raw, &QWebSocket::disconnected, this, [this, raw] {
            m_sockets.removeOne(raw);
            raw->deleteLater();
        });
        for (const QJsonObject& message : {m_state, m_queue}) {
            if (!message.isEmpty())
                raw->sendTextMessage(QString::fromUtf8(QJsonDocument(message).toJson(QJsonDocument::Compact)));
        }
    }
}

bool TPhoneServer::Allowed(const QHostAddress& client)
{
    const qint64 now = m_clock.elapsed();
    auto it = m_budgets.find(client);
    if (it == m_budgets.end()) {
        // Forget clients that have been quiet for a while, so the table stays small.
        if (m_budgets.size() > 1024) {
            for (auto b = m_budgets.begin(); b != m_budgets.end();)
                b = now - b->at > 60000 ? m_budgets.erase(b) : std::next(b);
        }
        it = m_budgets.insert(client, Budget{double(m_options.burst), now});
    }
    Budget& b = *it;
    b.tokens = std::min<double>(m_options.burst, b.tokens + double(now - b.at) * m_options.perSecond / 1000.0);
    b.at = now;
    if (b.tokens < 1)
        return false;
    b.tokens -= 1;
    return true;
}

bool TPhoneServer::TokenOk(const QHttpServerRequest& request) const
{
    if (m_sToken.isEmpty())
        return false;
    QString token = request.query().queryItemValue(QStringLiteral("t"), QUrl::FullyDecoded);
    if (token.isEmpty())
        token = QString::fromLatin1(request.value(QByteArrayLiteral("X-Room-Token")));
    return token == m_sToken;
}

bool TPhoneServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket)
{
    TPhoneTcpServer::RequestDone(socket);
    QByteArray raw, rawType;
    TPhoneReply reply;
    if (!Allowed(request.remoteAddress()))
        reply = Failure(429, "too many requests");
    else
        reply = Route(request, &raw, &rawType);
    QHttpServerResponder responder = makeResponder(request, socket);
    const auto status = Status(reply.status);
    if (rawType.isEmpty()) {
        rawType = QByteArrayLiteral("application/json; charset=utf-8");
        raw = QJsonDocument(reply.body).toJson(QJsonDocument::Compact);
    }
    if (!rawType.startsWith("text/html")) {
        responder.write(
            raw, {{"Content-Type", rawType}, {"Cache-Control", "no-store"}, {"X-Content-Type-Options", "nosniff"}},
            status);
        return true;
    }
    // The page's live connection, named as well for browsers whose 'self'
    // does not cover WebSockets.
    QByteArray policy = m_pagePolicy;
    const QByteArray host = request.value(QByteArrayLiteral("Host"));
    if (PlainHost(host))
        policy += " ws://" + host;
    responder.write(raw,
                    {{"Content-Type", rawType},
                     {"Cache-Control", "no-store"},
                     {"X-Content-Type-Options", "nosniff"},
                     {"Content-Security-Policy", policy},
                     {"Referrer-Policy", "no-referrer"}},
                    status);
    return true;
}

void TPhoneServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket)
{
    makeResponder(request, socket).write(QJsonDocument(Failure(404, "not found").body), Status::NotFound);
}

TPhoneReply TPhoneServer::Route(const QHttpServerRequest& request, QByteArray* raw, QByteArray* rawType)
{
    const QString path = request.url().path();
    const bool get = request.method() == QHttpServerRequest::Method::Get;
    const bool post = request.method() == QHttpServerRequest::Method::Post;
    if (request.body().size() > kMaxBodyBytes)
        return Failure(413, "too large");
    if (path == QLatin1String("/") || path == QLatin1String("/index.html")) {
        if (!get)
            return Failure(405, "method");
        *rawType = QByteArrayLiteral("text/html; charset=utf-8");
        if (!TokenOk(request)) {
            *raw = RefusedPage();
            return TPhoneReply{403, {}};
        }
        *raw = m_page;
        return TPhoneReply{200, {}};
    }
    if (!path.startsWith(QLatin1String("/api/")))
        return Failure(404, "not found");
    if (!TokenOk(request))
        return Failure(403, "token");
    if (!get && !post)
        return Failure(405, "method");
    if (post != (path == QLatin1String("/api/order") || path == QLatin1String("/api/first") ||
                 path == QLatin1String("/api/delete") || path == QLatin1String("/api/control")))
        return Failure(405, "method");
    return Api(path.mid(5), request, raw, rawType);
}

TPhoneReply TPhoneServer::SongPage(const TPhonePage& page, int offset) const
{
    const bool priced = m_state.value(QStringLiteral("hotelVod")).toBool();
    QJsonArray items;
    for (int i : page.items) {
        const TPhoneSong& s = m_pCatalogue->Song(i);
        QJsonObject song{{QStringLiteral("no"), s.no},
                         {QStringLiteral("name"), s.name},
                         {QStringLiteral("singer"), s.singer},
                         {QStringLiteral("lang"), s.lanName}};
        if (priced && s.price > 0)
            song.insert(QStringLiteral("price"), s.price);
        items.append(song);
    }
    return TPhoneReply{
        200,
        {{QStringLiteral("items"), items}, {QStringLiteral("total"), page.total}, {QStringLiteral("offset"), offset}}};
}

TPhoneReply TPhoneServer::Api(const QString& path, const QHttpServerRequest& request, QByteArray* raw,
                              QByteArray* rawType)
{
    const QUrlQuery q = request.query();
    if (path == QLatin1String("state")) {
        QJsonObject state = m_state;
        state.insert(QStringLiteral("ready"), bool(m_pCatalogue));
        return TPhoneReply{200, state};
    }
    if (path == QLatin1String("queue"))
        return TPhoneReply{200, m_queue};

    if (path == QLatin1String("order") || path == QLatin1String("first") || path == QLatin1String("delete") ||
        path == QLatin1String("control")) {
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(request.body(), &error);
        if (error.error != QJsonParseError::NoError || !doc.isObject())
            return Failure(400, "json");
        const QJsonObject in = doc.object();
        if (path == QLatin1String("control")) {
            const QString action = in.value(QStringLiteral("action")).toString();
            if (action != QLatin1String("volup") && action != QLatin1String("voldown") &&
                action != QLatin1String("skip"))
                return Failure(400, "action");
            return Act(action, {});
        }
        const QString no = in.value(QStringLiteral("no")).toString();
        if (!ValidSongNo(no))
            return Failure(400, "song number");
        if (path == QLatin1String("order")) {
            if (m_pCatalogue && m_pCatalogue->FindSongNo(no) < 0)
                return Failure(404, "unknown song");
            return Act(path, {{QStringLiteral("no"), no}});
        }
        const QJsonValue num = in.value(QStringLiteral("num"));
        if (!num.isDouble() || num.toDouble() < 0 || num.toDouble() > 1e9 || num.toDouble() != double(num.toInt()))
            return Failure(400, "queue entry");
        return Act(path, {{QStringLiteral("no"), no}, {QStringLiteral("num"), num.toInt()}});
    }

    if (!m_pCatalogue)
        return Failure(503, "loading");
    const int offset = IntParam(q, "offset", 0, 0, kMaxOffset);
    const int limit = IntParam(q, "limit", kDefaultPageSize, 1, kMaxPageSize);
    const TPhoneVisibility v = Visibility();
    if (path == QLatin1String("search"))
        return SongPage(m_pCatalogue->Search(TextParam(q, "q"), v, offset, limit), offset);
    if (path == QLatin1String("songs")) {
        const QString by = TextParam(q, "by");
        if (by == QLatin1String("lang")) {
            bool ok = false;
            const int lanType = TextParam(q, "v").toInt(&ok);
            if (!ok)
                return Failure(400, "language");
            return SongPage(m_pCatalogue->ByLanguage(lanType, v, offset, limit), offset);
        }
        if (by == QLatin1String("singer"))
            return SongPage(m_pCatalogue->BySinger(TextParam(q, "v"), v, offset, limit), offset);
        if (by == QLatin1String("new"))
            return SongPage(m_pCatalogue->NewSongs(QDate::currentDate(), v, offset, limit), offset);
        if (by == QLatin1String("top"))
            return SongPage(m_pCatalogue->Ranking(v, offset, limit), offset);
        return Failure(400, "by");
    }
    if (path == QLatin1String("languages")) {
        QJsonArray items;
        for (const TPhoneCatalogue::Language& l : m_pCatalogue->Languages(v))
            items.append(QJsonObject{{QStringLiteral("type"), l.lanType},
                                     {QStringLiteral("name"), l.name},
                                     {QStringLiteral("count"), l.count}});
        return TPhoneReply{200, {{QStringLiteral("items"), items}}};
    }
    if (path == QLatin1String("singers")) {
        const TPhonePage page = m_pCatalogue->Singers(TextParam(q, "q"), offset, limit);
        QJsonArray items;
        for (int i : page.items)
            items.append(
                QJsonObject{{QStringLiteral("id"), i}, {QStringLiteral("name"), m_pCatalogue->Singer(i).name}});
        return TPhoneReply{200, {{QStringLiteral("items"), items}, {QStringLiteral("total"), page.total}}};
    }
    if (path == QLatin1String("photo")) {
        const int id = IntParam(q, "id", -1, -1, kMaxOffset);
        if (id < 0 || id >= m_pCatalogue->SingerCount())
            return Failure(404, "singer");
        return Photo(id, raw, rawType);
    }
    return Failure(404, "not found");
}

TPhoneReply TPhoneServer::Photo(int index, QByteArray* raw, QByteArray* rawType)
{
    *rawType = QByteArrayLiteral("image/png");
    auto cached = m_photos.constFind(index);
    if (cached != m_photos.cend()) {
        *raw = *cached;
        return TPhoneReply{200, {}};
    }
    // The file name comes from the catalogue, never from the request, and
    // only its last part counts: the photo is always in the photo folder.
    QString name = m_pCatalogue->Singer(index).photo;
    name = name.mid(std::max(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
    const QString folder = m_options.exeDir + QStringLiteral("Images/Star/");
    QImage image;
    for (const QString& file : {folder + name, folder + QStringLiteral("default.jpg")}) {
        if (name.isEmpty() && file != folder + QStringLiteral("default.jpg"))
            continue;
        try {
            if (QFileInfo(file).isFile()) {
                image = LoadPicture(file);
                break;
            }
        } catch (const std::exception&) {
        }
    }
    if (image.isNull()) {
        rawType->clear();
        return Failure(404, "photo");
    }
    image = image.scaled(kPhotoSize, kPhotoSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QBuffer buffer(raw);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    if (m_photos.size() >= kPhotoCache)
        m_photos.clear();
    m_photos.insert(index, *raw);
    return TPhoneReply{200, {}};
}

TPhoneReply TPhoneServer::Act(const QString& action, const QJsonObject& args)
{
    if (!m_link.act || !m_link.context)
        return Failure(503, "station");
    auto promise = std::make_shared<std::promise<TPhoneReply>>();
    std::future<TPhoneReply> future = promise->get_future();
    const auto act = m_link.act;
    QMetaObject::invokeMethod(
        m_link.context.data(),
        [promise, act, action, args] {
            try {
                promise->set_value(act(action, args));
            } catch (const std::exception&) {
                promise->set_value(Failure(500, "station"));
            }
        },
        Qt::QueuedConnection);
    // The station's thread may be busy (or closing): a phone gets an answer
    // in bounded time either way.
    if (future.wait_for(std::chrono::milliseconds(m_options.stationTimeoutMs)) != std::future_status::ready)
        return Failure(503, "busy");
    return future.get();
}
