#pragma once
// The Setting rows of the catalogue for the settings reader: a data set over
// "Select type,name,value from Setting ..." located by type and name.
#include "core/ReadSetting.h"

class DataSet;

class TDataSetSettingRows : public ISettingRows
{
public:
    explicit TDataSetSettingRows(DataSet* set = nullptr) : m_pSet(set) {}
    void SetDataSet(DataSet* set) { m_pSet = set; }
    // False when no data set is bound or it is closed. Errors of the data set
    // are thrown (DbError is an Exception).
    bool Locate(const QString& type, const QString& name) override;
    QString Value() override;

private:
    DataSet* m_pSet = nullptr;
};
