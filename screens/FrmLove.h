#pragma once
// TFrmLove: the favourites login (skin node frmmylovelogin). The guest types
// the numeric id they chose, without a password, and signs in with ENTER; an
// id that is new creates its user. On success the station's favourites user
// is set, the login closes and the favourites list opens; when the catalogue
// cannot take the login the screen stays open with the typed id.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>

class TSubTitle;

class TFrmLove : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmLove(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;

    // The id typed so far.
    const QString& UserId() const { return m_sUserId; }

    QPointer<TSubTitle> m_pInput;

private:
    void SetUserId(const QString& id);
    void SignIn();

    QString m_sUserId;
};
