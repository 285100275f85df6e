#pragma once

#include <QDialog>
#include <QtGlobal>

class QSpinBox;

// The longest validity of one card kind, in days, hours and minutes; modal. 0 means that the
// template may not issue the kind.
class frmEditMaxValidity : public QDialog
{
    Q_OBJECT

public:
    explicit frmEditMaxValidity(QWidget *parent = nullptr);

    // The validity shown when the dialog opens, in minutes.
    void setCurrentValidity(qint32 minutes);
    qint32 CurrentValidity() const { return m_current; }
    // The validity chosen, in minutes; the current one while cancelled.
    qint32 MaxValidity() const;
    bool Cancel() const { return m_cancel; }

private:
    QSpinBox *m_txtDays;
    QSpinBox *m_txtHours;
    QSpinBox *m_txtMinutes;
    qint32 m_current = 0;
    bool m_cancel = true;
};
