#include "output/resume_titles.h"

#include "model/resume.h"

namespace quillora {

ResumeTitles::ResumeTitles(QObject* parent)
    : QObject(parent)
    , m_summary(QStringLiteral("Summary"))
    , m_experience(QStringLiteral("Experience"))
    , m_education(QStringLiteral("Education")) {}

ResumeTitles::~ResumeTitles() = default;

void ResumeTitles::set(const QString& summary, const QString& experience, const QString& education) {
    if (summary == m_summary && experience == m_experience && education == m_education)
        return;
    m_summary = summary;
    m_experience = experience;
    m_education = education;
    emit changed();
}

void ResumeTitles::syncFrom(const Resume& resume) {
    set(resume.displaySummaryTitle(), resume.displayExperienceTitle(), resume.displayEducationTitle());
}

} // namespace quillora
