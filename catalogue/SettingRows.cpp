#include "catalogue/SettingRows.h"

#include "platform/db/DataSet.h"

bool TDataSetSettingRows::Locate(const QString& type, const QString& name)
{
    if (!m_pSet || !m_pSet->Active())
        return false;
    return m_pSet->Locate(QStringLiteral("type;name"), QVariantList{type, name});
}

QString TDataSetSettingRows::Value()
{
    if (!m_pSet || !m_pSet->Active())
        return QString();
    return m_pSet->FieldByName(QStringLiteral("value")).AsString();
}
