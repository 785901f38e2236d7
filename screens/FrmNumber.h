#pragma once
// TFrmNumber: the song number screen (skin node number). The guest types the
// number printed in the song book and orders the song with ENTER; the screen
// then shows the song's name and singer, or NotFound. Any key after a result
// starts a new number. It has no list: three skin labels show the typed
// number and the result, and the keys alone work without them.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>

class TSubTitle;

class TFrmNumber : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmNumber(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // The number typed so far.
    const QString& Number() const { return m_sNumber; }

    QPointer<TSubTitle> m_pInput, m_pName, m_pSinger;

private:
    void SetNumber(const QString& number);
    // Looks the number up and orders the song found.
    void OrderNumber();
    void ShowResult(const QString& name, const QString& singer);

    QString m_sNumber;
    // The labels show the result of the last number (a found song or
    // NotFound): the next key clears them.
    bool m_bResultShown = false;
};
