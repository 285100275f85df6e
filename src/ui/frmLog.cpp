#include "ui/frmLog.h"

#include "ui/Twips.h"
#include "ui/WindowPlacement.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QListWidget>

#include <algorithm>
#include <utility>

namespace {

const QString kWindowKey = QStringLiteral("dlgLog");
constexpr int32_t kDefaultWidth = 5640;
constexpr int32_t kDefaultHeight = 3765;
constexpr int32_t kListMargin = 120; // twips

} // namespace

frmLog::frmLog(Registry &registry, MessageDialogFn showMessage, QWidget *parent)
    : QWidget(parent, Qt::Window), m_registry(registry), m_showMessage(std::move(showMessage)),
      m_lstDebug(new QListWidget(this))
{
    setObjectName(QStringLiteral("frmLog"));
    m_lstDebug->setObjectName(QStringLiteral("lstDebug"));
    m_lstDebug->move(twipsToPixels(kListMargin, twipsPerPixelX(this)),
                     twipsToPixels(kListMargin, twipsPerPixelY(this)));
}

void frmLog::Clear()
{
    m_lstDebug->clear();
}

void frmLog::AddLog(const QString &text)
{
    m_lstDebug->addItem(text);
    m_lstDebug->setCurrentRow(m_lstDebug->count() - 1);
    m_lstDebug->scrollToItem(m_lstDebug->currentItem());
}

void frmLog::ShowLog()
{
    show();
    raise();
}

void frmLog::showEvent(QShowEvent *event)
{
    if (!m_placed) {
        m_placed = true;
        RestoreWindowPlacement(m_registry, this, kWindowKey, kDefaultWidth, kDefaultHeight);
    }
    QWidget::showEvent(event);
}

void frmLog::closeEvent(QCloseEvent *event)
{
    if (m_placed) {
        m_placed = false;
        SaveWindowPlacement(m_registry, this, kWindowKey, m_showMessage);
    }
    QWidget::closeEvent(event);
}

void frmLog::resizeEvent(QResizeEvent *event)
{
    // The list fills the window with the same margin on every side.
    const QPoint margin = m_lstDebug->pos();
    m_lstDebug->resize(std::max(0, width() - 2 * margin.x()), std::max(0, height() - 2 * margin.y()));
    QWidget::resizeEvent(event);
}

void frmLog::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
