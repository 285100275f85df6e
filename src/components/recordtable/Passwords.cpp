#include "components/recordtable/Passwords.h"

#include <QByteArray>

#include <sodium.h>

namespace Passwords {

bool isHash(const QString &stored)
{
    return stored.startsWith(QLatin1String(crypto_pwhash_argon2id_STRPREFIX));
}

QString hash(const QString &password, unsigned long long opsLimit, std::size_t memLimit)
{
    const QByteArray pw = password.toUtf8();
    char out[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str_alg(out, pw.constData(), static_cast<unsigned long long>(pw.size()), opsLimit, memLimit,
                              crypto_pwhash_ALG_ARGON2ID13) != 0)
        return QString();
    return QString::fromLatin1(out);
}

bool verify(const QString &stored, const QString &password)
{
    if (!isHash(stored))
        return false;
    const QByteArray h = stored.toLatin1();
    const QByteArray pw = password.toUtf8();
    return crypto_pwhash_str_verify(h.constData(), pw.constData(), static_cast<unsigned long long>(pw.size())) == 0;
}

} // namespace Passwords
