// Editor speed: opening the editor of a résumé with 30 experience entries (built, laid out and
// painted once), and one keystroke in a field of that résumé (the write and its notices; the
// store is not touched until the context saves). Opening the editor and the preview of résumés
// of 300, 3,000 and 10,000 experience entries, and building the open preview again: the cost
// should grow in step with the entries. Adding, deleting and moving an entry with the editor of
// 1,000 and 10,000 entries open, and a keystroke in a field holding 100,000 and 2,000,000
// characters beside the same keystroke in a bare field: each should cost what the change costs.
// One Tab press in the editor of such a résumé, alone and beside the résumé list in the main
// window: the keyboard rules work from a remembered screen order, so a press should cost about
// the same whatever the number of entries.
#include "app/content_view.h"
#include "app/intro_overlay.h"
#include "app/main_window.h"
#include "app/quillora_app.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "bench_support.h"
#include "controls/one_line_field.h"
#include "editor/entry_editors.h"
#include "editor/experience_section.h"
#include "editor/resume_editor_view.h"
#include "output/template_classic.h"
#include "platform/appearance.h"
#include "theme/font_resolver.h"
#include "theme/scheme_colors.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

const QString detailsText = QStringLiteral(
    "Led a cross-functional team of eight engineers building the company's payments platform.\n"
    "Designed and shipped a new billing service that processes two million invoices a month.\n"
    "Cut infrastructure costs by thirty percent by moving batch jobs to a managed queue.");

struct Fixture {
    std::unique_ptr<Services> services;
    ResumePtr resume;

    // With `wordedDetails` the summary and each entry's details are three lines of words, which
    // wrap as a user's do.
    explicit Fixture(int experience = 30, bool wordedDetails = false) {
        services = Services::forTesting(QDir::tempPath() + QStringLiteral("/editor-bench.ini"));
        bench::insertSampleResumes(services->context(), 1, experience, 5);
        resume = services->context().fetchResumes()->first();
        if (wordedDetails) {
            resume->setSummary(detailsText);
            for (const ExperiencePtr& entry : resume->experienceItems())
                entry->setDetails(detailsText);
            (void)services->context().save();
        }
    }
};

void BM_OpenEditor30Entries(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        ResumeEditorView view(f.resume, *f.services);
        view.resize(900, 800);
        view.show();
        // The first frame: layout and paint of what is on screen.
        benchmark::DoNotOptimize(view.grab());
        state.PauseTiming();
        view.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenEditor30Entries)->Unit(benchmark::kMillisecond);

// Opens `Screen` on a résumé of state.range(0) experience entries, shows it and paints its first
// frame, then closes it; "peak_mib" is the most the process held while one was open.
template <typename Screen> void openLargeResume(benchmark::State& state) {
    Fixture f(int(state.range(0)), true);
    double peak = 0;
    double before = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::resetPeakMemory();
        before = bench::residentMemoryMiB();
        state.ResumeTiming();
        {
            Screen screen(f.resume, *f.services);
            screen.resize(900, 800);
            screen.show();
            // What the show posted (layouts, first focus) runs before the first frame.
            QCoreApplication::processEvents();
            benchmark::DoNotOptimize(screen.grab());
            state.PauseTiming();
            screen.hide();
        }
        // What the closed screen left to be deleted goes before the next one opens.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        peak = std::max(peak, bench::peakMemoryMiB());
        state.ResumeTiming();
    }
    state.counters["entries"] = double(state.range(0));
    state.counters["peak_mib"] = peak;
    state.counters["before_mib"] = before; // the résumé and the app, before the screen opens
}
void largeResumeSizes(benchmark::internal::Benchmark* b) {
    b->Arg(300)
        ->Arg(3000)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
}

void BM_OpenEditorLargeResume(benchmark::State& state) {
    openLargeResume<ResumeEditorView>(state);
}
BENCHMARK(BM_OpenEditorLargeResume)->Apply(largeResumeSizes);

void BM_OpenPreviewLargeResume(benchmark::State& state) {
    openLargeResume<TemplateClassic>(state);
}
BENCHMARK(BM_OpenPreviewLargeResume)->Apply(largeResumeSizes);

// The open preview of such a résumé built again, as a change of scheme (or an entry added or
// removed) makes it, and its next frame painted.
void BM_RebuildPreviewLargeResume(benchmark::State& state) {
    Fixture f(int(state.range(0)), true);
    TemplateClassic screen(f.resume, *f.services);
    screen.resize(900, 800);
    screen.show();
    QCoreApplication::processEvents();
    bool light = f.services->appearance().isLight();
    for (auto _ : state) {
        light = !light;
        f.services->appearance().setLightOverride(light);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(screen.grab());
    }
    state.counters["entries"] = double(state.range(0));
}
BENCHMARK(BM_RebuildPreviewLargeResume)->Apply(largeResumeSizes)->Arg(1000);

// The editor of a résumé of state.range(0) experience entries, open and painted; `step` changes
// its entries once, and the frame after it is painted.
template <typename Step> void editLargeResume(benchmark::State& state, Step step) {
    Fixture f(int(state.range(0)), true);
    ResumeEditorView view(f.resume, *f.services);
    view.resize(900, 800);
    view.show();
    QCoreApplication::processEvents();
    benchmark::DoNotOptimize(view.grab());
    for (auto _ : state) {
        bench::QuietStdout quiet;
        step(view);
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(view.grab());
    }
    state.counters["entries"] = double(state.range(0));
}
void editSizes(benchmark::internal::Benchmark* b) {
    b->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);
}

// Add Experience, then Save in its sheet.
void BM_AddEntryLargeResume(benchmark::State& state) {
    editLargeResume(state, [](ResumeEditorView& view) {
        view.addExperience();
        view.experienceSheet()->saveButton()->click();
    });
}
BENCHMARK(BM_AddEntryLargeResume)->Apply(editSizes);

// The trash button of the middle row, then Delete in its alert.
void BM_DeleteEntryLargeResume(benchmark::State& state) {
    editLargeResume(state, [](ResumeEditorView& view) {
        const QList<ExperiencePtr> shown = view.displayedExperience();
        view.requestExperienceDeletion(shown.at(shown.size() / 2));
        for (QAbstractButton* button : view.deleteAlert()->buttons()) {
            if (button->objectName() == QStringLiteral("alertDeleteButton"))
                button->click();
        }
    });
}
BENCHMARK(BM_DeleteEntryLargeResume)->Apply(editSizes);

// Alt+Down on the middle row.
void BM_MoveEntryLargeResume(benchmark::State& state) {
    editLargeResume(state, [](ResumeEditorView& view) {
        const QList<ExperiencePtr> shown = view.displayedExperience();
        view.moveExperienceBy(shown.at(shown.size() / 2), 1);
    });
}
BENCHMARK(BM_MoveEntryLargeResume)->Apply(editSizes);

void BM_KeystrokeInTitle(benchmark::State& state) {
    Fixture f;
    ResumeEditorView view(f.resume, *f.services);
    view.resize(900, 800);
    view.show();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("resumeTitleField"));
    field->setFocus();
    const auto press = [field](int key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(field, &event);
    };
    for (auto _ : state) {
        press(Qt::Key_A, QStringLiteral("a"));
        press(Qt::Key_Backspace, QString());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_KeystrokeInTitle)->Unit(benchmark::kMicrosecond);

// One character typed at the end of a field holding state.range(0) characters, and what it
// asks to be painted again painted.
void typeInLongField(benchmark::State& state, QLineEdit* field) {
    field->setFocus();
    field->end(false);
    QCoreApplication::processEvents();
    const auto press = [field](int key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(field, &event);
    };
    for (auto _ : state) {
        press(Qt::Key_A, QStringLiteral("a"));
        QCoreApplication::processEvents();
        state.PauseTiming();
        press(Qt::Key_Backspace, QString());
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["chars"] = double(state.range(0));
}
void longFieldSizes(benchmark::internal::Benchmark* b) {
    b->Arg(100000)->Arg(2000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3)->Repetitions(3);
}

// The window's content as the app shows it: the list of résumés beside the open editor.
void typeInEditorField(benchmark::State& state, const char* identifier, Resume::Property property) {
    Fixture f;
    f.resume->setValueAt(property, QString(int(state.range(0)), QLatin1Char('n')));
    (void)f.services->context().save();
    ContentView content(*f.services, UserInterfaceIdiom::pad);
    content.resize(1280, 800);
    content.show();
    content.findChild<ResumeListView*>()->selectResume(f.resume);
    // The opening logo plays over the window first: typing starts once it is gone.
    QDeadlineTimer deadline(10000);
    while (content.findChild<IntroLogoOverlay*>() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    auto* field = content.findChild<QLineEdit*>(QString::fromLatin1(identifier));
    if (!field) {
        state.SkipWithError("no editor open");
        return;
    }
    typeInLongField(state, field);
}

void BM_KeystrokeLongFullName(benchmark::State& state) {
    typeInEditorField(state, "resumeFullNameField", Resume::FullName);
}
BENCHMARK(BM_KeystrokeLongFullName)->Apply(longFieldSizes);

void BM_KeystrokeLongTitle(benchmark::State& state) {
    typeInEditorField(state, "resumeTitleField", Resume::Title);
}
BENCHMARK(BM_KeystrokeLongTitle)->Apply(longFieldSizes);

// The yardstick: a bare field of the same width and text, alone in its window.
void BM_KeystrokeLongBareField(benchmark::State& state) {
    QWidget window;
    window.resize(900, 800);
    auto* field = makeOneLineField(&window, QString(int(state.range(0)), QLatin1Char('n')));
    field->setFrame(false);
    field->setFont(systemFont(16)); // the editor's fields' face
    field->setGeometry(40, 40, 760, 30);
    window.show();
    typeInLongField(state, field);
}
BENCHMARK(BM_KeystrokeLongBareField)->Apply(longFieldSizes);

// Tab pressed on the focused control of `window` and what it posts run (the page scrolled to the
// next control, its ring painted). Every window ends up on a control for which the rules walk the
// whole window: the press goes round its controls, a few hundred at a time.
void pressTab(benchmark::State& state, QWidget* window) {
    QWidget* start = QApplication::focusWidget();
    if (start == nullptr || start->window() != window) {
        state.SkipWithError("nothing has the focus");
        return;
    }
    for (auto _ : state) {
        QWidget* focus = QApplication::focusWidget();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        QCoreApplication::sendEvent(focus, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Tab, Qt::NoModifier, QStringLiteral("\t"));
        QCoreApplication::sendEvent(focus, &release);
        QCoreApplication::processEvents();
        if (QApplication::focusWidget() == focus) {
            state.SkipWithError("Tab did not move the focus");
            break;
        }
    }
    state.counters["entries"] = double(state.range(0));
}

void tabSizes(benchmark::internal::Benchmark* b) {
    b->Arg(300)
        ->Arg(3000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(50)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
}

void BM_TabInEditor(benchmark::State& state) {
    Fixture f(int(state.range(0)), true);
    ResumeEditorView view(f.resume, *f.services);
    view.resize(1024, 640);
    view.show();
    view.activateWindow();
    QCoreApplication::processEvents();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("resumeTitleField"));
    field->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    pressTab(state, &view);
}
BENCHMARK(BM_TabInEditor)->Apply(tabSizes);

// The main window with the list beside the editor of the résumé opened from it.
void BM_TabInMainWindow(benchmark::State& state) {
    Fixture f(int(state.range(0)), true);
    f.services->appearance().setReduceMotionOverride(true);
    MainWindow window(*f.services);
    window.resize(1024, 640);
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
    window.findChild<ResumeListView*>()->selectResume(f.resume);
    QElapsedTimer waited;
    waited.start();
    ResumeEditorView* editor = nullptr;
    while ((editor == nullptr || !editor->isVisible()) && waited.elapsed() < 20000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        editor = window.findChild<ResumeEditorView*>();
    }
    if (editor == nullptr || !editor->isVisible()) {
        state.SkipWithError("the editor did not open");
        return;
    }
    editor->findChild<QLineEdit*>(QStringLiteral("resumeTitleField"))->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
    pressTab(state, &window);
}
BENCHMARK(BM_TabInMainWindow)->Apply(tabSizes);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    prepareQuilloraApplication(app);
    return bench::runBenchmarks(argc, argv);
}
