#pragma once
// The station's error type. Operations throw it; event handlers and the entry
// point catch it (see the log line "全局异常,直接退出:").
#include <QString>
#include <exception>

class Exception : public std::exception
{
public:
    explicit Exception(QString message) : m_sMessage(std::move(message)), m_utf8(m_sMessage.toUtf8()) {}
    const QString& Message() const noexcept { return m_sMessage; }
    const char* what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_sMessage;
    QByteArray m_utf8;
};
