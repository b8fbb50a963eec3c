// Renders every screen of the app in the light and the dark scheme to PNG files in a folder,
// for looking at them: scripts/screenshots runs it. Works on an in-memory store with sample
// résumés and a settings file of its own; touches none of the user's files.
#include "app/about_window.h"
#include "app/app_look.h"
#include "app/content_view.h"
#include "app/list_shared_controls.h"
#include "app/openai_key_prompt.h"
#include "app/resume_list_view.h"
#include "app/resume_tip_view.h"
#include "app/services.h"
#include "controls/editor_section_card.h"
#include "controls/glass_capsule_button.h"
#include "controls/gradient_picker.h"
#include "controls/sparkle_button_label.h"
#include "controls/symbol_icon.h"
#include "editor/editor_actions.h"
#include "editor/entry_editors.h"
#include "editor/font_picker_view.h"
#include "editor/portfolio_card.h"
#include "editor/preparing_pdf_overlay.h"
#include "editor/resume_editor_view.h"
#include "editor/skills_section.h"
#include "help/help_sheet_container.h"
#include "help/help_window.h"
#include "help/picker_help_sheet.h"
#include "model/resume_operations.h"
#include "output/share_dialog.h"
#include "theme/font_resolver.h"
#include "theme/responsive_environment.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

using namespace quillora;

namespace {

// Shows the widget, lets its animations settle and saves it as <folder>/<name>.png.
bool save(QWidget& widget, const QString& folder, const QString& name) {
    widget.show();
    QEventLoop settle;
    QTimer::singleShot(700, &settle, &QEventLoop::quit);
    settle.exec();
    const QString path = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
    widget.hide();
    return saved;
}

void addSampleResumes(ModelContext& context) {
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QStringList titles{QStringLiteral("Product Designer"), QStringLiteral("Design Lead — Berlin"),
                             QStringLiteral("Freelance Portfolio")};
    for (int i = 0; i < titles.size(); ++i) {
        ResumePtr resume = makeNewResume();
        resume->setTitle(titles.at(i));
        resume->setFullName(QStringLiteral("Avery Lindqvist"));
        resume->setLastEdited(now.addSecs(-3600 * i));
        context.insert(resume);
    }
    (void)context.save();
}

QWidget* controlsSheet(Services& services, bool light) {
    Appearance& appearance = services.appearance();
    auto* backdrop = new ThemedBackground(services.settings(), appearance);
    backdrop->setOrbScale(1.15);
    backdrop->resize(760, 620);
    setResponsiveLayout(backdrop, QuilloraResponsiveLayout{760});
    auto* layout = new QVBoxLayout(backdrop);
    layout->setContentsMargins(24, 24, 24, 24);
    const QColor ink = light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(Qt::white);
    auto* field = new QLineEdit(QStringLiteral("Jane Appleseed"));
    layout->addWidget(new EditorSectionCard(appearance, QStringLiteral("person.text.rectangle"),
                                            QStringLiteral("Basic Info"),
                                            QStringLiteral("Who you are and how to reach you"), ink, field));
    auto* ai = new GlassCapsuleButton(appearance);
    ai->setLabelWidget(new SparkleButtonLabel(appearance, QStringLiteral("Suggest with OpenAI"), false));
    layout->addWidget(ai);
    auto* busy = new GlassCapsuleButton(appearance);
    busy->setLabelWidget(new SparkleButtonLabel(appearance, QStringLiteral("Analyzing experience…"), true));
    layout->addWidget(busy);
    auto* icons = new QWidget;
    auto* grid = new QGridLayout(icons);
    int i = 0;
    for (const QString& name : symbolNames()) {
        auto* label = new QLabel;
        label->setPixmap(symbolPixmap(name, ink, 28, 1.0));
        grid->addWidget(label, i / 15, i % 15);
        ++i;
    }
    layout->addWidget(icons);
    layout->addStretch();
    applySchemePalette(backdrop, light);
    return backdrop;
}

// The editor of a résumé with entries, at a narrow and a wide size, and its sheets.
bool renderEditor(Services& services, const QString& folder, const QString& suffix) {
    ResumePtr resume = makeNewResume();
    resume->setTitle(QStringLiteral("Product Designer"));
    resume->setFullName(QStringLiteral("Avery Lindqvist"));
    resume->setContactInfo(QStringLiteral("avery@example.com · +46 70 123 45 67"));
    resume->setSummary(QStringLiteral("Designer of calm, useful tools for people who make things."));
    resume->setExperienceItems(
        {std::make_shared<Experience>(QStringLiteral("Design Lead"), QStringLiteral("Northwind"),
                                      QStringLiteral("2021"), QStringLiteral("Present"),
                                      QStringLiteral("Led a team of six."), 0),
         std::make_shared<Experience>(QStringLiteral("Product Designer"), QStringLiteral("Contoso"),
                                      QStringLiteral("2017"), QStringLiteral("2021"),
                                      QStringLiteral("Shipped the mobile app."), 1)});
    resume->setEducationItems({std::make_shared<Education>(QStringLiteral("Konstfack"), QStringLiteral("MFA"),
                                                           QStringLiteral("2016"), 0)});
    services.context().insert(resume);
    bool ok = true;

    // The skills card with suggestions, one chip per row.
    {
        ResumePtr withSkills = makeNewResume();
        withSkills->setIncludeSkills(true);
        withSkills->setSuggestedSkills({QStringLiteral("Figma: Expert"), QStringLiteral("Design Systems"),
                                        QStringLiteral("User Research: Advanced"), QStringLiteral("SQL")});
        QWidget host;
        host.resize(640, 560);
        auto* background = new ThemedBackground(services.settings(), services.appearance(), &host);
        background->setGeometry(host.rect());
        EditorSectionCard* card = makeSkillsCard(
            withSkills, services, [] {}, &host);
        card->setParent(&host);
        card->setGeometry(20, 20, 600, 520);
        ok &= save(host, folder, QStringLiteral("editor-skills") + suffix);
    }

    ResumeEditorView editor(resume, services);
    for (const QSize size : {QSize(420, 760), QSize(1200, 900)}) {
        editor.resize(size);
        ok &= save(editor, folder, QStringLiteral("editor-%1").arg(size.width()) + suffix);
    }
    editor.resize(900, 800);
    editor.show();
    editor.openExperience(resume->experienceItems().first());
    ok &= save(*editor.experienceSheet(), folder, QStringLiteral("editor-experience-sheet") + suffix);
    editor.experienceSheet()->reject();
    editor.openEducation(resume->educationItems().first());
    ok &= save(*editor.educationSheet(), folder, QStringLiteral("editor-education-sheet") + suffix);
    editor.educationSheet()->reject();
    editor.openFontPicker();
    ok &= save(*editor.fontPicker(), folder, QStringLiteral("editor-font-picker") + suffix);
    editor.fontPicker()->reject();
    editor.openHelp();
    ok &= save(*editor.helpSheet(), folder, QStringLiteral("editor-help") + suffix);
    editor.helpSheet()->reject();
    // The "Actions & Style" card at the end of the column, its sheets and the share dialog.
    for (const QSize size : {QSize(420, 760), QSize(1200, 900)}) {
        editor.resize(size);
        editor.show();
        QCoreApplication::processEvents();
        editor.scrollArea()->verticalScrollBar()->setValue(
            editor.scrollArea()->verticalScrollBar()->maximum());
        ok &= save(editor, folder, QStringLiteral("editor-actions-%1").arg(size.width()) + suffix);
    }
    editor.resize(900, 800);
    editor.show();
    EditorActions& actions = editor.actions();
    actions.openMorvessaConfirm();
    ok &= save(*actions.morvessaConfirmSheet(), folder, QStringLiteral("editor-morvessa-confirm") + suffix);
    actions.morvessaConfirmSheet()->reject();
    resume->setTitle(QString());
    actions.openMorvessaConfirm();
    ok &= save(*actions.morvessaConfirmSheet(), folder, QStringLiteral("editor-morvessa-missing") + suffix);
    actions.morvessaConfirmSheet()->reject();
    resume->setTitle(QStringLiteral("Product Designer"));
    actions.openMorvessaHelp();
    ok &= save(*actions.morvessaHelpSheet(), folder, QStringLiteral("editor-morvessa-help") + suffix);
    actions.morvessaHelpSheet()->reject();
    actions.preparingOverlay()->setGeometry(editor.rect());
    actions.preparingOverlay()->raise();
    actions.preparingOverlay()->show();
    ok &= save(editor, folder, QStringLiteral("editor-preparing-pdf") + suffix);
    actions.preparingOverlay()->hide();
    actions.removeFromMorvessa(); // not shared: the alert says so
    ok &= save(*actions.morvessaAlert(), folder, QStringLiteral("editor-morvessa-alert") + suffix);
    actions.morvessaAlert()->close();
    ShareDialog share({QDir::tempPath() + QStringLiteral("/Product Designer.pdf")}, services.appearance(),
                      &editor, ShareDialog::Desktop{});
    ok &= save(share, folder, QStringLiteral("share-dialog") + suffix);
    editor.hide();
    services.context().deleteRecord(resume);
    (void)services.context().save();
    return ok;
}

// A photo-like picture: a diagonal gradient with a disc, encoded as JPEG.
QByteArray samplePhoto(QSize size, const QColor& from, const QColor& to) {
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, size.width(), size.height());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    painter.fillRect(image.rect(), gradient);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(255, 255, 255, 150));
    painter.setPen(Qt::NoPen);
    const int r = std::min(size.width(), size.height()) / 4;
    painter.drawEllipse(QPoint(size.width() / 2, size.height() / 2), r, r);
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

// The portfolio card with images, its grid and its caption rows open, at a narrow and a wide size.
bool renderPortfolio(Services& services, const QString& folder, const QString& suffix) {
    ResumePtr resume = makeNewResume();
    resume->setTitle(QStringLiteral("Product Designer"));
    const auto item = [](const QByteArray& bytes, const QString& caption, qint64 order,
                         PortfolioImageOrientation orientation) {
        return std::make_shared<PortfolioItem>(QUuid::createUuid(), bytes, caption, order, orientation);
    };
    resume->setPortfolioItems(
        {item(samplePhoto(QSize(1600, 1200), QColor(0x22, 0x39, 0xd1), QColor(0x22, 0xd3, 0xee)),
              QStringLiteral("Wayfinding for the Nordic Museum"), 0, PortfolioImageOrientation::landscape),
         item(samplePhoto(QSize(900, 1400), QColor(0xdf, 0x31, 0x54), QColor(0xff, 0xc8, 0x57)),
              QStringLiteral("Poster series"), 1, PortfolioImageOrientation::portrait),
         item(samplePhoto(QSize(1200, 1200), QColor(0x10, 0x80, 0x60), QColor(0xe0, 0xf0, 0xa0)), QString(),
              2, PortfolioImageOrientation::portrait),
         item(QByteArray("not an image"), QStringLiteral("Broken file"), 3,
              PortfolioImageOrientation::portrait)});
    services.context().insert(resume);
    bool ok = true;
    {
        ResumeEditorView editor(resume, services);
        auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
        card->setCaptionsExpanded(true);
        for (const QSize size : {QSize(420, 900), QSize(1200, 900)}) {
            editor.resize(size);
            editor.show();
            card->thumbnails().waitForDecodes();
            QCoreApplication::processEvents();
            editor.scrollArea()->ensureWidgetVisible(card, 0, 0);
            editor.scrollArea()->verticalScrollBar()->setValue(
                card->mapTo(editor.scrollArea()->widget(), QPoint()).y() - 40);
            ok &= save(editor, folder, QStringLiteral("editor-portfolio-%1").arg(size.width()) + suffix);
        }
        editor.hide();
    }
    services.context().deleteRecord(resume);
    (void)services.context().save();
    return ok;
}

bool renderScheme(Services& services, const QString& folder, bool light) {
    services.appearance().setLightOverride(light);
    const QString suffix = light ? QStringLiteral("-light") : QStringLiteral("-dark");
    bool ok = true;

    ContentView split(services, UserInterfaceIdiom::pad);
    split.resize(1180, 780);
    ok &= save(split, folder, QStringLiteral("intro") + suffix);
    if (QWidget* intro = split.introOverlay())
        intro->hide();
    ok &= save(split, folder, QStringLiteral("main-split") + suffix);

    ResumeListView list(services, UserInterfaceIdiom::other);
    list.setLogoRevealDelay(0);
    list.resize(430, 860);
    ok &= save(list, folder, QStringLiteral("resume-list") + suffix);

    ResumeTipView tip(services.appearance());
    tip.setShowLogo(true);
    tip.resize(430, 860);
    ok &= save(tip, folder, QStringLiteral("welcome-tip") + suffix);

    std::unique_ptr<QDialog> help(makeHelpSheet(
        services.appearance(), QStringLiteral("Main Interface Help"),
        ResumeListView::mainInterfaceHelpContent(),
        new GlassCapsuleButton(services.appearance(), QStringLiteral("Add OpenAI API Key")), nullptr));
    help->resize(600, 720);
    ok &= save(*help, folder, QStringLiteral("main-help") + suffix);

    for (const int width : {720, 1400}) {
        std::unique_ptr<QDialog> picker(
            makeGradientPickerSheet(services.themeController(), services.appearance(), nullptr));
        picker->resize(width, picker->height());
        ok &= save(*picker, folder, QStringLiteral("background-picker-%1").arg(width) + suffix);
    }

    for (const QSize window : {QSize(640, 360), QSize(2560, 1440)}) {
        QWidget host;
        host.resize(window);
        OpenAIKeyPrompt prompt(QStringLiteral("sk-proj-") + QString(156, QLatin1Char('k')), &host);
        ok &= save(prompt, folder, QStringLiteral("key-prompt-%1").arg(window.width()) + suffix);
    }

    // The cover-letter sheet, over a store with résumés and over an empty one.
    list.setModalRunner([&](QDialog& sheet) {
        sheet.resize(sheet.width(), 640);
        ok &= save(sheet, folder, QStringLiteral("cover-letter-sheet") + suffix);
        return 0;
    });
    list.openCoverLetterGenerator();
    {
        auto empty = Services::forTesting(QDir::tempPath() + QStringLiteral("/screenshots-empty.ini"));
        empty->appearance().setLightOverride(light);
        ResumeListView emptyList(*empty, UserInterfaceIdiom::other);
        emptyList.setModalRunner([&](QDialog& sheet) {
            ok &= save(sheet, folder, QStringLiteral("cover-letter-no-resume") + suffix);
            return 0;
        });
        emptyList.openCoverLetterGenerator();
    }

    PickerHelpSheetView pickerHelp(
        services.appearance(), QStringLiteral("Backgrounds"),
        QStringLiteral("Pick a gradient to use behind every screen of the app. The "
                       "choice is kept until you pick another."));
    ok &= save(pickerHelp, folder, QStringLiteral("picker-help") + suffix);

    HelpWindow helpWindow(services);
    ok &= save(helpWindow, folder, QStringLiteral("help-window") + suffix);

    AboutWindow about(services);
    ok &= save(about, folder, QStringLiteral("about") + suffix);

    std::unique_ptr<QWidget> controls(controlsSheet(services, light));
    ok &= save(*controls, folder, QStringLiteral("controls") + suffix);

    ok &= renderEditor(services, folder, suffix);
    ok &= renderPortfolio(services, folder, suffix);
    return ok;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryDir home; // no file of the user's is read or written
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillora"));
    QApplication::setApplicationName(QStringLiteral("Quillora"));
    const QStringList args = QApplication::arguments();
    const QString folder = QDir(args.value(1, QStringLiteral("screenshots"))).absolutePath();
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "Cannot make the folder %s\n", qPrintable(folder));
        return 1;
    }
    installAppLook(app);
    FontResolver::registerAppFonts();

    auto services = Services::forTesting(home.filePath(QStringLiteral("settings.ini")));
    services->appearance().setReduceMotionOverride(true);
    services->settings().setSelectedGradientID(7);
    addSampleResumes(services->context());

    bool ok = renderScheme(*services, folder, true);
    ok &= renderScheme(*services, folder, false);
    return ok ? 0 : 1;
}
