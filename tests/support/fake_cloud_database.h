#pragma once

#include "sharing/cloud_database.h"

#include <QFile>
#include <QStringList>
#include <QThread>

#include <functional>
#include <map>
#include <memory>
#include <optional>

namespace quillora::test {

// The public database in memory, with a scripted failure for any step.
struct FakeCloud final {
    CloudResult<CKAccountStatus> status = CKAccountStatus::available;
    std::optional<CloudFailure> saveFailure, fetchFailure, deleteFailure;
    bool saveAnswerLost = false; // with saveFailure: the record is saved all the same
    std::map<QString, CloudRecord> records;
    QStringList calls;
    QStringList jsonFilesSeenAtSave;
    QThread* saveThread = nullptr;
    QByteArray pdfSeenAtSave;
    QByteArray jsonSeenAtSave;
    std::function<void()> beforeSave; // runs on the worker as an upload begins
};

class FakeCloudDatabase final : public CloudDatabase {
public:
    explicit FakeCloudDatabase(std::shared_ptr<FakeCloud> cloud)
        : m_cloud(std::move(cloud)) {}

    CloudResult<CKAccountStatus> accountStatus() override {
        m_cloud->calls << QStringLiteral("accountStatus");
        return m_cloud->status;
    }
    CloudResult<CloudRecord> save(const CloudRecord& record, bool& mayHaveSaved) override {
        m_cloud->calls << QStringLiteral("save");
        mayHaveSaved = m_cloud->saveAnswerLost;
        if (m_cloud->beforeSave)
            m_cloud->beforeSave();
        m_cloud->saveThread = QThread::currentThread();
        m_cloud->jsonFilesSeenAtSave << record.jsonPath;
        if (QFile pdf(record.pdfPath); pdf.open(QIODevice::ReadOnly))
            m_cloud->pdfSeenAtSave = pdf.readAll();
        if (QFile json(record.jsonPath); json.open(QIODevice::ReadOnly))
            m_cloud->jsonSeenAtSave = json.readAll();
        if (m_cloud->saveFailure && !m_cloud->saveAnswerLost)
            return *m_cloud->saveFailure;
        m_cloud->records[record.recordName] = record;
        if (m_cloud->saveFailure)
            return *m_cloud->saveFailure; // saved, and the answer lost
        return record;
    }
    CloudResult<CloudRecord> fetch(const QString& name) override {
        m_cloud->calls << QStringLiteral("fetch");
        if (m_cloud->fetchFailure)
            return *m_cloud->fetchFailure;
        const auto found = m_cloud->records.find(name);
        if (found == m_cloud->records.end())
            return CKError{CKError::unknownItem, QStringLiteral("Record not found")};
        return found->second;
    }
    CloudResult<QString> deleteRecord(const QString& name) override {
        m_cloud->calls << QStringLiteral("delete");
        if (m_cloud->deleteFailure)
            return *m_cloud->deleteFailure;
        if (m_cloud->records.erase(name) == 0)
            return CKError{CKError::unknownItem, QStringLiteral("Record not found")};
        return name;
    }

private:
    std::shared_ptr<FakeCloud> m_cloud;
};

} // namespace quillora::test
