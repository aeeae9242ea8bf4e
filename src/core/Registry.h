#pragma once

#include <QString>
#include <optional>

// The few registry operations the player needs. On Linux the keys live in an INI file in the
// user's configuration folder, under the same root names and key paths as on Windows.
enum class TRootKey { ClassesRoot, CurrentUser, LocalMachine };

class TRegistry {
public:
    virtual ~TRegistry() = default;
    // Opens the key (creating it when asked) and writes a 32-bit value; false on any failure.
    virtual bool WriteInteger(TRootKey root, const QString& key, const QString& valueName, int value,
                              bool createKey) = 0;
    virtual std::optional<int> ReadInteger(TRootKey root, const QString& key,
                                           const QString& valueName) const = 0;
    // True when the key exists and can be opened for reading.
    virtual bool KeyExists(TRootKey root, const QString& key) const = 0;
    virtual bool CreateKey(TRootKey root, const QString& key) = 0;
};

class TIniRegistry final : public TRegistry {
public:
    // fileName empty: "registry.ini" in the user's configuration folder for this program.
    explicit TIniRegistry(const QString& fileName = QString());

    bool WriteInteger(TRootKey root, const QString& key, const QString& valueName, int value,
                      bool createKey) override;
    std::optional<int> ReadInteger(TRootKey root, const QString& key,
                                   const QString& valueName) const override;
    bool KeyExists(TRootKey root, const QString& key) const override;
    bool CreateKey(TRootKey root, const QString& key) override;

    QString FileName() const { return m_fileName; }

private:
    QString m_fileName;
};
