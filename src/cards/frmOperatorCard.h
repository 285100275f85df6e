#pragma once

#include "cards/StaffCardDialog.h"

// Issues operator cards (kind 270): the card an operator logs on with. No doors and no time
// window; the operator is chosen in the user list, and a user who is no operator is refused.
class frmOperatorCard : public StaffCardDialog, public clsIOperators
{
    Q_OBJECT
public:
    static const StaffDialogKind kKind;
    frmOperatorCard(ProgramServices &program, DatabaseServices &db, CardServers &cardServers, Session &session,
                    FrameWindows &frameWindows, QWidget *parent = nullptr);
    ~frmOperatorCard() override;

    // clsIOperators, sharing the user notifications' handling; doors are not followed.
    using StaffCardDialog::Add;
    using StaffCardDialog::Remove;
    using StaffCardDialog::Update;
    void Add(int32_t) override {}
    void Update(int32_t userID) override { UpdateUser(userID); }
    void Remove(int32_t userID) override { RemoveUser(userID); }
    void Refresh() override {}

protected:
    void addOwnRows() override;
    QList<qint32> shownTables() const override;
    bool checkDoors() override { return true; }
    void addBlocks(CardsIntf &cards) override;
    bool batchMode() const override { return true; }
    void afterCard() override;
    std::optional<QString> userText(qint32 userID) override;
    bool offerEdit() override;
    void openUserChooser(const ChoiceRequest &request) override;

private:
    QLineEdit *m_txtOpTemplate = nullptr;
};
