#pragma once

#include <QWidget>

class QLabel;

// The window shown while the workstation starts: product name, version and operating system.
class frmSplash : public QWidget
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    // Shows the window without waiting and paints it at once.
    void ShowNow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *m_lblProduct;
    QLabel *m_lblVersion;
    QLabel *m_lblPlatform;
};
