#pragma once

#include "admin/NoteRecords.h"

#include <QWidget>

#include <cstdint>

class QGridLayout;
class QLabel;
class QPlainTextEdit;
class QPushButton;
struct ProgramServices;
struct Session;

// What the wing dialog and the door-area dialog share: fields above a description, Save for a
// new record or Update for a stored one, and a Close that reads Cancel while anything changed.
// Save and Update are enabled only while something changed and the operator has the right.
class MasterDataDialog : public QWidget
{
    Q_OBJECT

public:
    MasterDataDialog(const char *objectName, int windowNumber, qint32 tableId, ProgramServices &program,
                     Session &session, QWidget *parent);
    ~MasterDataDialog() override;

    bool isChanged() const { return m_changed; }

protected:
    // Adds a labelled field in the next row above the description.
    void addField(QLabel *label, QWidget *field);
    void setStored(bool stored);
    bool isStored() const { return m_stored; }
    void setChanged(bool changed);
    QString description() const;
    void setDescription(const QString &text);
    // Shows what a save came to; true when saved.
    bool showOutcome(const SaveOutcome &outcome);
    virtual void focusField(SaveOutcome::Focus focus) = 0;
    virtual void saveRecord() = 0;
    virtual void updateRecord() = 0;

    bool available();
    void activate();
    // Closes the dialog without read right, or when a new record may not be written.
    bool checkAuthority();
    void keyPressEvent(QKeyEvent *event) override;

    ProgramServices &m_program;
    Session &m_session;
    QPushButton *m_cmdSave;
    QPushButton *m_cmdUpdate;
    QPushButton *m_cmdClose;

private:
    void updateButtons();

    int m_windowNumber;
    qint32 m_tableId;
    QGridLayout *m_fields;
    QLabel *m_lblDescription;
    QPlainTextEdit *m_txtDescription;
    bool m_stored = false;
    bool m_changed = false;
};
