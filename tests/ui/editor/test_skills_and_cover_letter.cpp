#include "app/services.h"
#include "controls/glass_capsule_button.h"
#include "controls/opacity_transition.h"
#include "controls/sparkle_button_label.h"
#include "controls/toggle_switch.h"
#include "editor/cover_letter_section.h"
#include "editor/editor_ai.h"
#include "editor/editor_text_area.h"
#include "editor/resume_editor_view.h"
#include "editor/skill_chip.h"
#include "editor/skills_section.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/fake_language_model.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>

#include <cmath>

using namespace quillora;
using quillora::test::FakeLanguageModel;
using quillora::test::LoopbackHttpServer;

namespace {

ExperiencePtr entry(const QString& role, const QString& details, qint64 sortOrder = 0) {
    return std::make_shared<Experience>(role, QStringLiteral("Acme"), QString(), QString(), details,
                                        sortOrder);
}

} // namespace

class SkillsAndCoverLetterTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Settings> m_settings;
    std::shared_ptr<FakeLanguageModel> m_model;
    std::unique_ptr<LoopbackHttpServer> m_server;
    QNetworkAccessManager m_network;
    Appearance m_appearance;
    int m_saves = 0;

    AIServices ai() { return AIServices{m_settings.get(), &m_network, m_model, 5000}; }
    std::function<void()> counter() {
        return [this] { ++m_saves; };
    }
    ResumePtr resumeWithExperience() {
        auto resume = test::makeEmptyResume(QStringLiteral("CV"));
        resume->setExperienceItems({entry(QStringLiteral("Baker"), QStringLiteral("Baked bread daily."))});
        resume->setIncludeSkills(true);
        return resume;
    }
    static QStringList chipNames(const SkillsSection& section) {
        QStringList names;
        for (QAbstractButton* button : section.chipButtons())
            names << button->objectName();
        return names;
    }

private slots:
    void initTestCase() { m_appearance.setReduceMotionOverride(true); }
    void init() {
        m_settings = std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("skills-ui.ini")));
        m_settings->remove(Settings::openAIAPIKeyKey);
        m_model = std::make_shared<FakeLanguageModel>();
        m_server = std::make_unique<LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
        m_saves = 0;
    }
    void cleanup() { m_server.reset(); }

    void suggestionsArriveAsChipsAndAreSaved() {
        auto resume = resumeWithExperience();
        SkillsSection section(resume, ai(), m_appearance, counter());
        section.resize(600, 400);
        section.show();
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Suggest with Apple AI"));
        m_settings->setOpenAIAPIKey(QStringLiteral("   "));
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Suggest with Apple AI"));
        QVERIFY(section.generateButton()->isVisible());
        QVERIFY(!section.applyButton()->isVisible());

        m_model->enqueue(QStringLiteral("Skills: Baking: Sourdough,\n- Ovens  Deck, Bread"));
        test::StdoutCapture out;
        QTest::mouseClick(section.generateButton(), Qt::LeftButton);
        QVERIFY(section.isGeneratingSkills());
        QVERIFY(!section.generateButton()->isEnabled());
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Analyzing Experience…"));
        QTRY_VERIFY(!section.isGeneratingSkills());
        QCOMPARE(resume->suggestedSkills(),
                 (QStringList{QStringLiteral("Baking: Sourdough"), QStringLiteral("Ovens: Deck")}));
        QCOMPARE(m_saves, 1);
        QCOMPARE(chipNames(section), (QStringList{QStringLiteral("suggestedSkillButtonBaking:Sourdough"),
                                                  QStringLiteral("suggestedSkillButtonOvens:Deck")}));
        QVERIFY(section.applyButton()->isVisible());
        const QStringList lines = out.lines();
        // The apply button: 8 points below the last chip, 8 between its icon and its text.
        section.resize(600, 800);
        QCoreApplication::processEvents();
        const GlassCapsuleButton* apply = section.applyButton();
        const QWidget* lastChip = section.chipButtons().last();
        QCOMPARE(apply->y() - lastChip->mapTo(apply->parentWidget(), QPoint(0, lastChip->height())).y(), 8);
        QCOMPARE(apply->sizeHint().width(),
                 int(std::ceil(QFontMetricsF(apply->font()).horizontalAdvance(apply->text()))) +
                     apply->iconSize().width() + 8 + 2 * 18);
        QVERIFY(lines.contains(QStringLiteral("🟡 Apple Intelligence SKILLS button tapped")));
        QVERIFY(lines.contains(
            QStringLiteral("🟢 Suggested skills after AI: [\"Baking: Sourdough\", \"Ovens: Deck\"]")));

        // An empty answer stores an empty list without saving or an error.
        m_model->enqueue(QStringLiteral("nothing"));
        section.generateSkillSuggestions();
        QTRY_VERIFY(!section.isGeneratingSkills());
        QVERIFY(resume->suggestedSkills().isEmpty());
        QCOMPARE(m_saves, 1);
        QVERIFY(!section.errorLabel()->isVisible());
    }

    void nothingToInferAndFailures() {
        auto resume = resumeWithExperience();
        resume->setExperienceItems({entry(QStringLiteral("Baker"), QStringLiteral(" \n "))});
        resume->setSuggestedSkills({QStringLiteral("Kept: one")});
        resume->setAppliedSkills({QStringLiteral("Applied: one")});
        SkillsSection section(resume, ai(), m_appearance, counter());
        section.show();
        section.generateSkillSuggestions();
        QVERIFY(!section.isGeneratingSkills());
        QCOMPARE(m_model->requests().size(), 0);

        // On-device failure without a key: the fallback text, lists untouched.
        resume->setExperienceItems({entry(QStringLiteral("Baker"), QStringLiteral("Bread."))});
        m_model->enqueue(Error{ErrorKind::unavailable, QStringLiteral("no model"), 0, {}});
        section.generateSkillSuggestions();
        QTRY_VERIFY(!section.isGeneratingSkills());
        QCOMPARE(section.errorLabel()->text(), QStringLiteral("Skill suggestions failed. Please try again."));
        QVERIFY(section.errorLabel()->isVisible());
        QCOMPARE(resume->suggestedSkills(), QStringList{QStringLiteral("Kept: one")});
        QCOMPARE(resume->appliedSkills(), QStringList{QStringLiteral("Applied: one")});
        QCOMPARE(m_saves, 0);

        // OpenAI refusing the key: the OpenAI text, never the server's message.
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-test"));
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Suggest with OpenAI"));
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("{\"error\":\"bad key\"}"), 401));
        section.generateSkillSuggestions();
        QVERIFY(!section.errorLabel()->isVisible()); // cleared when a run starts
        QTRY_VERIFY(!section.isGeneratingSkills());
        QCOMPARE(section.errorLabel()->text(),
                 QStringLiteral("OpenAI request failed. Check your API key and network connection."));
        QCOMPARE(resume->suggestedSkills(), QStringList{QStringLiteral("Kept: one")});
    }

    void editPopupScalesAndFadesInAndOut() {
        for (const bool reduceMotion : {false, true}) {
            m_appearance.setReduceMotionOverride(reduceMotion);
            auto resume = resumeWithExperience();
            resume->setSuggestedSkills({QStringLiteral("Swift: iOS")});
            QWidget host;
            host.resize(700, 500);
            auto* section = new SkillsSection(resume, ai(), m_appearance, counter(), &host);
            section->setPopupHost(&host);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));

            section->openSkill(QStringLiteral("Swift: iOS"));
            QPointer<SkillEditPopup> popup = section->popup();
            QVERIFY(popup && popup->isVisible());
            const QVariantAnimation& transition = popup->transition();
            if (reduceMotion) {
                QCOMPARE(transition.state(), QAbstractAnimation::Stopped);
                QCOMPARE(popup->transitionProgress(), 1.0);
            } else {
                // In: from nothing at the centre to full size and opacity, 0.2 s ease-in-out.
                QCOMPARE(transition.state(), QAbstractAnimation::Running);
                QCOMPARE(transition.startValue().toReal(), 0.0);
                QCOMPARE(transition.endValue().toReal(), 1.0);
                QCOMPARE(transition.duration(), 200);
                QCOMPARE(transition.easingCurve().type(), QEasingCurve::InOutQuad);
                QVERIFY(popup->transitionProgress() < 1);
                QVERIFY(!host.grab().isNull());
                QTRY_COMPARE(popup->transitionProgress(), 1.0);
            }

            // Out: the editing ends at once; the popup takes no clicks and shrinks away.
            QTest::keyClick(popup->field(), Qt::Key_Escape);
            QVERIFY(!section->editingSkill());
            QVERIFY(!section->popup());
            if (!reduceMotion) {
                QVERIFY(popup && popup->isVisible());
                QVERIFY(popup->testAttribute(Qt::WA_TransparentForMouseEvents));
                QCOMPARE(transition.endValue().toReal(), 0.0);
                QCOMPARE(transition.state(), QAbstractAnimation::Running);
            } else {
                QVERIFY(!popup || !popup->isVisible());
            }
            QTRY_VERIFY(!popup);
        }
        m_appearance.setReduceMotionOverride(true);
    }

    void chipsAreEditedRemovedAndApplied() {
        auto resume = resumeWithExperience();
        resume->setSuggestedSkills({QStringLiteral("Swift: iOS"), QStringLiteral("Figma  Prototyping"),
                                    QStringLiteral("  Leadership "), QStringLiteral("Swift: iOS")});
        QWidget host;
        host.resize(700, 500);
        auto* section = new SkillsSection(resume, ai(), m_appearance, counter(), &host);
        section->setPopupHost(&host);
        section->setGeometry(0, 0, 700, 400);
        host.show();

        // Editing the second "Swift: iOS" replaces the first occurrence.
        QAbstractButton* second = section->chipButtons().at(3);
        QTest::mouseClick(second, Qt::LeftButton, {}, QPoint(8, second->height() / 2));
        QCOMPARE(section->editingSkill(), std::optional<QString>(QStringLiteral("Swift: iOS")));
        SkillEditPopup* popup = section->popup();
        QVERIFY(popup && popup->isVisible());
        QCOMPARE(popup->geometry(), host.rect());
        QCOMPARE(popup->field()->text(), QStringLiteral("Swift: iOS"));
        popup->field()->setText(QStringLiteral("  SwiftUI: Interfaces \n"));
        QTest::mouseClick(popup->findChild<QAbstractButton*>(QStringLiteral("saveEditSkillButton")),
                          Qt::LeftButton);
        QCOMPARE(resume->suggestedSkills(),
                 (QStringList{QStringLiteral("SwiftUI: Interfaces"), QStringLiteral("Figma  Prototyping"),
                              QStringLiteral("  Leadership "), QStringLiteral("Swift: iOS")}));
        QCOMPARE(m_saves, 1);
        QVERIFY(!section->editingSkill());
        QTRY_VERIFY(!section->popup());
        QCOMPARE(host.focusWidget(), section->chipButtons().at(0)); // the chip just edited

        // Cancel, and a click on the backdrop, change nothing; a click on the card is no cancel.
        section->openSkill(QStringLiteral("Swift: iOS"));
        popup = section->popup();
        QTest::mouseClick(popup, Qt::LeftButton, {}, popup->card()->geometry().topLeft() + QPoint(6, 6));
        QVERIFY(section->editingSkill());
        QTest::mouseClick(popup, Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(!section->editingSkill());
        section->openSkill(QStringLiteral("Gone: skill"));
        section->replaceEditedSkill(QStringLiteral("New: skill"));
        QCOMPARE(resume->suggestedSkills().size(), 4);
        QCOMPARE(m_saves, 1);

        // The cross removes every equal suggestion.
        resume->setSuggestedSkills(resume->suggestedSkills() << QStringLiteral("SwiftUI: Interfaces"));
        auto* chip = section->chipButtons().at(0)->findChild<SkillChip*>();
        QCOMPARE(chip->removeButton()->accessibleName(), QStringLiteral("Remove skill SwiftUI: Interfaces"));
        QCOMPARE(chip->removeButton()->accessibleDescription(),
                 QStringLiteral("Deletes this suggested skill"));
        QTest::mouseClick(chip->removeButton(), Qt::LeftButton);
        QCOMPARE(resume->suggestedSkills(),
                 (QStringList{QStringLiteral("Figma  Prototyping"), QStringLiteral("  Leadership "),
                              QStringLiteral("Swift: iOS")}));
        QCOMPARE(m_saves, 2);
        QTRY_COMPARE(section->chipButtons().size(), 3);

        // Apply normalises, replaces the applied list and empties the suggestions.
        resume->setAppliedSkills({QStringLiteral("Old: skill")});
        QTest::mouseClick(section->applyButton(), Qt::LeftButton);
        QCOMPARE(resume->appliedSkills(),
                 (QStringList{QStringLiteral("Figma: Prototyping"), QStringLiteral("Leadership"),
                              QStringLiteral("Swift: iOS")}));
        QVERIFY(resume->suggestedSkills().isEmpty());
        QCOMPARE(m_saves, 3);
        QVERIFY(!section->applyButton()->isVisible());

        // Switching skills off clears both lists and saves; on again restores nothing.
        resume->setSuggestedSkills({QStringLiteral("A: b")});
        QTest::mouseClick(section->toggle(), Qt::LeftButton);
        QVERIFY(!resume->includeSkills());
        QVERIFY(resume->suggestedSkills().isEmpty());
        QVERIFY(resume->appliedSkills().isEmpty());
        QCOMPARE(m_saves, 4);
        QVERIFY(!section->generateButton()->isVisible());
        QTest::mouseClick(section->toggle(), Qt::LeftButton);
        QVERIFY(resume->includeSkills());
        QCOMPARE(m_saves, 4);
        QVERIFY(section->generateButton()->isVisible());
    }

    // A closed card's answer still reaches the résumé (the card's own save is not called then);
    // a deleted résumé's is dropped.
    void resultsReachTheResumeUnlessItIsDeleted() {
        auto resume = resumeWithExperience();
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-test"));
        LoopbackHttpServer::Reply slow = LoopbackHttpServer::completion(QStringLiteral("Late: answer"));
        slow.delayMs = 200;
        m_server->enqueue(slow);
        auto section = std::make_unique<SkillsSection>(resume, ai(), m_appearance, counter());
        section->generateSkillSuggestions();
        section.reset();
        QTRY_COMPARE(resume->suggestedSkills(), QStringList{QStringLiteral("Late: answer")});
        resume->setSuggestedSkills({});

        auto model = std::make_shared<FakeLanguageModel>();
        m_settings->remove(Settings::openAIAPIKeyKey);
        auto services = Services::forTesting(QDir::temp().filePath(QStringLiteral("skills-store.ini")));
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());
        SkillsSection open(resume, ai(), m_appearance, counter());
        m_model->enqueue(QStringLiteral("Late: answer"));
        test::StdoutCapture dropped;
        open.generateSkillSuggestions();
        services->context().deleteRecord(resume);
        QVERIFY(services->context().save().ok());
        QTRY_VERIFY(dropped.linesSoFar().contains(
            QStringLiteral("⏭️ Skill suggestion result dropped: its résumé was deleted")));
        QVERIFY(resume->suggestedSkills().isEmpty());
        QCOMPARE(m_saves, 0);
    }

    void coverLetterIsGeneratedAndSaved() {
        auto resume = resumeWithExperience();
        resume->setIncludeCoverLetter(false);
        CoverLetterSection section(resume, ai(), m_appearance, counter());
        section.resize(600, 700);
        section.show();
        QVERIFY(!section.postingEditor()->isVisible());
        QTest::mouseClick(section.toggle(), Qt::LeftButton);
        QVERIFY(resume->includeCoverLetter());
        QVERIFY(section.postingEditor()->isVisible());
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Cover With Apple AI"));

        // A posting of blanks keeps the button off; any visible character turns it on.
        QVERIFY(!section.generateButton()->isEnabled());
        section.postingEditor()->setPlainText(QStringLiteral(" \n "));
        QCOMPARE(resume->coverLetterJobPosting(), QStringLiteral(" \n "));
        QVERIFY(!section.generateButton()->isEnabled());
        section.postingEditor()->setPlainText(QStringLiteral("Head baker wanted"));
        QVERIFY(section.generateButton()->isEnabled());

        resume->setCoverLetterText(QStringLiteral("My own draft"));
        m_model->enqueue(QStringLiteral("Dear Hiring Manager,\n\nI bake.\n\nSincerely,\nAlex"));
        QTest::mouseClick(section.generateButton(), Qt::LeftButton);
        QVERIFY(section.isGeneratingCoverLetter());
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Analyzing experience…"));
        QVERIFY(!section.generateButton()->isEnabled());
        section.generateCoverLetterFromEditor(); // a second tap starts nothing
        QCOMPARE(resume->coverLetterAIContext(), editorCoverLetterInput(*resume));
        QTRY_VERIFY(!section.isGeneratingCoverLetter());
        QCOMPARE(m_model->requests().size(), 1);
        QCOMPARE(m_model->requests().at(0).instructions, editorCoverLetterSystemPrompt);
        QCOMPARE(m_model->requests().at(0).prompt, resume->coverLetterAIContext());
        QCOMPARE(resume->coverLetterText(),
                 QStringLiteral("Dear Hiring Manager,\n\nI bake.\n\nSincerely,\nAlex"));
        QCOMPARE(section.letterEditor()->toPlainText(), resume->coverLetterText());
        QVERIFY(resume->coverLetterLastGenerated().has_value());
        QCOMPARE(m_saves, 1);
    }

    void coverLetterButtonFadesItsBusyChange() {
        for (const bool reduceMotion : {false, true}) {
            m_appearance.setReduceMotionOverride(reduceMotion);
            auto resume = resumeWithExperience();
            resume->setIncludeCoverLetter(true);
            resume->setCoverLetterJobPosting(QStringLiteral("Head baker wanted"));
            CoverLetterSection section(resume, ai(), m_appearance, counter());
            section.show();
            QVERIFY(QTest::qWaitForWindowExposed(&section));
            const QVariantAnimation& change = section.generateTransition().animation();
            m_model->enqueue(QStringLiteral("Dear Hiring Manager,"));
            QTest::mouseClick(section.generateButton(), Qt::LeftButton);
            QVERIFY(section.isGeneratingCoverLetter());
            QCOMPARE(change.state() == QAbstractAnimation::Running, !reduceMotion);
            QCOMPARE(change.duration(), 200);
            QCOMPARE(change.easingCurve().type(), QEasingCurve::InOutQuad);
            QTRY_VERIFY(!section.isGeneratingCoverLetter());
            QCOMPARE(change.state() == QAbstractAnimation::Running, !reduceMotion);
            QTRY_COMPARE(section.generateTransition().opacity(), 1.0);
        }
        m_appearance.setReduceMotionOverride(true);
    }

    void aFailedCoverLetterOverwritesNothing() {
        auto resume = resumeWithExperience();
        resume->setIncludeCoverLetter(true);
        resume->setCoverLetterJobPosting(QStringLiteral("Baker"));
        resume->setCoverLetterText(QStringLiteral("Kept letter"));
        const QDateTime generated =
            QDateTime::fromString(QStringLiteral("2026-01-02T03:04:05Z"), Qt::ISODate);
        resume->setCoverLetterLastGenerated(generated);
        CoverLetterSection section(resume, ai(), m_appearance, counter());
        section.show();

        m_model->enqueue(Error{ErrorKind::unavailable, QStringLiteral("no model"), 0, {}});
        test::StdoutCapture out;
        section.generateCoverLetterFromEditor();
        QTRY_VERIFY(!section.isGeneratingCoverLetter());
        QCOMPARE(section.errorLabel()->text(),
                 QStringLiteral("Cover letter generation failed. Please try again."));
        QVERIFY(out.lines().contains(QStringLiteral("❌ Cover letter generation failed: no model")));
        QCOMPARE(resume->coverLetterText(), QStringLiteral("Kept letter"));
        QCOMPARE(resume->coverLetterLastGenerated(), std::optional<QDateTime>(generated));
        QVERIFY(!resume->coverLetterAIContext().isEmpty()); // the input was stored before asking
        QCOMPARE(m_saves, 0);

        // With a key, the OpenAI text; an empty reply is the OpenAI exchange's own error.
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-test"));
        QCOMPARE(section.generateLabel()->title(), QStringLiteral("Cover With OpenAI"));
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("server says no"), 500));
        section.generateCoverLetterFromEditor();
        QTRY_VERIFY(!section.isGeneratingCoverLetter());
        QCOMPARE(section.errorLabel()->text(),
                 QStringLiteral("OpenAI request failed. Check your API key and network connection."));
        m_server->enqueue(
            LoopbackHttpServer::Reply{200, QByteArray("{\"choices\": []}"), "application/json", 0, false});
        section.generateCoverLetterFromEditor();
        QTRY_VERIFY(!section.isGeneratingCoverLetter());
        QCOMPARE(section.errorLabel()->text(),
                 QStringLiteral("OpenAI returned an empty response. Please try again."));
        QCOMPARE(resume->coverLetterText(), QStringLiteral("Kept letter"));
        QCOMPARE(m_saves, 0);
        // The OpenAI request carries the editor's instructions and no response format.
        const QByteArray body = m_server->requests().last().body;
        QVERIFY(!body.contains("response_format"));
        QVERIFY(body.contains("RÉSUMÉ EXPERIENCE:"));
    }

    void aLetterForAClosedCardStillReachesTheResume() {
        auto resume = resumeWithExperience();
        resume->setIncludeCoverLetter(true);
        resume->setCoverLetterJobPosting(QStringLiteral("Baker"));
        resume->setCoverLetterText(QStringLiteral("Replaced letter"));
        m_model->enqueue(QStringLiteral("A letter written after the card closed"));
        auto section = std::make_unique<CoverLetterSection>(resume, ai(), m_appearance, counter());
        section->generateCoverLetterFromEditor();
        section.reset();
        QTRY_COMPARE(resume->coverLetterText(), QStringLiteral("A letter written after the card closed"));
        QVERIFY(resume->coverLetterLastGenerated().has_value());
        QCOMPARE(m_saves, 0);
    }

    void theEditorShowsTheCardsInTheirPlaces() {
        auto services = Services::forTesting(QDir::temp().filePath(QStringLiteral("editor-cards.ini")));
        auto resume = resumeWithExperience();
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());
        ResumeEditorView view(resume, *services);
        view.resize(900, 700);
        QWidget* column = view.findChild<QWidget*>(QStringLiteral("editorSections"));
        QStringList shown;
        for (int i = 0; i < column->layout()->count(); ++i)
            shown << column->layout()->itemAt(i)->widget()->objectName();
        QVERIFY(shown.indexOf(QStringLiteral("coverLetterCard")) ==
                shown.indexOf(QStringLiteral("summaryCard")) + 1);
        QVERIFY(shown.indexOf(QStringLiteral("skillsCard")) ==
                shown.indexOf(QStringLiteral("educationSection")) + 1);
        QVERIFY(shown.indexOf(QStringLiteral("fontStyleCard")) ==
                shown.indexOf(QStringLiteral("skillsCard")) + 1);

        // The skills card's saves are the editor's: switching off stores the cleared lists.
        resume->setAppliedSkills({QStringLiteral("A: b")});
        auto* toggle = view.findChild<ToggleSwitch*>(QStringLiteral("includeSkillsToggle"));
        toggle->click();
        QVERIFY(!services->context().hasChanges());
        QVERIFY(resume->appliedSkills().isEmpty());
    }
};

QUILLORA_TEST_MAIN(SkillsAndCoverLetterTest)
#include "test_skills_and_cover_letter.moc"
