#include "ui/FormTexts.h"

#include "texts/Texts.h"

#include <QAbstractButton>
#include <QAction>
#include <QDockWidget>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QStandardItemModel>
#include <QTabBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <optional>

namespace {

// Labels, menu items, tabs and column headers take any text number; other captions and all
// tool tips only numbers from 1 up (0 and below there are ordinary captions).
constexpr int kAnyNumber = -32768;
constexpr int kPositive = 1;

std::optional<int16_t> textNumber(const QString &caption)
{
    bool ok = false;
    const int number = caption.trimmed().toInt(&ok);
    if (!ok || number < -32768 || number > 32767)
        return std::nullopt;
    return int16_t(number);
}

class CaptionPass
{
public:
    CaptionPass(QWidget *window, const TextResources &texts) : m_window(window), m_texts(texts) {}

    void run()
    {
        m_window->setWindowTitle(converted(m_window->windowTitle(), kAnyNumber));
        visit(m_window);
        // Shared actions and models after the walk, each once, whoever shows them.
        for (QAction *action : std::as_const(m_actions))
            applyAction(action);
        for (QStandardItemModel *model : std::as_const(m_models))
            applyHeaders(model);
    }

private:
    QString converted(const QString &caption, int minimum) const
    {
        const std::optional<int16_t> number = textNumber(caption);
        if (!number || *number < minimum)
            return caption;
        return m_texts.GetText(*number);
    }

    bool isOtherForm(const QWidget *widget) const
    {
        if (widget == m_window)
            return false;
        if (qobject_cast<const QMdiSubWindow *>(widget))
            return true;
        // Menus, floating docks and tool bars are windows too, but belong to this one.
        return widget->isWindow() && !qobject_cast<const QMenu *>(widget) &&
               !qobject_cast<const QDockWidget *>(widget) && !qobject_cast<const QToolBar *>(widget);
    }

    void visit(QObject *object)
    {
        if (m_visited.contains(object))
            return;
        m_visited.insert(object);
        if (auto *widget = qobject_cast<QWidget *>(object)) {
            if (isOtherForm(widget))
                return;
            applyWidget(widget);
            const QList<QAction *> actions = widget->actions();
            for (QAction *action : actions)
                addAction(action);
        } else if (auto *action = qobject_cast<QAction *>(object)) {
            addAction(action);
        }
        const QObjectList children = object->children();
        for (QObject *child : children)
            visit(child);
    }

    void addAction(QAction *action)
    {
        if (m_actions.contains(action))
            return;
        m_actions.append(action);
        // A menu added to a menu bar or another menu need not be its child.
        if (QMenu *menu = action->menu())
            visit(menu);
    }

    void applyWidget(QWidget *widget)
    {
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            setIfChanged(label->text(), converted(label->text(), kAnyNumber),
                         [&](const QString &t) { label->setText(t); });
        } else if (auto *tabs = qobject_cast<QTabBar *>(widget)) {
            // A tab widget's tabs live in its tab bar, so they are done here, once.
            for (int i = 0; i < tabs->count(); ++i) {
                tabs->setTabText(i, converted(tabs->tabText(i), kAnyNumber));
                tabs->setTabToolTip(i, converted(tabs->tabToolTip(i), kAnyNumber));
            }
        } else if (auto *tree = qobject_cast<QTreeWidget *>(widget)) {
            QTreeWidgetItem *header = tree->headerItem();
            for (int column = 0; header && column < tree->columnCount(); ++column)
                header->setText(column, converted(header->text(column), kAnyNumber));
        } else if (auto *table = qobject_cast<QTableWidget *>(widget)) {
            for (int column = 0; column < table->columnCount(); ++column) {
                if (QTableWidgetItem *header = table->horizontalHeaderItem(column))
                    header->setText(converted(header->text(), kAnyNumber));
            }
        } else if (auto *view = qobject_cast<QAbstractItemView *>(widget)) {
            if (auto *model = qobject_cast<QStandardItemModel *>(view->model()); model && !m_models.contains(model))
                m_models.append(model);
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            // A tool button showing an action takes its caption and tool tip from the action.
            if (auto *tool = qobject_cast<QToolButton *>(button); tool && tool->defaultAction())
                return;
            button->setText(converted(button->text(), kPositive));
        } else if (auto *group = qobject_cast<QGroupBox *>(widget)) {
            group->setTitle(converted(group->title(), kPositive));
        } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
            edit->setPlaceholderText(converted(edit->placeholderText(), kPositive));
        } else if (qobject_cast<QDockWidget *>(widget) || qobject_cast<QToolBar *>(widget)) {
            widget->setWindowTitle(converted(widget->windowTitle(), kPositive));
        }
        setIfChanged(widget->toolTip(), converted(widget->toolTip(), kPositive),
                     [&](const QString &t) { widget->setToolTip(t); });
    }

    void applyAction(QAction *action)
    {
        if (action->isSeparator())
            return;
        action->setText(converted(action->text(), kAnyNumber));
        // Without a tool tip of its own an action shows its text, which is done by now.
        const QString toolTip = action->toolTip();
        setIfChanged(toolTip, converted(toolTip, kPositive), [&](const QString &t) { action->setToolTip(t); });
    }

    void applyHeaders(QStandardItemModel *model)
    {
        for (int column = 0; column < model->columnCount(); ++column) {
            if (QStandardItem *header = model->horizontalHeaderItem(column))
                header->setText(converted(header->text(), kAnyNumber));
        }
    }

    template <typename Set> static void setIfChanged(const QString &before, const QString &after, Set set)
    {
        if (after != before)
            set(after);
    }

    QWidget *m_window;
    const TextResources &m_texts;
    QSet<QObject *> m_visited;
    QList<QAction *> m_actions;
    QList<QStandardItemModel *> m_models;
};

} // namespace

void ApplyFormTexts(QWidget *window, const TextResources &texts)
{
    if (window)
        CaptionPass(window, texts).run();
}

void ApplyFormTexts(QWidget *window)
{
    // Without installed resources every number stays a number, as GetText would give it.
    if (const TextResources *texts = TextResources::installed())
        ApplyFormTexts(window, *texts);
}

void FitCheckBoxWidth(QWidget *window, QAbstractButton *control, int maximumWidth)
{
    const QString caption = control->text();
    int width = window->fontMetrics().horizontalAdvance(caption) + 22;
    if (caption.contains(QLatin1Char('&')))
        width -= 6;
    control->setFixedWidth(std::min(width, maximumWidth));
}

QPushButton *CommandButton(QWidget *parent, const char *name, qint16 caption)
{
    auto *button = new QPushButton(GetText(caption), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}
