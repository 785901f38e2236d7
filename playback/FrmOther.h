#pragma once
// TFrmOther: the other functions screen (skin node others): locking the
// room, the video recording key, shutting down, the add-song program and a
// guest's disc. Each function is a skin button found by name (Lock,
// SongVideo1, ShutDown, Softer, PlayCD) among the screen's own buttons and
// then the public ones; a press on it and a press of its key do the same.
// A skin without one of them leaves that function out.
#include "ui/KVFormXML.h"

#include <QString>

class TFrmOther : public TKVFormXML
{
    Q_OBJECT
public:
    explicit TFrmOther(QWidget* parent = nullptr);

    void FormKeyDown(int& key) override;
    // The first key code of the named button; 0 when the skin has none.
    int ButtonCode(const QString& name) const;
};
