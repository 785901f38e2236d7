#include "ui/SkinErrorScreen.h"

#include "ui/OutsideClose.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

TSkinErrorScreen::TSkinErrorScreen(const QString& error, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::Window)
{
    setObjectName(QStringLiteral("SkinError"));
    setWindowTitle(QStringLiteral("皮肤文件错误"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::black);
    colours.setColor(QPalette::WindowText, Qt::white);
    setPalette(colours);
    m_pText = new QLabel(QStringLiteral("皮肤文件无法使用,点歌台不能启动:\n\n") + error, this);
    m_pText->setObjectName(QStringLiteral("SkinErrorText"));
    m_pText->setWordWrap(true);
    m_pText->setAlignment(Qt::AlignCenter);
    m_pText->setTextInteractionFlags(Qt::NoTextInteraction);
    QFont font = m_pText->font();
    font.setPointSize(18);
    m_pText->setFont(font);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(40, 40, 40, 40);
    layout->addWidget(m_pText);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->geometry());
    else
        resize(800, 600);
}

QString TSkinErrorScreen::Text() const
{
    return m_pText->text();
}

void TSkinErrorScreen::closeEvent(QCloseEvent* event)
{
    if (!EndStationOnOutsideClose(event))
        QWidget::closeEvent(event);
}
