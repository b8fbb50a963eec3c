#pragma once

// Shared pieces of the benchmark programs.
#include "store/model_context.h"

#include <benchmark/benchmark.h>

namespace quillora::bench {

// Inserts `count` résumés of `experience` experience and `education` education entries each,
// with lastEdited dates in scrambled order, and saves.
inline void insertSampleResumes(ModelContext& context, int count, int experience = 5, int education = 3) {
    const QDateTime base = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < count; ++i) {
        QList<ExperiencePtr> experienceItems;
        for (int j = 0; j < experience; ++j)
            experienceItems << std::make_shared<Experience>(
                QStringLiteral("Role %1").arg(j), QStringLiteral("Company"), QStringLiteral("2020"),
                QStringLiteral("2022"), QString(400, QLatin1Char('d')), j);
        QList<EducationPtr> educationItems;
        for (int j = 0; j < education; ++j)
            educationItems << std::make_shared<Education>(QStringLiteral("School"), QStringLiteral("BA"),
                                                          QStringLiteral("2010"), j);
        context.insert(std::make_shared<Resume>(
            QStringLiteral("Résumé %1").arg(i), QStringLiteral("Full Name %1").arg(i),
            QStringLiteral("contact"), QString(600, QLatin1Char('s')), experienceItems, educationItems,
            QList<PortfolioItemPtr>{}, std::nullopt, std::nullopt, std::nullopt, false, QString(), QString(),
            QString(), std::nullopt, false, QString(), QString(), std::nullopt, std::nullopt,
            QStringLiteral("Helvetica Neue"), 0, base.addSecs((i * 7919) % count), true, QStringList{},
            QStringList{QStringLiteral("Qt")}, std::nullopt));
    }
    (void)context.save();
}

inline int runBenchmarks(int& argc, char** argv) {
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}

} // namespace quillora::bench
