#include "ui/SkinFlash.h"

#include "ui/FlashControl.h"
#include "ui/KVFormManager.h"

QWidget* CreateSkinFlash(QWidget* screen, const QDomElement& element, const QString& moviePath)
{
    auto attr = [&](const char* name) { return TKVFormManager::NodeAttr(element, QString::fromLatin1(name)); };
    auto* control = new TFlashPlayerControl(screen);
    control->SetBounds(TKVFormManager::AttrToInt(attr("left")), TKVFormManager::AttrToInt(attr("top")),
                       TKVFormManager::AttrToInt(attr("width")), TKVFormManager::AttrToInt(attr("height")));
    control->setEnabled(attr("enabled") == QLatin1String("1"));
    control->setObjectName(element.tagName());
    control->PutMenu(false);
    control->PutAlignMode(0);
    control->PutEmbedMovie(false);
    control->PutPlaying(false);
    control->PutQuality(1);
    control->show();
    control->PutMovie(moviePath);
    control->PutScaleMode(3);
    return control;
}

bool ShowOverlayFlash(QWidget* screen, const QString& moviePath)
{
    auto* pf = screen ? screen->findChild<TFlashPlayerControl*>(QStringLiteral("pf")) : nullptr;
    if (!pf)
        return false;
    pf->PutMakeParentTransparent(true);
    pf->show();
    pf->PutMovie(moviePath);
    pf->SetBounds(0, 0, screen->width(), screen->height());
    return true;
}
