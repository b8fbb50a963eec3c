// A push to the recruiting network as the editor makes it, in a process of its own that the
// cloud database test kills or quits at a chosen moment. It pushes the newest résumé to the
// database that QUILLORA_CLOUD_DATABASE names and prints "pushing: started" as the push begins
// and "pushing: finished" (with "ok" or the failure) when it ends.
//   pushing_quillora <store>: opens that store and pushes; the test kills it.
//   pushing_quillora --app push|remove: the app as a user starts it (its store, lock, window and
//     quit path), which pushes or removes the newest résumé; the test quits it with SIGTERM.
// Built only with the tests.
#include "app/main_window.h"
#include "app/quillora_app.h"
#include "app/services.h"
#include "sharing/morvessa_sharing.h"
#include "store/model_container.h"
#include "store/model_context.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

using namespace quillora;

namespace {

void say(const QString& line) {
    std::printf("pushing: %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

template <typename T> void sayFinished(const Result<T>& result) {
    say(QStringLiteral("finished ") + (result ? QStringLiteral("ok") : result.error()));
}

int runApp(QApplication& app, bool removing) {
    prepareQuilloraApplication(app);
    int code = 0;
    std::unique_ptr<QuilloraSession> session = QuilloraSession::start({}, &code);
    if (!session)
        return code;
    QTimer::singleShot(0, &session->window(), [&] {
        const ResumePtr resume = session->services().context().fetchResumes()->first();
        if (removing)
            (void)removeResumeFromMorvessa(MorvessaCloudService(), &session->window(), resume,
                                           &sayFinished<Done>);
        else
            (void)pushResumeToMorvessa(MorvessaCloudService(), &session->window(), resume, MorvessaPDFStyle{},
                                       {}, &sayFinished<QString>);
        say(QStringLiteral("started"));
    });
    code = session->exec();
    return QuilloraSession::end(std::move(session), code);
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc < 2)
        return 2;
    QApplication app(argc, argv);
    if (std::strcmp(argv[1], "--app") == 0 && argc > 2)
        return runApp(app, std::strcmp(argv[2], "remove") == 0);
    const QString storePath = QString::fromLocal8Bit(argv[1]);
    auto opened = ModelContainer::open(storePath);
    if (!opened) {
        say(QStringLiteral("no store: ") + opened.error());
        return 1;
    }
    const std::unique_ptr<ModelContainer> store = std::move(opened).value();
    ModelContext& context = store->mainContext();
    const auto resumes = context.fetchResumes();
    if (!resumes || resumes->isEmpty()) {
        say(QStringLiteral("no résumé"));
        return 1;
    }
    QObject screen;
    MorvessaPDFStyle style;
    style.storeFilePath = storePath;
    QTimer::singleShot(0, &screen, [&] {
        (void)pushResumeToMorvessa(MorvessaCloudService(), &screen, resumes->first(), style, {},
                                   [](const Result<QString>& result) {
                                       sayFinished(result);
                                       QCoreApplication::quit();
                                   });
        say(QStringLiteral("started"));
    });
    return app.exec();
}
