#pragma once
// TFrmOSD: the on-screen-display screen. Each of its skin buttons carries a
// digit (or the point) key and, as its parameter, a picture of Images/OSD;
// the key shows that picture over the video with its sound.
#include "ui/KVFormXML.h"

class TFrmOSD : public TKVFormXML
{
    Q_OBJECT
public:
    using TKVFormXML::TKVFormXML;
    void FormKeyDown(int& key) override;
};
