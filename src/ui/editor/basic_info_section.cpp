#include "editor/basic_info_section.h"

#include "app/services.h"
#include "controls/editor_section_card.h"
#include "controls/field_binding.h"
#include "controls/one_line_field.h"
#include "editor/editor_controls.h"
#include "editor/refinable_text_editor_factory.h"
#include "editor/resume_editor_text.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace quillora {

namespace {

// The card ink follows the scheme; so does each card's accent.
EditorSectionCard* makeInkCard(Appearance& appearance, const QString& icon, const QString& title,
                               const QString& subtitle, QWidget* content) {
    auto* card =
        new EditorSectionCard(appearance, icon, title, subtitle, cardInk(appearance.isLight()), content);
    QObject::connect(&appearance, &Appearance::changed, card,
                     [card, &appearance] { card->setAccent(cardInk(appearance.isLight())); });
    return card;
}

QColor basicInfoDividerColor(bool light) {
    return light ? withAlpha(cardInk(true), 0.18) : QColor::fromRgbF(1, 1, 1, 0.12f);
}

} // namespace

EditorSectionCard* makeBasicInfoCard(const ResumePtr& resume, Appearance& appearance) {
    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);
    struct Field {
        const char* placeholder;
        const char* identifier;
        Resume::Property property;
    };
    const Field fields[] = {
        {"Title", "resumeTitleField", Resume::Title},
        {"Full Name", "resumeFullNameField", Resume::FullName},
        {"Contact Info", "resumeContactInfoField", Resume::ContactInfo},
    };
    bool first = true;
    for (const Field& f : fields) {
        if (!first)
            layout->addWidget(new EditorDivider(appearance, basicInfoDividerColor, content));
        first = false;
        auto* field = makeOneLineField(content);
        field->setObjectName(QString::fromLatin1(f.identifier));
        field->setPlaceholderText(QString::fromLatin1(f.placeholder));
        field->setAccessibleName(QString::fromLatin1(f.placeholder));
        styleInlineField(field, 16, appearance);
        bindField(field, resume, f.property);
        field->setCursorPosition(0); // a long value shows its beginning
        layout->addWidget(field);
    }
    // Contact details are typed as they are: no automatic capitals (the desktop adds none).
    auto* card =
        makeInkCard(appearance, QStringLiteral("person.text.rectangle"), QStringLiteral("Basic Info"),
                    QStringLiteral("Who you are and how to reach you"), content);
    card->setObjectName(QStringLiteral("basicInfoCard"));
    return card;
}

EditorSectionCard* makeSummaryCard(const ResumePtr& resume, Services& services) {
    const std::weak_ptr<Resume> weak = resume;
    const auto summaryContext = [weak]() -> std::optional<QString> {
        const auto res = weak.lock();
        if (!res || res->summary().trimmed().isEmpty())
            return std::nullopt;
        return res->summary();
    };
    const auto resumeContext = [weak]() -> std::optional<QString> {
        const auto res = weak.lock();
        return res ? std::optional<QString>(plainTextResume(*res)) : std::nullopt;
    };
    RefinableTextField editor = makeRefinableTextEditor(services, SeamlessStarMode::summary, 160,
                                                        summaryContext, resumeContext, resume, nullptr);
    editor.widget->setObjectName(QStringLiteral("summaryEditor"));
    bindField(editor.textEdit, resume, Resume::Summary);
    auto* card =
        makeInkCard(services.appearance(), QStringLiteral("text.alignleft"), QStringLiteral("Summary"),
                    QStringLiteral("Introduce yourself in one strong paragraph"), editor.widget);
    card->setObjectName(QStringLiteral("summaryCard"));
    return card;
}

} // namespace quillora
