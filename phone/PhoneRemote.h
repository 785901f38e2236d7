#pragma once
// The station's side of the phone remote: it runs the phone server on its
// own thread, keeps the room's token (new at every start and whenever the
// control server begins or ends the room's time or locks it), publishes the
// queue and the room's state to the phones as they change, and performs what
// a phone asks for on the station's thread with the terminal's own rules.
#include "phone/PhoneReply.h"

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFileSystemWatcher;
class QThread;
class QTimer;
class DataSet;
class TPhoneServer;

class TPhoneRemote : public QObject
{
    Q_OBJECT
public:
    explicit TPhoneRemote(QObject* parent = nullptr);
    ~TPhoneRemote() override; // stops the server and its thread

    // Starts the server on port (all addresses). False, with the reason in
    // Error(), when the port cannot be had.
    bool Start(quint16 port);
    quint16 Port() const { return m_nPort; }
    QString Error() const { return m_sError; }
    const QString& Token() const { return m_sToken; }
    // The address a phone opens, token included.
    QString Address() const;

    // A new token: phones holding the old one are refused from now on.
    void RenewToken();
    // Reads the queue and the room's state and hands them to the server
    // (which passes on only what changed).
    void Publish();
    // What a phone asked for, on the station's thread.
    TPhoneReply Act(const QString& action, const QJsonObject& args);

    // The room is locked: by the control server, at the end of its time, or
    // by the guests' own lock.
    static bool RoomLocked();

private:
    TPhoneReply Order(const QString& songNo);
    TPhoneReply EditQueue(const QString& action, const QString& songNo, int num);
    TPhoneReply PressKey(int key);
    QJsonObject QueueJson();
    QJsonObject StateJson() const;
    void OpenQueueView();
    void RunOnServer(std::function<void(TPhoneServer&)> work, bool wait = false);

    std::unique_ptr<QThread> m_pThread;
    QObject* m_pAnchor = nullptr; // lives on the server's thread
    TPhoneServer* m_pServer = nullptr;
    std::unique_ptr<DataSet> m_pQueue;
    QTimer* m_pPoll = nullptr;
    QFileSystemWatcher* m_pWatcher = nullptr;
    QString m_sToken;
    QString m_sHost;
    QString m_sError;
    quint16 m_nPort = 0;
};

// The setting PhonePort (row vod/PhonePort of the Setting table): the port
// of the phone remote, 0 (the default) when it is off.
int PhonePort();
// The setting PhoneHost (row vod/PhoneHost): the host name or address the
// room's code gives the phones, for a computer with several networks; empty
// (the default, or a value that is not a host) takes the first IPv4 address
// of a network that is up.
QString PhoneHost();
// The station's phone remote, started by the start-up when PhonePort is not
// 0 (null otherwise).
TPhoneRemote* PhoneRemote();
void StartPhoneRemote();
void StopPhoneRemote();
