// A push to the recruiting network as the editor makes it, in a process of its own that the
// cloud database test kills at a chosen moment: it opens the store named by its first argument,
// pushes the newest résumé to the database that QUILLORA_CLOUD_DATABASE names, and prints
// "pushing: started" as the push begins and "pushing: finished" (with "ok" or the failure) when
// it ends. Built only with the tests.
#include "sharing/morvessa_sharing.h"
#include "store/model_container.h"
#include "store/model_context.h"

#include <QGuiApplication>
#include <QTimer>

#include <cstdio>

using namespace quillora;

namespace {

void say(const QString& line) {
    std::printf("pushing: %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
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
        (void)pushResumeToMorvessa(
            MorvessaCloudService(), &screen, resumes->first(), style, {}, [](Result<QString> result) {
                say(QStringLiteral("finished ") + (result ? QStringLiteral("ok") : result.error()));
                QCoreApplication::quit();
            });
        say(QStringLiteral("started"));
    });
    return app.exec();
}
