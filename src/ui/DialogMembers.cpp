#include "ui/DialogMembers.h"

#include <QMetaMethod>
#include <QMetaObject>
#include <QObject>

#include <array>

namespace {

QMetaMethod findMethod(const QObject *window, const char *member, qsizetype argumentCount)
{
    if (!window)
        return {};
    const QMetaObject *meta = window->metaObject();
    for (int i = meta->methodCount() - 1; i >= 0; --i) {
        const QMetaMethod method = meta->method(i);
        if (method.name() == member && method.parameterCount() == argumentCount)
            return method;
    }
    return {};
}

// Converts the arguments to the method's parameter types; false when one does not convert.
bool convertArguments(const QMetaMethod &method, QVariantList &arguments)
{
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QMetaType type = method.parameterMetaType(int(i));
        if (!arguments[i].convert(type))
            return false;
    }
    return true;
}

bool invoke(QObject *window, const QMetaMethod &method, QVariantList arguments, QGenericReturnArgument result)
{
    if (arguments.size() > 3 || !convertArguments(method, arguments))
        return false;
    std::array<QGenericArgument, 3> args{};
    for (qsizetype i = 0; i < arguments.size(); ++i)
        args[size_t(i)] = QGenericArgument(arguments[i].typeName(), arguments[i].constData());
    return method.invoke(window, Qt::DirectConnection, result, args[0], args[1], args[2]);
}

} // namespace

bool DialogMembers::has(const QObject *window, const char *member)
{
    if (!window)
        return false;
    const QMetaObject *meta = window->metaObject();
    for (int i = 0; i < meta->methodCount(); ++i) {
        if (meta->method(i).name() == member)
            return true;
    }
    return false;
}

bool DialogMembers::call(QObject *window, const char *member, const QVariantList &arguments)
{
    const QMetaMethod method = findMethod(window, member, arguments.size());
    if (!method.isValid())
        return false;
    return invoke(window, method, arguments, QGenericReturnArgument());
}

bool DialogMembers::callBool(QObject *window, const char *member, bool fallback, const QVariantList &arguments)
{
    const QMetaMethod method = findMethod(window, member, arguments.size());
    if (!method.isValid() || method.returnMetaType() != QMetaType::fromType<bool>())
        return fallback;
    bool result = fallback;
    if (!invoke(window, method, arguments, Q_RETURN_ARG(bool, result)))
        return fallback;
    return result;
}

bool DialogMembers::readBool(QObject *window, const char *name, bool fallback)
{
    if (!window)
        return fallback;
    const QVariant value = window->property(name);
    if (value.isValid())
        return value.toBool();
    return callBool(window, name, fallback);
}

bool DialogMembers::isDialogAvailable(QObject *window)
{
    return callBool(window, "IsDialogAvailable", true);
}
