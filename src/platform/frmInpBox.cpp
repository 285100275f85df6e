#include "platform/frmInpBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

frmInpBox::frmInpBox(const InputBoxRequest &request, QWidget *parent, const QString &okCaption,
                     const QString &cancelCaption)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmInpBox"));
    setWindowTitle(request.title);
    setModal(true);

    m_message = new QLabel(request.message, this);
    m_message->setObjectName(QStringLiteral("lblMessage"));
    m_message->setWordWrap(true);

    m_input = new QLineEdit(this);
    m_input->setObjectName(QStringLiteral("txtInput"));
    if (request.maximumLength > 0)
        m_input->setMaxLength(request.maximumLength);
    if (!request.allowedCharacters.isEmpty()) {
        // Only the allowed characters can be typed or pasted.
        const QString pattern = QStringLiteral("[%1]*").arg(QRegularExpression::escape(request.allowedCharacters));
        m_input->setValidator(new QRegularExpressionValidator(QRegularExpression(pattern), m_input));
    }
    m_input->setText(request.defaultText);
    m_input->selectAll();
    m_message->setBuddy(m_input);

    auto *ok = new QPushButton(okCaption, this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(cancelCaption, this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_message);
    layout->addWidget(m_input);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    m_input->setFocus();
}

QString frmInpBox::text() const
{
    return m_input->text();
}

bool ShowInputBox(const InputBoxRequest &request, QString &text, QWidget *parent)
{
    frmInpBox box(request, parent);
    if (box.exec() != QDialog::Accepted)
        return false;
    text = box.text();
    return true;
}
