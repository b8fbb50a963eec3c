// The app as a user starts it (its store, lock, main window, autosave, backups and quit path),
// except that its translation engine is the tests' fake, answering each request after a delay
// (first argument, milliseconds), and that the context autosaves 20 ms after a change. As soon
// as it is up it opens the preview of the newest résumé, translates it into Spanish and closes
// the preview. It
// prints "translating: started" when the run starts, "translating: saved" after every save of
// the store and "translating: finished" when the run ends. The translation kill test starts it,
// ends it at a random moment and reads the store. It is built only with the tests.
#include "app/main_window.h"
#include "app/quillora_app.h"
#include "app/services.h"
#include "output/resume_translation.h"
#include "output/template_classic.h"
#include "store/model_context.h"
#include "support/fake_translation_engine.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

using namespace quillora;

namespace {

void say(const char* line) {
    std::printf("translating: %s\n", line);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    prepareQuilloraApplication(app);
    int code = 0;
    const std::unique_ptr<QuilloraSession> session = QuilloraSession::start({}, &code);
    if (!session)
        return code;
    Services& services = session->services();
    auto engine = std::make_unique<test::FakeTranslationEngine>();
    engine->setStatus(QStringLiteral("es"), TranslationPairStatus::installed);
    engine->setAnswerDelay(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 20);
    services.setTranslationEngine(std::move(engine));
    ModelContext& context = services.context();
    context.setAutosaveDelay(20);
    QObject::connect(&context, &ModelContext::didSave, [] { say("saved"); });

    QTimer::singleShot(0, &session->window(), [&] {
        const auto resumes = context.fetchResumes();
        if (!resumes || resumes->isEmpty()) {
            say("no résumé");
            return;
        }
        const ResumePtr resume = resumes->first();
        TemplateClassic* preview = TemplateClassic::present(&session->window(), resume, services);
        preview->chooseLanguage(QStringLiteral("es"));
        preview->translate();
        QObject::connect(ResumeTranslationRun::runningFor(*resume), &ResumeTranslationRun::finished,
                         [] { say("finished"); });
        say("started");
        // The run goes on without its screen (which would otherwise spend the run laying out
        // the long letter).
        preview->close();
    });
    return session->exec();
}
