#include "sharing/quillora_cloudkit_error.h"

#include "sharing/cloud_configuration.h"

namespace quillora {

namespace {

template <typename... Ts> struct Overloaded : Ts... { using Ts::operator()...; };
template <typename... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

std::optional<QString> unavailableText(int status) {
    switch (status) {
    case int(CKAccountStatus::couldNotDetermine):
        return QStringLiteral("CloudKit could not determine the iCloud account status.");
    case int(CKAccountStatus::available):
        return std::nullopt;
    case int(CKAccountStatus::restricted):
        return QStringLiteral("iCloud access is restricted on this device.");
    case int(CKAccountStatus::noAccount):
        return QStringLiteral("iCloud is not signed in on this device.");
    case int(CKAccountStatus::temporarilyUnavailable):
        return QStringLiteral("iCloud is temporarily unavailable.");
    default:
        return QStringLiteral("CloudKit returned an unknown iCloud account status.");
    }
}

bool isAccessCode(int code) {
    return code == CKError::badContainer || code == CKError::missingEntitlement ||
           code == CKError::notAuthenticated || code == CKError::permissionFailure;
}

} // namespace

QuilloraCloudKitError QuilloraCloudKitError::notConfigured() {
    return {Unavailable{int(CKAccountStatus::noAccount),
                        QStringLiteral("The connection to the recruiting network is not set. Set the "
                                       "%1 environment variable to its database's connection string "
                                       "(see the README).")
                            .arg(QLatin1String(kCloudDatabaseVariable))}};
}

std::optional<QString> QuilloraCloudKitError::errorDescription() const {
    return std::visit(
        Overloaded{
            [](const Unavailable& e) {
                return e.explanation.isEmpty() ? unavailableText(e.status)
                                               : std::optional<QString>(e.explanation);
            },
            [](const PermissionFailure& e) -> std::optional<QString> {
                return QStringLiteral("This build does not have access to CloudKit container ") %
                       e.containerIdentifier %
                       QStringLiteral(". Check the app's iCloud capability, entitlements, and signing team "
                                      "on this device.");
            },
            [](const CKError& e) -> std::optional<QString> {
                if (isAccessCode(e.code))
                    return QStringLiteral("CloudKit access failed for container ") %
                           cloudContainerIdentifier() % QStringLiteral(": ") % e.localizedDescription;
                return e.localizedDescription;
            },
            [](const PlatformError& e) -> std::optional<QString> { return e.localizedDescription; },
        },
        m_case);
}

QString QuilloraCloudKitError::localizedDescription() const {
    if (const std::optional<QString> text = errorDescription())
        return *text;
    // What the platform shows for an error without a description of its own.
    return QStringLiteral("The operation couldn’t be completed. (Quillora.QuilloraCloudKitError error %1.)")
        .arg(m_case.index());
}

QString localizedDescription(const CloudFailure& failure) {
    return std::visit(Overloaded{
                          [](const QuilloraCloudKitError& e) { return e.localizedDescription(); },
                          [](const CKError& e) { return e.localizedDescription; },
                          [](const PlatformError& e) { return e.localizedDescription; },
                      },
                      failure);
}

QuilloraCloudKitError mapCloudKitError(const CloudFailure& failure) {
    return std::visit(Overloaded{
                          [](const QuilloraCloudKitError& e) { return e; },
                          [](const CKError& e) {
                              if (e.code == CKError::badContainer || e.code == CKError::missingEntitlement ||
                                  e.code == CKError::permissionFailure)
                                  return QuilloraCloudKitError::permissionFailure(cloudContainerIdentifier());
                              return QuilloraCloudKitError::ckError(e);
                          },
                          [](const PlatformError& e) { return QuilloraCloudKitError::other(e); },
                      },
                      failure);
}

} // namespace quillora
