#pragma once

#include "model/resume.h"

#include <QWidget>

namespace quillora {

class Services;

// Shows a résumé until its editor opens in its place: the résumé's title over the themed
// background, following renames.
class ResumeDetailView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeDetailView)

public:
    ResumeDetailView(Services& services, const ResumePtr& resume, QWidget* parent = nullptr);
};

} // namespace quillora
