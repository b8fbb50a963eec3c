#include "app/resume_detail_view.h"

#include "platform/appearance.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QLabel>
#include <QVBoxLayout>

namespace quillora {

ResumeDetailView::ResumeDetailView(const ResumePtr& resume, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("resumeDetailView"));
    auto* background = new ThemedBackground(this);
    background->setOrbScale(1.15);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);
    auto* layout = new QVBoxLayout(background);
    auto* title = new QLabel(resume->title(), background);
    title->setObjectName(QStringLiteral("selectedResumeTitle"));
    title->setTextFormat(Qt::PlainText);
    title->setAlignment(Qt::AlignCenter);
    title->setWordWrap(true);
    title->setFont(systemFont(28, QFont::DemiBold));
    layout->addWidget(title, 0, Qt::AlignCenter);
    const auto applyScheme = [title] {
        title->setStyleSheet(
            QStringLiteral("color: %1;")
                .arg(schemeColors::ink(Appearance::shared().isLight()).name(QColor::HexArgb)));
    };
    applyScheme();
    connect(&Appearance::shared(), &Appearance::changed, this, applyScheme);
    connect(resume.get(), &Resume::changed, title, [title, r = resume.get()](Resume::Property property) {
        if (property == Resume::Title)
            title->setText(r->title());
    });
}

} // namespace quillora
