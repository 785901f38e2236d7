#pragma once
// The plain screen shown instead of the portal when the skin file cannot be
// used: the error (file, line and reason) in white on black over the whole
// screen, so a venue sees why the terminal does not start rather than a
// black screen. Closed from the window manager it ends the station.
#include <QWidget>

class QLabel;

class TSkinErrorScreen : public QWidget
{
    Q_OBJECT
public:
    explicit TSkinErrorScreen(const QString& error, QWidget* parent = nullptr);
    QString Text() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* m_pText = nullptr;
};
