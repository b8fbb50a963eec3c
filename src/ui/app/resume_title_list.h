#pragma once

#include "model/resume.h"

#include <QListWidget>

namespace quillora {

class ModelContext;

// The sidebar's list of résumé titles, newest first. Choosing a row posts "QuilloraSelectResume".
class ResumeTitleList final : public QListWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeTitleList)

public:
    explicit ResumeTitleList(ModelContext& context, QWidget* parent = nullptr);

private:
    void reload();

    ModelContext& m_context;
    QList<ResumePtr> m_resumes;
};

} // namespace quillora
