#include "app/resume_title_list.h"

#include "app/app_events.h"
#include "store/model_context.h"

namespace quillora {

ResumeTitleList::ResumeTitleList(ModelContext& context, QWidget* parent) : QListWidget(parent), m_context(context)
{
    setObjectName(QStringLiteral("resumeList"));
    reload();
    connect(&m_context, &ModelContext::resumeInserted, this, &ResumeTitleList::reload);
    connect(&m_context, &ModelContext::resumeDeleted, this, &ResumeTitleList::reload);
    connect(&m_context, &ModelContext::resumeChanged, this, [this](Resume*, const QString& key) {
        if (key == QLatin1String("title") || key == QLatin1String("lastEdited"))
            reload();
    });
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int index = row(item);
        if (index >= 0 && index < m_resumes.size())
            AppEvents::instance().postSelectResume(m_resumes.at(index));
    });
}

void ResumeTitleList::reload()
{
    const auto fetched = m_context.fetchResumes();
    m_resumes = fetched ? *fetched : QList<ResumePtr>{};
    clear();
    for (const auto& resume : std::as_const(m_resumes))
        addItem(resume->title());
}

} // namespace quillora
