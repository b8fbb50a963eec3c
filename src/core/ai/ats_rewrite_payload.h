#pragma once

#include "ai/generation_schema.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quillora {

// The ATS rewrite's structured answer; every member is required.
struct ATSRewritePayload final {
    struct ExperienceRewrite final {
        QString role;
        QString company;
        QString details;

        static std::shared_ptr<const GenerationSchema> schema();
        static ExperienceRewrite fromValidated(const QJsonObject& object);
    };

    struct InsertedKeyword final {
        QString keyword;
        QString section;

        static std::shared_ptr<const GenerationSchema> schema();
        static InsertedKeyword fromValidated(const QJsonObject& object);
        bool operator==(const InsertedKeyword&) const = default;
    };

    QString summary;
    QList<ExperienceRewrite> experience;
    QStringList skills;
    QList<InsertedKeyword> insertedKeywords;

    static std::shared_ptr<const GenerationSchema> schema();
    static ATSRewritePayload fromValidated(const QJsonObject& object);
};

size_t qHash(const ATSRewritePayload::InsertedKeyword& value, size_t seed = 0);

} // namespace quillora
