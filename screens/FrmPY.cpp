#include "screens/FrmPY.h"

#include "catalogue/FrmData.h"
#include "platform/keys/VirtualKeys.h"
#include "screens/KeyInput.h"
#include "ui/KVFormManager.h"
#include "ui/SubTitle.h"
#include "ui/UiHooks.h"
#include "ui/UiStation.h"

TFrmPY::TFrmPY(QWidget* parent) : TKVFormXML(parent)
{
    if (FrmData && FrmData->m_pFilter) {
        FrmData->m_pFilter->ClearCriteria();
        FrmData->m_pFilter->SetSingerClass(1);
    }
}

void TFrmPY::Build(const QDomElement& node)
{
    TKVFormXML::Build(node);
    m_pInput = FindLabel(QStringLiteral("Input"));
    SetLetters(QString());
    m_sDigits.clear();
    m_bIsSinger = TKVFormManager::NodeName(m_pNode) == QLatin1String("singerbypy");
}

void TFrmPY::SetLetters(const QString& letters)
{
    m_sLetters = letters;
    if (m_pInput)
        m_pInput->SetCaption(letters);
}

void TFrmPY::FormKeyDown(int& key)
{
    const TKeyMap& keys = UiKeys();
    QString letters = m_sLetters;
    // Letters past the sixth would match nothing: they are dropped (the
    // sixth has started the search already).
    const auto append = [&letters](QChar letter) {
        if (letters.size() < kMaxLetters)
            letters += letter;
    };
    const QChar letter = LetterOfKey(key);
    if (!letter.isNull())
        append(letter);
    const int digit = UiDigitOfKey(key);
    if (digit >= 0)
        m_sDigits += QString::number(digit);
    if (m_sDigits.size() >= 2) {
        const int n = m_sDigits.left(2).toInt();
        if (n >= 1 && n <= 26)
            append(QChar(u'A' + n - 1));
        m_sDigits.clear();
    }
    if (key == keys.BACKSPACE)
        letters.chop(1);
    if (key == keys.DELSONG)
        letters.clear();
    SetLetters(letters);

    if (key == keys.ENTER && !m_sLetters.isEmpty()) {
        Search();
        SetLetters(QString());
        return;
    }
    if (m_sLetters.size() < kMaxLetters) {
        QPointer<TFrmPY> self(this);
        if (key == keys.RETURN)
            close();
        if (self)
            UiHooks().DispatchKey(key);
        return;
    }
    // The sixth letter starts the search by itself.
    PostVkKeyDown(this, keys.ENTER);
}

void TFrmPY::Search()
{
    if (!FrmData || !FrmData->m_pFilter || !g_pFrmManager)
        return;
    TSongFilter& filter = *FrmData->m_pFilter;
    if (m_bIsSinger) {
        filter.SetSingerInitials(m_sLetters);
        g_pFrmManager->ShowSinger();
    } else {
        filter.ClearCriteria();
        filter.SetFirstLetters(m_sLetters);
        g_pFrmManager->ShowSongList();
    }
}
