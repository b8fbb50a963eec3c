#pragma once

#include <QString>

#include <optional>
#include <variant>

namespace quillora {

// The account status of the public database, with the platform's raw values.
enum class CKAccountStatus : int {
    couldNotDetermine = 0,
    available = 1,
    restricted = 2,
    noAccount = 3,
    temporarilyUnavailable = 4,
};

// A failure reported by the public database, with the platform's numeric error codes.
struct CKError final {
    enum Code : int {
        internalError = 1,
        networkFailure = 4,
        badContainer = 5,
        missingEntitlement = 8,
        notAuthenticated = 9,
        permissionFailure = 10,
        unknownItem = 11,
    };

    int code = internalError;
    QString localizedDescription;

    friend bool operator==(const CKError&, const CKError&) = default;
};

// A failure that did not come from the public database (a file that could not be written, a
// connection string that could not be read).
struct PlatformError final {
    QString localizedDescription;

    friend bool operator==(const PlatformError&, const PlatformError&) = default;
};

// What the cloud service reports to the user: a sentence about the account or the container.
class QuilloraCloudKitError final {
public:
    struct Unavailable final {
        int status = 0; // a CKAccountStatus raw value
        // Why, where this desktop knows better than the status's own sentence (no connection set).
        QString explanation = {};
        friend bool operator==(const Unavailable&, const Unavailable&) = default;
    };
    struct PermissionFailure final {
        QString containerIdentifier;
        friend bool operator==(const PermissionFailure&, const PermissionFailure&) = default;
    };
    using Case = std::variant<Unavailable, PermissionFailure, CKError, PlatformError>;

    static QuilloraCloudKitError unavailable(CKAccountStatus status) { return {Unavailable{int(status)}}; }
    static QuilloraCloudKitError unavailable(int status) { return {Unavailable{status}}; }
    // No account, because no connection to the recruiting network's database is set: the user is
    // told so, and where to set it.
    static QuilloraCloudKitError notConfigured();
    static QuilloraCloudKitError permissionFailure(const QString& containerIdentifier) {
        return {PermissionFailure{containerIdentifier}};
    }
    static QuilloraCloudKitError ckError(const CKError& error) { return {error}; }
    static QuilloraCloudKitError other(const PlatformError& error) { return {error}; }

    const Case& value() const { return m_case; }
    template <typename T> const T* as() const { return std::get_if<T>(&m_case); }

    // The user's message; absent only for an "unavailable" error with the status "available".
    std::optional<QString> errorDescription() const;
    // The message, or the platform's generic text where the error has none of its own.
    QString localizedDescription() const;

    friend bool operator==(const QuilloraCloudKitError&, const QuilloraCloudKitError&) = default;

private:
    QuilloraCloudKitError(Case value)
        : m_case(std::move(value)) {}

    Case m_case;
};

// Any failure of a cloud step, before it is mapped.
using CloudFailure = std::variant<QuilloraCloudKitError, CKError, PlatformError>;

QString localizedDescription(const CloudFailure& failure);

// Turns any failure into the user-facing error: an error that already is one stays as it is;
// bad container, missing entitlement and permission failure become a permission failure of the
// app's container; other database errors are carried as they are; anything else is "other".
QuilloraCloudKitError mapCloudKitError(const CloudFailure& failure);

} // namespace quillora
