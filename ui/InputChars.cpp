#include "ui/InputChars.h"

#include "platform/Tick.h"
#include "ui/UiStation.h"

TInputChars::TInputChars(TickSource tick) : m_fnTick(tick ? std::move(tick) : TickSource(&GetTickCount))
{
    m_nLastTick = m_fnTick();
    m_pSequences = {QStringLiteral("2"),   QStringLiteral("22"),  QStringLiteral("222"),  QStringLiteral("3"),
                    QStringLiteral("33"),  QStringLiteral("333"), QStringLiteral("4"),    QStringLiteral("44"),
                    QStringLiteral("444"), QStringLiteral("5"),   QStringLiteral("55"),   QStringLiteral("555"),
                    QStringLiteral("6"),   QStringLiteral("66"),  QStringLiteral("666"),  QStringLiteral("7"),
                    QStringLiteral("77"),  QStringLiteral("777"), QStringLiteral("7777"), QStringLiteral("8"),
                    QStringLiteral("88"),  QStringLiteral("888"), QStringLiteral("9"),    QStringLiteral("99"),
                    QStringLiteral("999"), QStringLiteral("9999")};
    for (char c = 'A'; c <= 'Z'; ++c)
        m_pLetters << QString(QLatin1Char(c));
}

QString TInputChars::PressKey(int key)
{
    const uint32_t now = m_fnTick();
    const uint32_t elapsed = now - m_nLastTick;
    if (elapsed > 1000 || m_sSequence.size() > 3 ||
        (m_sSequence.size() == 3 && m_sSequence != QLatin1String("777") && m_sSequence != QLatin1String("999")))
        m_sSequence.clear();

    if (key >= '0' && key <= '9') {
        const QString digit = QString(QChar(key));
        const bool continues = digit == m_sLastDigit && elapsed < 1000;
        if (continues)
            m_sSequence += digit;
        else
            m_sSequence = digit;
        const qsizetype index = m_pSequences.indexOf(m_sSequence);
        if (index >= 0) {
            if (continues && !m_sText.isEmpty())
                m_sText.replace(m_sText.size() - 1, 1, m_pLetters[index]);
            else
                m_sText += m_pLetters[index];
        }
        m_sLastDigit = digit;
        m_nLastTick = m_fnTick();
    }
    if (key == UiKeys().n1 && !m_sText.isEmpty())
        m_sText.chop(1);
    return m_sText;
}
