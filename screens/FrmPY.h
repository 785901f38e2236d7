#pragma once
// TFrmPY: the pinyin screen (skin nodes songbypy and singerbypy). The guest
// types the first letters of a song's or singer's pinyin, as letters or as
// two-digit letter codes ("01" is A, "26" is Z), and ENTER (or the sixth
// letter) opens the song list or the singer screen with them. Opening it
// starts from a cleared song filter with all singers.
#include "ui/KVFormXML.h"

#include <QPointer>
#include <QString>

class TSubTitle;

class TFrmPY : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmPY(QWidget* parent = nullptr);

    void Build(const QDomElement& node = QDomElement()) override;
    void FormKeyDown(int& key) override;
    void SetIsSinger(bool singer) { m_bIsSinger = singer; }
    bool IsSinger() const { return m_bIsSinger; }

    // The letters typed so far.
    const QString& Letters() const { return m_sLetters; }

    QString m_sDigits;
    bool m_bIsSinger = false;
    QPointer<TSubTitle> m_pInput;

private:
    void SetLetters(const QString& letters);
    // Opens the result screen for the letters.
    void Search();

    QString m_sLetters;
};
