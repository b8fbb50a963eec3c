#pragma once

#include "model/education.h"
#include "model/experience.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace quillora {

// What the ATS tools read of a résumé. The entry lists refer to the résumé's own records, so
// later edits of an entry are visible through the snapshot; read them on the UI thread only.
struct ATSResumeSnapshot final {
    QString fullName;
    QString contactInfo;
    QString summary;
    QStringList skills;
    QList<ExperiencePtr> experience;
    QList<EducationPtr> education;

    // The skills trimmed, blank ones left out, one per line (no trailing line break).
    QString skillsText() const;
};

} // namespace quillora
