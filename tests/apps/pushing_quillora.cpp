// A push to the recruiting network as the editor makes it, in a process of its own that the
// cloud database test kills or quits at a chosen moment. It pushes the newest résumé to the
// database that QUILLORA_CLOUD_DATABASE names and prints "pushing: started" as the push begins
// and "pushing: finished" (with "ok" or the failure) when it ends.
//   pushing_quillora <store>: opens that store and pushes; the test kills it.
//   pushing_quillora --app push|remove [<folder>]: the app as a user starts it (its store, lock,
//     window and quit path), which pushes or removes the newest résumé; the test quits it with
//     SIGTERM. With a folder holding resolv.conf and nsswitch.conf, the process first moves into
//     namespaces of its own where these are the system's files and a name server on the loopback
//     takes every question and answers none ("pushing: resolver asked" once one comes; "pushing:
//     no namespaces" and exit code 3 when the system gives none).
// Built only with the tests.
#include "app/main_window.h"
#include "app/quillora_app.h"
#include "app/services.h"
#include "sharing/morvessa_sharing.h"
#include "store/model_container.h"
#include "store/model_context.h"

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace quillora;

namespace {

void say(const QString& line) {
    std::printf("pushing: %s\n", line.toUtf8().constData());
    std::fflush(stdout);
}

template <typename T> void sayFinished(const Result<T>& result) {
    say(QStringLiteral("finished ") + (result ? QStringLiteral("ok") : result.error()));
}

bool writeProcFile(const char* path, const QByteArray& text) {
    const int fd = ::open(path, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        ::close(fd);
    return written;
}

// Moves the process into user, mount and network namespaces of its own, with the files in
// `folder` as the system's resolver settings, the loopback up and a name server on it that never
// answers; returns that server's socket, or -1 when the system refused. Runs before any thread.
int isolateWithSilentResolver(const QByteArray& folder) {
    const QByteArray uid = QByteArray::number(::geteuid()), gid = QByteArray::number(::getegid());
    if (::unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0 ||
        !writeProcFile("/proc/self/setgroups", "deny") ||
        !writeProcFile("/proc/self/uid_map", uid + ' ' + uid + " 1") ||
        !writeProcFile("/proc/self/gid_map", gid + ' ' + gid + " 1") ||
        ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return -1;
    for (const char* name : {"resolv.conf", "nsswitch.conf"}) {
        const QByteArray target = QByteArray("/etc/") + name;
        const QByteArray source = folder + '/' + name;
        if (::mount(source.constData(), target.constData(), nullptr, MS_BIND, nullptr) != 0)
            return -1;
    }
    ifreq loopback{};
    std::strcpy(loopback.ifr_name, "lo");
    const int control = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    bool up = control >= 0 && ::ioctl(control, SIOCGIFFLAGS, &loopback) == 0;
    loopback.ifr_flags |= IFF_UP;
    up = up && ::ioctl(control, SIOCSIFFLAGS, &loopback) == 0;
    ::close(control);
    const int server = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(53);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (!up || server < 0 || ::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return -1;
    return server;
}

int runApp(QApplication& app, bool removing, int resolver) {
    if (resolver >= 0) {
        auto* asked = new QSocketNotifier(resolver, QSocketNotifier::Read, &app);
        QObject::connect(asked, &QSocketNotifier::activated, asked, [asked] {
            asked->setEnabled(false); // the question stays unread and unanswered
            say(QStringLiteral("resolver asked"));
        });
    }
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
    if (std::strcmp(argv[1], "--app") == 0 && argc > 2) {
        const int resolver = argc > 3 ? isolateWithSilentResolver(argv[3]) : -1;
        if (argc > 3 && resolver < 0) {
            say(QStringLiteral("no namespaces"));
            return 3;
        }
        QApplication app(argc, argv);
        return runApp(app, std::strcmp(argv[2], "remove") == 0, resolver);
    }
    QApplication app(argc, argv);
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
