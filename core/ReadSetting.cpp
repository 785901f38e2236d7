#include "core/ReadSetting.h"

#include "core/Convert.h"
#include "core/IniFile.h"

bool TMemorySettingRows::Locate(const QString& type, const QString& name)
{
    for (qsizetype i = 0; i < m_aRows.size(); ++i) {
        if (SameNameIgnoringAsciiCase(m_aRows[i].Type, type) && SameNameIgnoringAsciiCase(m_aRows[i].Name, name)) {
            m_nCurrent = i;
            return true;
        }
    }
    return false;
}

QString TMemorySettingRows::Value()
{
    return m_nCurrent >= 0 && m_nCurrent < m_aRows.size() ? m_aRows[m_nCurrent].Value : QString();
}

QString TReadSetting::ReadString(const QString& type, const QString& name, const QString& def)
{
    if (!m_pDataSet)
        return QString();
    if (m_pDataSet->Locate(type, name))
        return m_pDataSet->Value();
    return def;
}

int TReadSetting::ReadInteger(const QString& type, const QString& name, int def)
{
    // Text columns of some engines come padded with blanks.
    return TextToInt(ReadString(type, name, QString::number(def)).trimmed()).value_or(def);
}

bool TReadSetting::ReadBool(const QString& type, const QString& name, bool def)
{
    return ReadString(type, name, def ? QStringLiteral("1") : QStringLiteral("0")) == QLatin1String("1");
}

double TReadSetting::ReadFloat(const QString& type, const QString& name, double def)
{
    return TextToFloat(ReadString(type, name, QString::number(def)).trimmed()).value_or(def);
}
