#include "ui/RegistryError.h"

#include "platform/Registry.h"
#include "texts/Texts.h"

namespace {

// The box must be readable even before the text library is loaded.
QString textOr(int16_t number, const QString &fallback)
{
    const QString text = GetText(number);
    return text == QString::number(number) ? fallback : text;
}

} // namespace

void ShowRegistryError(Registry &registry, const MessageDialogFn &show)
{
    const QString text = QStringLiteral("IEC-") +
                         QString::number(static_cast<uint32_t>(registry.lastError()), 16).toUpper() +
                         QStringLiteral("\r\n\r\n") + SystemErrorText(registry.lastSystemCode());
    show(text, DialogStyle::Error, textOr(-32767, QStringLiteral("Error Message")),
         {textOr(17000, QStringLiteral("OK"))});
}
