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
} // namespace

int ShowMessageDialog(const QString &text, DialogStyle style, const QString &title, const QStringList &buttonCaptions,
                      int left, int top, QWidget *parent)
{
    QMessageBox box(parent);
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
    box.adjustSize();

    QPoint position(left, top);
    if (left < 0 || top < 0) {
        const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            position = area.center() - QPoint(box.sizeHint().width() / 2, box.sizeHint().height() / 2);
        }
    }
    box.move(position);
    box.exec();
    return static_cast<int>(buttons.indexOf(box.clickedButton()));
}
