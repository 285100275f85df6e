#include "platform/MessageDialog.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {
QMessageBox::Icon iconFor(DialogStyle style)
{
    switch (style) {
    case DialogStyle::Error:
        return QMessageBox::Critical;
    case DialogStyle::Question:
        return QMessageBox::Question;
    case DialogStyle::Exclamation:
        return QMessageBox::Warning;
    case DialogStyle::Information:
        break;
    }
    return QMessageBox::Information;
}

// Placed when shown: only then does the box take its final size, with a long text wrapped.
class PlacedMessageBox : public QMessageBox
{
public:
    PlacedMessageBox(QWidget *parent, QPoint position) : QMessageBox(parent), m_position(position) {}

protected:
    void showEvent(QShowEvent *event) override
    {
        QMessageBox::showEvent(event);
        QPoint position = m_position;
        if (position.x() < 0 || position.y() < 0) {
            const QScreen *screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
            if (!screen)
                return;
            const QRect area = screen->availableGeometry();
            position = area.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2);
        }
        move(position);
    }

private:
    QPoint m_position;
};

} // namespace

int ShowMessageDialog(const QString &text, DialogStyle style, const QString &title, const QStringList &buttonCaptions,
                      int left, int top, QWidget *parent)
{
    PlacedMessageBox box(parent, QPoint(left, top));
    box.setObjectName(QStringLiteral("MessageDialog"));
    box.setIcon(iconFor(style));
    box.setWindowTitle(title);
    box.setText(text);
    const QStringList captions = buttonCaptions.isEmpty() ? QStringList{QStringLiteral("OK")} : buttonCaptions;
    QList<QAbstractButton *> buttons;
    for (int i = 0; i < captions.size(); ++i) {
        // Roles only order the buttons; the answer is the caption's index either way.
        const auto role = i == 0 ? QMessageBox::AcceptRole
                                 : (i == captions.size() - 1 ? QMessageBox::RejectRole : QMessageBox::ActionRole);
        QPushButton *button = box.addButton(captions.at(i), role);
        button->setObjectName(QStringLiteral("cmdButton%1").arg(i));
        buttons.append(button);
    }
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    box.setEscapeButton(buttons.last());
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}
