#include "editor/skills_section.h"

#include "ai/openai_client.h"
#include "app/services.h"
#include "controls/editor_section_card.h"
#include "controls/field_binding.h"
#include "controls/glass_capsule_button.h"
#include "controls/keep_focus.h"
#include "controls/outcome.h"
#include "controls/progress_spinner.h"
#include "controls/sparkle_button_label.h"
#include "controls/symbol_icon.h"
#include "controls/toggle_switch.h"
#include "editor/editor_ai.h"
#include "editor/editor_controls.h"
#include "editor/resume_save.h"
#include "editor/skill_chip.h"
#include "platform/appearance.h"
#include "platform/log.h"
#include "platform/settings.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

constexpr qreal captionPoints = 12;
constexpr qreal subheadlinePoints = 15;

QColor sectionText(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(Qt::white);
}

// The chip row's button: the chip is its face, a click anywhere but on the chip's cross opens
// the skill.
class SkillChipButton final : public QAbstractButton {
public:
    SkillChipButton(SkillChip* chip, QWidget* parent)
        : QAbstractButton(parent)
        , m_chip(chip) {
        chip->setParent(this);
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(chip);
        setCursor(Qt::PointingHandCursor);
        // The button says the skill; the chip inside only holds its remove button.
        setAccessibleName(chip->skill());
        chip->setAccessibleName(QString());
        setAccessibleDescription(QStringLiteral("Opens this skill for editing"));
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    SkillChip* chip() const { return m_chip; }
    QSize sizeHint() const override { return m_chip->sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {}
    // The chip draws the focus ring.
    void focusInEvent(QFocusEvent* event) override {
        QAbstractButton::focusInEvent(event);
        m_chip->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QAbstractButton::focusOutEvent(event);
        m_chip->update();
    }

private:
    SkillChip* m_chip;
};

QString textList(const QStringList& items) {
    QStringList quoted;
    for (const QString& item : items) {
        QString escaped = item;
        escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
            .replace(QLatin1Char('"'), QStringLiteral("\\\""));
        quoted << QLatin1Char('"') + escaped + QLatin1Char('"');
    }
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

// What a finished suggestion run says: the skills that came, or that none did.
QString suggestedSkillsText(const QStringList& skills) {
    if (skills.isEmpty())
        return QStringLiteral("No skills suggested.");
    return QString::number(skills.size()) +
           (skills.size() == 1 ? QStringLiteral(" skill suggested: ")
                               : QStringLiteral(" skills suggested: ")) +
           skills.join(QStringLiteral(", ")) + QStringLiteral(".");
}

} // namespace

SkillsSection::SkillsSection(ResumePtr resume, AIServices ai, Appearance& appearance,
                             std::function<void()> save, QWidget* parent)
    : QWidget(parent)
    , m_resume(std::move(resume))
    , m_ai(ai)
    , m_appearance(&appearance)
    , m_save(std::move(save))
    , m_service(std::move(ai))
    , m_includeSkills(m_resume->includeSkills()) {
    setObjectName(QStringLiteral("skillsSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(6);

    m_toggle = new ToggleSwitch(QStringLiteral("Add skills to résumé"), appearance, this);
    m_toggle->setObjectName(QStringLiteral("includeSkillsToggle"));
    m_toggle->setFont(systemFont(17));
    bindField(m_toggle, m_resume, Resume::IncludeSkills);
    outer->addWidget(m_toggle);

    m_body = new QWidget(this);
    auto* body = new QVBoxLayout(m_body);
    body->setContentsMargins(0, 6, 0, 0);
    body->setSpacing(12);
    outer->addWidget(m_body);

    m_generateButton = new GlassCapsuleButton(appearance, m_body);
    m_generateButton->setObjectName(QStringLiteral("generateSkillsButton"));
    m_generateButton->setAccessibleDescription(QStringLiteral("Suggests skills based on your experience"));
    // The button's face: the title, and while busy a progress indicator after it with the
    // rest of the row empty.
    auto* face = new QWidget;
    auto* faceRow = new QHBoxLayout(face);
    faceRow->setContentsMargins(0, 0, 0, 0);
    faceRow->setSpacing(8);
    m_generateLabel = new SparkleButtonLabel(appearance, QString(), false, face);
    m_spinner = new ProgressSpinner(14, face); // the indicator at 0.8 of its 18-point size
    m_spinner->setObjectName(QStringLiteral("skillsProgress"));
    m_spinner->hide();
    faceRow->addWidget(m_generateLabel);
    faceRow->addWidget(m_spinner);
    faceRow->addStretch(1);
    m_generateButton->setLabelWidget(face);
    body->addWidget(m_generateButton, 0, Qt::AlignHCenter);
    connect(m_generateButton, &QPushButton::clicked, this, &SkillsSection::generateSkillSuggestions);

    m_errorLabel = new QLabel(m_body);
    m_errorLabel->setObjectName(QStringLiteral("skillSuggestionError"));
    m_errorLabel->setTextFormat(Qt::PlainText);
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setFont(systemFont(captionPoints));
    m_errorLabel->setContentsMargins(4, 0, 0, 0);
    body->addWidget(m_errorLabel);

    m_suggestions = new QWidget(m_body);
    m_suggestions->setObjectName(QStringLiteral("suggestedSkills"));
    auto* suggestions = new QVBoxLayout(m_suggestions);
    suggestions->setContentsMargins(0, 0, 0, 0);
    suggestions->setSpacing(8);
    m_suggestionsHeading = new QLabel(QStringLiteral("Suggested Skills"), m_suggestions);
    m_suggestionsHeading->setObjectName(QStringLiteral("suggestedSkillsHeading"));
    m_suggestionsHeading->setFont(systemFont(subheadlinePoints, QFont::DemiBold));
    suggestions->addWidget(m_suggestionsHeading);
    m_chipArea = new QWidget(m_suggestions);
    m_chipArea->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_chipLayout = new QVBoxLayout(m_chipArea);
    m_chipLayout->setContentsMargins(0, 0, 0, 0);
    m_chipLayout->setSpacing(10);
    suggestions->addWidget(m_chipArea);
    auto* applyRow = new QHBoxLayout;
    m_applyButton = new GlassCapsuleButton(appearance, m_suggestions);
    m_applyButton->setObjectName(QStringLiteral("applySkillsButton"));
    m_applyButton->setAccessibleName(QStringLiteral("Apply Skills to Résumé"));
    m_applyButton->setAccessibleDescription(QStringLiteral("Applies all suggested skills to the resume"));
    m_applyButton->setIcon(symbolIcon(QStringLiteral("checkmark.circle.fill"), accentColor(true)));
    m_applyButton->setText(QStringLiteral("Apply Skills to Résumé"));
    applyRow->addStretch(1);
    applyRow->addWidget(m_applyButton);
    applyRow->addStretch(1);
    suggestions->addLayout(applyRow);
    body->addWidget(m_suggestions);
    connect(m_applyButton, &QPushButton::clicked, this, &SkillsSection::applySuggestedSkills);

    connect(m_resume.get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property == Resume::IncludeSkills)
            includeSkillsChanged();
        else if (property == Resume::SuggestedSkills)
            rebuildChips();
    });
    if (m_ai.settings) {
        connect(m_ai.settings, &Settings::changed, this, [this](const QString& key) {
            if (key == Settings::openAIAPIKeyKey)
                refresh();
        });
    }
    connect(m_appearance, &Appearance::changed, this, &SkillsSection::applyScheme);
    rebuildChips();
    applyScheme();
}

SkillsSection::~SkillsSection() = default;

QString SkillsSection::generateButtonTitle(bool busy, bool hasOpenAIKey) {
    if (busy)
        return QStringLiteral("Analyzing Experience…");
    return hasOpenAIKey ? QStringLiteral("Suggest with OpenAI") : QStringLiteral("Suggest with Apple AI");
}

QString SkillsSection::chipIdentifier(const QString& skill) {
    return QStringLiteral("suggestedSkillButton") + normalizedSkill(skill).remove(QLatin1Char(' '));
}

bool SkillsSection::hasOpenAIKey() const {
    return m_ai.settings && OpenAIClient::storedAPIKey(*m_ai.settings).has_value();
}

QList<QAbstractButton*> SkillsSection::chipButtons() const {
    QList<QAbstractButton*> buttons;
    for (int i = 0; i < m_chipLayout->count(); ++i) {
        if (auto* button = qobject_cast<QAbstractButton*>(m_chipLayout->itemAt(i)->widget()))
            buttons << button;
    }
    return buttons;
}

SkillEditPopup* SkillsSection::popup() const {
    return m_popup.data();
}

void SkillsSection::includeSkillsChanged() {
    const bool include = m_resume->includeSkills();
    if (include == m_includeSkills)
        return;
    m_includeSkills = include;
    if (!include) {
        m_resume->setSuggestedSkills({});
        m_resume->setAppliedSkills({});
        m_save();
    }
    refresh();
}

void SkillsSection::generateSkillSuggestions() {
    if (m_isGeneratingSkills)
        return;
    const QList<ExperiencePtr> entries = m_resume->experienceItems();
    const bool hasDetails = std::any_of(entries.begin(), entries.end(), [](const ExperiencePtr& entry) {
        return !entry->details().trimmed().isEmpty();
    });
    if (!hasDetails) {
        logLine(QStringLiteral("⚠️ No experience details available for skill inference"));
        return;
    }
    m_skillSuggestionError.reset();
    setGenerating(true);
    logLine(QStringLiteral("🟡 Apple Intelligence SKILLS button tapped"));
    // The answer is the résumé's: it is stored and saved even when the editor has closed
    // meanwhile; only the busy state and the error belong to this card.
    const ResumePtr resume = m_resume;
    const QPointer<SkillsSection> screen(this);
    m_service.suggestSkills(m_resume, this, [resume, screen](Status result) {
        if (result) {
            const QStringList skills = resume->suggestedSkills();
            if (!skills.isEmpty()) {
                logLine(QStringLiteral("🟢 Suggested skills after AI: ") + textList(skills));
                if (screen)
                    screen->m_save();
                else
                    saveResume(*resume);
            } else {
                logLine(QStringLiteral("⚠️ AI returned no skills (prompt too weak or vague data)"));
            }
        } else {
            logLine(QStringLiteral("🔴 Skill suggestion failed: ") + result.error());
        }
        if (!screen)
            return;
        if (!result)
            screen->m_skillSuggestionError = editorAIErrorMessage(
                result.errorInfo(), QStringLiteral("Skill suggestions failed. Please try again."),
                screen->hasOpenAIKey());
        screen->setGenerating(false);
        announceOutcome(screen->m_generateButton, screen->m_skillSuggestionError.value_or(
                                                      suggestedSkillsText(resume->suggestedSkills())));
    });
}

void SkillsSection::setGenerating(bool generating) {
    m_isGeneratingSkills = generating;
    refresh();
    emit generatingChanged(generating);
}

void SkillsSection::removeSuggestedSkill(const QString& skill) {
    const QString key = skill.normalized(QString::NormalizationForm_C);
    QStringList kept;
    for (const QString& item : m_resume->suggestedSkills()) {
        if (item.normalized(QString::NormalizationForm_C) != key)
            kept << item;
    }
    m_resume->setSuggestedSkills(kept);
    m_save();
    announceOutcome(this, QStringLiteral("Removed “") + skill + QStringLiteral("”."));
}

void SkillsSection::applySuggestedSkills() {
    QStringList applied;
    for (const QString& skill : m_resume->suggestedSkills())
        applied << normalizedSkill(skill);
    m_resume->setAppliedSkills(applied);
    m_resume->setSuggestedSkills({});
    m_save();
    // The chips and the button go; the focus they had is on the button that asks for new ones.
    announceOutcome(m_generateButton,
                    QStringLiteral("Applied %1 to the résumé.")
                        .arg(applied.size() == 1 ? QStringLiteral("1 skill")
                                                 : QStringLiteral("%1 skills").arg(applied.size())));
}

void SkillsSection::openSkill(const QString& skill) {
    closeSkillPopup();
    m_editingSkill = skill;
    QWidget* host = m_popupHost ? m_popupHost.data() : window();
    auto* popup = new SkillEditPopup(skill, *m_appearance, host);
    m_popup = popup;
    connect(popup, &SkillEditPopup::saved, this, &SkillsSection::replaceEditedSkill);
    connect(popup, &SkillEditPopup::cancelled, this, &SkillsSection::closeSkillPopup);
    popup->show();
    popup->raise();
    // It opens on its field, the skill selected, so typing replaces it; a screen reader hears
    // the popup's name, "Edit Skill", as the focus enters it, then the field.
    popup->field()->setFocus(Qt::OtherFocusReason);
    popup->field()->selectAll();
}

void SkillsSection::replaceEditedSkill(const QString& edited) {
    QString shown = m_editingSkill.value_or(QString());
    if (m_editingSkill) {
        const QString opened = m_editingSkill->normalized(QString::NormalizationForm_C);
        QStringList skills = m_resume->suggestedSkills();
        for (QString& item : skills) {
            if (item.normalized(QString::NormalizationForm_C) == opened) {
                item = edited;
                shown = edited;
                m_resume->setSuggestedSkills(skills);
                m_save();
                break;
            }
        }
    }
    closeSkillPopupOnto(shown);
}

void SkillsSection::closeSkillPopup() {
    closeSkillPopupOnto(m_editingSkill.value_or(QString()));
}

void SkillsSection::closeSkillPopupOnto(const QString& skill) {
    m_editingSkill.reset();
    if (m_popup) {
        // The focus the popup had goes back to the chip it edited (its new text after a save).
        if (m_popup->isAncestorOf(m_popup->window()->focusWidget())) {
            for (int i = 0; i < m_chipLayout->count(); ++i) {
                QWidget* chip = m_chipLayout->itemAt(i)->widget();
                if (chip != nullptr && chip->objectName() == chipIdentifier(skill)) {
                    chip->show(); // a chip just made shows with the next layout pass otherwise
                    chip->setFocus(Qt::OtherFocusReason);
                    break;
                }
            }
        }
        // It answers no more; it shrinks and fades away on its own.
        disconnect(m_popup, nullptr, this, nullptr);
        m_popup->dismiss();
        m_popup = nullptr;
    }
}

void SkillsSection::rebuildChips() {
    // Where focus is on a chip, it stays in the card: the chip area holds it while the chips are
    // rebuilt (Qt would hand it to the next control in the window and scroll there), then the chip
    // now at the same place takes it. The chip itself, never its remove button: a skill removed by
    // Space leaves the focus on the next skill, which a second Space opens rather than removes.
    int focusedChip = -1;
    if (QWidget* focused = QApplication::focusWidget(); focused && m_chipArea->isAncestorOf(focused)) {
        for (int i = 0; i < m_chipLayout->count(); ++i) {
            auto* button = static_cast<SkillChipButton*>(m_chipLayout->itemAt(i)->widget());
            if (button == focused || button->isAncestorOf(focused))
                focusedChip = i;
        }
        m_chipArea->setFocus(Qt::OtherFocusReason);
    }
    while (QLayoutItem* item = m_chipLayout->takeAt(0)) {
        if (QWidget* w = item->widget()) {
            w->hide();
            w->deleteLater();
        }
        delete item;
    }
    for (const QString& skill : m_resume->suggestedSkills()) {
        auto* chip = new SkillChip(skill, *m_appearance);
        auto* button = new SkillChipButton(chip, m_chipArea);
        button->setObjectName(chipIdentifier(skill));
        connect(button, &QAbstractButton::clicked, this, [this, skill] { openSkill(skill); });
        connect(chip, &SkillChip::removeRequested, this, [this, skill] { removeSuggestedSkill(skill); });
        m_chipLayout->addWidget(button, 0, Qt::AlignLeft);
    }
    if (focusedChip >= 0) {
        if (m_chipLayout->count() > 0) {
            auto* button = static_cast<SkillChipButton*>(
                m_chipLayout->itemAt(std::min(focusedChip, m_chipLayout->count() - 1))->widget());
            button->show();
            button->setFocus(Qt::OtherFocusReason);
        } else {
            m_generateButton->setFocus(Qt::OtherFocusReason);
        }
    }
    refresh();
}

void SkillsSection::refresh() {
    const bool include = m_resume->includeSkills();
    m_body->setVisible(include);
    m_generateLabel->setTitle(generateButtonTitle(m_isGeneratingSkills, hasOpenAIKey()));
    m_generateLabel->setBusy(m_isGeneratingSkills);
    m_generateButton->setAccessibleName(m_generateLabel->title());
    setEnabledKeepingFocus(m_generateButton, !m_isGeneratingSkills);
    m_spinner->setVisible(m_isGeneratingSkills);
    // While busy the button takes the whole width, as the indicator's spacer asks.
    m_body->layout()->setAlignment(m_generateButton,
                                   m_isGeneratingSkills ? Qt::Alignment() : Qt::AlignHCenter);
    m_errorLabel->setText(m_skillSuggestionError.value_or(QString()));
    m_errorLabel->setVisible(m_skillSuggestionError.has_value());
    const bool suggestions = !m_resume->suggestedSkills().isEmpty();
    // Applying the suggestions takes them away with the Apply button: the focus goes up to the
    // button that asks for new ones rather than out of the card.
    if (!suggestions && m_suggestions->isAncestorOf(QApplication::focusWidget()))
        m_generateButton->setFocus(Qt::OtherFocusReason);
    m_suggestions->setVisible(suggestions);
    m_generateButton->updateGeometry();
}

void SkillsSection::applyScheme() {
    const bool light = m_appearance->isLight();
    QPalette pal = m_suggestionsHeading->palette();
    pal.setColor(QPalette::WindowText, sectionText(light));
    m_suggestionsHeading->setPalette(pal);
    m_errorLabel->setStyleSheet(QStringLiteral("color: %1;").arg(schemeColors::errorText(light).name()));
    m_spinner->setColor(sectionText(light));
    m_applyButton->setIcon(symbolIcon(QStringLiteral("checkmark.circle.fill"), accentColor(light)));
    m_toggle->update();
}

EditorSectionCard* makeSkillsCard(const ResumePtr& resume, Services& services, std::function<void()> save,
                                  QWidget* popupHost) {
    Appearance& appearance = services.appearance();
    auto* section = new SkillsSection(resume, services.aiServices(), appearance, std::move(save));
    section->setPopupHost(popupHost);
    auto* card =
        new EditorSectionCard(appearance, QStringLiteral("list.bullet.rectangle"), QStringLiteral("Skills"),
                              QStringLiteral("AI-assisted skills inferred from your experience"),
                              sectionText(appearance.isLight()), section);
    card->setObjectName(QStringLiteral("skillsCard"));
    QObject::connect(&appearance, &Appearance::changed, card,
                     [card, &appearance] { card->setAccent(sectionText(appearance.isLight())); });
    return card;
}

} // namespace quillora
