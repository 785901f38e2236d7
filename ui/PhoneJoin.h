#pragma once
// How a guest's phone joins this room: the address (with the room's token)
// and its QR code, as the skin's screens show them. A screen's image control
// named PhoneCode shows the code, a label named PhoneAddress the address and
// one named PhoneHint keeps the skin's caption; all follow every change (a
// new token) while the screen is open, and stay hidden while the phone
// remote is off.
#include <QImage>
#include <QObject>
#include <QString>

class QWidget;

class TPhoneJoin : public QObject
{
    Q_OBJECT
public:
    static TPhoneJoin& Instance();
    void Set(const QString& address, const QImage& code);
    const QString& Address() const { return m_sAddress; }
    const QImage& Code() const { return m_code; }
    // Binds a freshly built control by its name; other controls are left alone.
    static void Bind(QWidget* control);

signals:
    void Changed();

private:
    QString m_sAddress;
    QImage m_code;
};
