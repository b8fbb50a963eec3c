#pragma once

#include "sharing/quillora_cloudkit_error.h"

#include <QDateTime>
#include <QString>

#include <chrono>
#include <functional>
#include <utility>
#include <variant>

namespace quillora {

// A value, or the failure of a cloud step as it was reported.
template <typename T> class [[nodiscard]] CloudResult final {
public:
    CloudResult(T value)
        : m_state(std::in_place_index<0>, std::move(value)) {}
    CloudResult(QuilloraCloudKitError error)
        : m_state(std::in_place_index<1>, std::move(error)) {}
    CloudResult(CKError error)
        : m_state(std::in_place_index<1>, std::move(error)) {}
    CloudResult(PlatformError error)
        : m_state(std::in_place_index<1>, std::move(error)) {}
    CloudResult(CloudFailure failure)
        : m_state(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }
    const T& value() const { return std::get<0>(m_state); }
    const CloudFailure& failure() const { return std::get<1>(m_state); }

private:
    std::variant<T, CloudFailure> m_state;
};

// One shared résumé as the public database keeps it. The two assets are local files whose
// bytes are stored with the record when it is saved.
struct CloudRecord final {
    QString recordType;
    QString recordName;
    QString exportId;
    QDateTime exportedAt;
    QString title;
    QString fullName;
    QString pdfPath;  // the "pdf" asset
    QString jsonPath; // the "json" asset
};

// A connection to the public database, used for one upload or one delete and then dropped.
// Its calls run one after another on one thread, which need not be the UI thread.
class CloudDatabase {
public:
    virtual ~CloudDatabase() = default;

    // The account's status; a failure only when the request itself could not be made.
    virtual CloudResult<CKAccountStatus> accountStatus() = 0;
    // Saves a new record with its assets; returns the saved record. A failure means that nothing
    // was saved, unless `mayHaveSaved` is set: the database was asked to keep the record and its
    // answer never came.
    virtual CloudResult<CloudRecord> save(const CloudRecord& record, bool& mayHaveSaved) = 0;
    // The record with that name (its assets are not downloaded); unknownItem when there is none.
    virtual CloudResult<CloudRecord> fetch(const QString& recordName) = 0;
    // Deletes the record; returns its name; unknownItem when there is none.
    virtual CloudResult<QString> deleteRecord(const QString& recordName) = 0;

    // Bounds the calls that follow, beside their own time limit: none goes on past `deadline`, and
    // one waiting on the database gives up within a moment once `stopped` says so; a call cut
    // short either way fails as one that got no answer in time. For a database whose calls never
    // wait there is nothing to bound.
    virtual void bound(std::chrono::steady_clock::time_point deadline, std::function<bool()> stopped) {
        (void)deadline;
        (void)stopped;
    }
};

} // namespace quillora
