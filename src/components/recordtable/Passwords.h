#pragma once

#include <QString>

#include <cstddef>

// Operator passwords are stored as Argon2id hashes in libsodium's self-describing string form.
namespace Passwords {

bool isHash(const QString &stored);
// Empty on failure (out of memory).
QString hash(const QString &password, unsigned long long opsLimit, std::size_t memLimit);
// False for a wrong password and for anything stored that is not a hash.
bool verify(const QString &stored, const QString &password);

} // namespace Passwords
