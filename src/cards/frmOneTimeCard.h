#pragma once

#include "cards/CardDialog.h"

#include <optional>

class CardIssue;

// Issues one-time cards (kind 266): one card that opens a range of doors for a number of hours,
// counted from the current whole hour.
class frmOneTimeCard : public CardDialog
{
    Q_OBJECT
public:
    static constexpr int kWindowNumber = 37;
    static constexpr qint32 kErrorCode = 4576;

    frmOneTimeCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                   QWidget *parent = nullptr);
    ~frmOneTimeCard() override;

    qint32 cardNameID() const override;
    int HelpContextID() const override;

    // Seam: the poll interval of the issuing run (0 in tests).
    void setPollInterval(int ms) { m_pollInterval = ms; }

protected:
    QList<qint32> shownTables() const override;
    QString dialogTitle() const override;
    void showCard(const CardReadBack &card) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void txtNumHours_Change();
    void cmdMakeCard_Click();
    void cmdClose_Click();
    bool validate(qint32 &from, qint32 &to, double &expireTime);
    void runIssue(qint32 from, qint32 to, double expireTime);
    void setHours(const QString &text);

    CardIssue *m_issue = nullptr; // the run in progress, on the issue handler's stack
    int m_pollInterval = 250;
    bool m_settingHours = false;
    std::optional<double> m_expiration; // shown in the expiration box

    QLineEdit *m_txtRoomFrom;
    QLineEdit *m_txtRoomTo;
    QLineEdit *m_txtNumHours;
    QLineEdit *m_txtExpirationDate;
    QLabel *m_lblIssueTo;
    QLineEdit *m_txtIssueTo;
    QLabel *m_lblOverrideNumber;
    QLineEdit *m_txtOverrideNumber;
    QPushButton *m_cmdMakeCard;
    QPushButton *m_cmdEdit;
    QPushButton *m_cmdClose;
};
