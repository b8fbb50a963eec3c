// The suggested skills as the card lays them out: one chip per row, and the generate button's
// progress indicator while a request runs.
#include "ai/openai_client.h"
#include "controls/glass_capsule_button.h"
#include "controls/sparkle_button_label.h"
#include "editor/skills_section.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/fake_language_model.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QDir>
#include <QNetworkAccessManager>
#include <QTest>

using namespace quillora;
using quillora::test::FakeLanguageModel;

class SkillChipStackTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<Settings> m_settings;
    QNetworkAccessManager m_network;
    Appearance m_appearance;

private slots:
    void initTestCase() {
        m_appearance.setReduceMotionOverride(true);
        m_settings = std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("stack.ini")));
    }

    void chipsStackOnePerRowInOrder() {
        auto resume = test::makeEmptyResume(QStringLiteral("CV"));
        resume->setIncludeSkills(true);
        const QStringList skills{QStringLiteral("Go: Expert"), QStringLiteral("UX"),
                                 QStringLiteral("Project Management: Advanced"),
                                 QStringLiteral("SQL: Basic")};
        resume->setSuggestedSkills(skills);
        SkillsSection section(resume, AIServices{m_settings.get(), &m_network, nullptr, 5000}, m_appearance,
                              [] {});
        section.resize(900, 700); // room for all four side by side
        section.show();
        QVERIFY(QTest::qWaitForWindowExposed(&section));
        const QList<QAbstractButton*> chips = section.chipButtons();
        QCOMPARE(chips.size(), 4);
        for (int i = 0; i < chips.size(); ++i) {
            QCOMPARE(chips.at(i)->accessibleName(), skills.at(i));
            QCOMPARE(chips.at(i)->x(), 0); // leading edge
            QCOMPARE(chips.at(i)->size(), chips.at(i)->sizeHint());
            if (i > 0)
                QCOMPARE(chips.at(i)->y(), chips.at(i - 1)->geometry().bottom() + 1 + 10);
        }
    }

    void progressSitsInTheButtonWhileBusy() {
        auto resume = test::makeEmptyResume(QStringLiteral("CV"));
        resume->setIncludeSkills(true);
        resume->setExperienceItems(
            {std::make_shared<Experience>(QStringLiteral("Baker"), QStringLiteral("Acme"), QString(),
                                          QString(), QStringLiteral("Bread."), 0)});
        auto model = std::make_shared<FakeLanguageModel>();
        SkillsSection section(resume, AIServices{m_settings.get(), &m_network, model, 5000}, m_appearance,
                              [] {});
        section.resize(700, 500);
        section.show();
        QVERIFY(QTest::qWaitForWindowExposed(&section));
        GlassCapsuleButton* button = section.generateButton();
        auto* spinner = section.findChild<QWidget*>(QStringLiteral("skillsProgress"));
        QVERIFY(spinner);
        QVERIFY(button->isAncestorOf(spinner));
        QVERIFY(!spinner->isVisible());
        const int idleWidth = button->width();

        model->enqueue(QStringLiteral("Skills: Baking"));
        section.generateSkillSuggestions();
        QVERIFY(section.isGeneratingSkills());
        // Only the layouts catch up here; the answer waits in the event queue.
        for (int i = 0; i < 4; ++i)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QVERIFY(spinner->isVisible());
        // After the title, the rest of the row left empty: the button takes the row's width.
        SparkleButtonLabel* label = section.generateLabel();
        QVERIFY(spinner->mapTo(button, QPoint(0, 0)).x() >=
                label->mapTo(button, QPoint(0, 0)).x() + label->width());
        QCOMPARE(spinner->size(), QSize(14, 14));
        QVERIFY(button->width() > idleWidth);
        QCOMPARE(button->width(), button->parentWidget()->width());
        QTRY_VERIFY(!section.isGeneratingSkills());
        QApplication::processEvents();
        QVERIFY(!spinner->isVisible());
        QTRY_COMPARE(button->width(), idleWidth);
    }
};

QUILLORA_TEST_MAIN(SkillChipStackTest)
#include "test_skill_chip_stack.moc"
