#pragma once

#include <QByteArray>
#include <QList>
#include <QProcessEnvironment>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The workstation's registry: two hives kept as Windows registry export files (.reg, REGEDIT5).
// The current user's file holds HKEY_CURRENT_USER; the local machine's file holds
// HKEY_LOCAL_MACHINE and HKEY_CLASSES_ROOT. Key paths and value names compare without case and
// keep the case they were created with. Results are errno values: 0 success, ENOENT missing key
// or value, EACCES no write access, EBADMSG a hive file that is not a registry file, or what the
// file system reported.
//
// Every read looks at the file again when it changed on disk, so two processes see each other's
// writes; every write holds an exclusive lock on "<file>.lock", re-reads the file, and replaces
// it atomically.
class RegistryStore
{
public:
    enum class Hive { CurrentUser, LocalMachine, ClassesRoot };
    enum class Access { Read, Write };
    enum class ValueType { String, DWord, Other };

    struct Value
    {
        ValueType type = ValueType::String;
        QString text;        // String: the stored characters, a trailing NUL included when stored
        uint32_t number = 0; // DWord
        QString raw;         // Other: the data as it stands in the file after "=", e.g. "hex(2):41,00,00,00"

        static Value string(const QString &text);
        static Value dword(uint32_t number);
        static Value other(const QString &raw);

        // The characters of a text value (String, or an expandable or multi-string kept as hex);
        // empty for numbers and binary data.
        std::optional<QString> textData() const;

        bool operator==(const Value &other) const = default;
    };

    struct Paths
    {
        QString currentUser;
        QString localMachine;
    };

    // $XDG_CONFIG_HOME/veltrix/registry.reg and /etc/veltrix/registry.reg, unless OSTRELLE_HKCU
    // or OSTRELLE_HKLM name other files.
    static Paths defaultPaths(const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

    RegistryStore(const QString &currentUserFile, const QString &localMachineFile);
    explicit RegistryStore(const Paths &paths) : RegistryStore(paths.currentUser, paths.localMachine) {}
    ~RegistryStore();
    RegistryStore(const RegistryStore &) = delete;
    RegistryStore &operator=(const RegistryStore &) = delete;

    QString fileName(Hive hive) const;

    // Whether the running user may change the hive. Windows gives a workstation user read access
    // to the local machine's keys only; a hive without write access refuses writes with EACCES
    // (HKEY_CLASSES_ROOT shares the local machine's rights).
    void setWritable(Hive hive, bool writable);
    bool isWritable(Hive hive) const;

    // Opens a key; with create, a missing key and its parents are added to the hive file.
    // Write access, or creating a key, needs a hive the user may change.
    int openKey(Hive hive, const QString &keyPath, Access access, bool create);
    int queryValue(Hive hive, const QString &keyPath, const QString &valueName, Value &value);
    // Creates the key when it is missing.
    int setValue(Hive hive, const QString &keyPath, const QString &valueName, const Value &value);
    int deleteValue(Hive hive, const QString &keyPath, const QString &valueName);
    // Removes the key with everything below it.
    int deleteKey(Hive hive, const QString &keyPath);

    // Names of the values and of the direct subkeys of a key, in file order.
    int valueNames(Hive hive, const QString &keyPath, QStringList &names);
    int subKeyNames(Hive hive, const QString &keyPath, QStringList &names);

    // The .reg text model, public for the file-format tests.
    struct Entry
    {
        QString name; // empty: the key's default value, "@" in the file
        Value value;
    };
    struct Key
    {
        QString root; // HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_CLASSES_ROOT, or as found
        QString path; // below the root, without leading or trailing "\"
        QList<Entry> entries;
    };
    struct Document
    {
        QList<Key> keys;
    };
    // Reads UTF-16 (with byte-order mark) or UTF-8 text; a non-empty text without the REGEDIT
    // header gives std::nullopt.
    static std::optional<Document> parse(const QByteArray &bytes);
    // UTF-8 without byte-order mark, CR LF line ends.
    static QByteArray serialize(const Document &document);

private:
    struct HiveFile;
    // Applies a change under the hive's lock; the change reports whether the document changed.
    using Change = std::function<int(Document &document, bool &changed)>;

    HiveFile &fileOf(Hive hive) const;
    static QString rootOf(Hive hive);
    static int load(HiveFile &file, bool force);
    static int writeFile(HiveFile &file, const Document &document);
    static int probeWritable(const HiveFile &file);
    int modify(Hive hive, const Change &change);

    std::unique_ptr<HiveFile> m_currentUser;
    std::unique_ptr<HiveFile> m_localMachine;
};
