#pragma once

#include "platform/MessageDialog.h"

#include <QWidget>

class QListWidget;
class Registry;

// A resizable window listing problem lines that other dialogs report while they work.
class frmLog : public QWidget
{
    Q_OBJECT

public:
    frmLog(Registry &registry, MessageDialogFn showMessage, QWidget *parent = nullptr);

    void Clear();
    void AddLog(const QString &text);
    void ShowLog();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Registry &m_registry;
    MessageDialogFn m_showMessage;
    QListWidget *m_lstDebug;
    bool m_placed = false; // placement restored for the current showing
};
