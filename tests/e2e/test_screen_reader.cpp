// The app as a screen reader hears it: the real binary on a virtual X display, with a private
// session bus and the accessibility bus, read and driven through AT-SPI (libatspi) the way an
// assistive technology does. Every screen is walked, and every window shown is held to the same
// rules, whatever it holds: nothing shown without a name unless it only groups others, no element
// that says again what its own child says, children in the order they stand on screen (also right
// after a move), and a changed value reaching the reader. Where Orca is installed it runs on the
// same bus with its speech written to its log, and what it would say is checked too.

#include "ai/openai_client.h"
#include "model/resume.h"
#include "store/app_store.h"
#include "store/model_container.h"
#include "store/model_context.h"
#include "store/store_location.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <csignal>
#include <functional>
#include <memory>

#undef signals // glib's headers use the word
#include <atspi/atspi.h>
#include <dbus/dbus.h>
#define signals Q_SIGNALS

using namespace quillora;

namespace {

// One accessible object, owning its reference.
using Node = std::shared_ptr<AtspiAccessible>;

Node adopt(AtspiAccessible* object) {
    return object ? Node(object, [](AtspiAccessible* a) { g_object_unref(a); }) : Node();
}

QString take(gchar* text) {
    const QString result = QString::fromUtf8(text ? text : "");
    g_free(text);
    return result;
}

QString nameOf(const Node& node) {
    return take(atspi_accessible_get_name(node.get(), nullptr));
}
QString descriptionOf(const Node& node) {
    return take(atspi_accessible_get_description(node.get(), nullptr));
}
QString roleOf(const Node& node) {
    return take(atspi_accessible_get_role_name(node.get(), nullptr));
}

bool has(const Node& node, AtspiStateType state) {
    AtspiStateSet* set = atspi_accessible_get_state_set(node.get());
    const bool result = set && atspi_state_set_contains(set, state);
    if (set)
        g_object_unref(set);
    return result;
}

QList<Node> childrenOf(const Node& node) {
    QList<Node> children;
    const int count = atspi_accessible_get_child_count(node.get(), nullptr);
    for (int i = 0; i < count; ++i)
        if (Node child = adopt(atspi_accessible_get_child_at_index(node.get(), i, nullptr)))
            children << child;
    return children;
}

QStringList actionsOf(const Node& node) {
    QStringList names;
    if (AtspiAction* action = atspi_accessible_get_action_iface(node.get())) {
        for (int i = 0; i < atspi_action_get_n_actions(action, nullptr); ++i)
            names << take(atspi_action_get_action_name(action, i, nullptr));
        g_object_unref(action);
    }
    return names;
}

bool doAction(const Node& node, const QString& name) {
    const int index = int(actionsOf(node).indexOf(name));
    if (index < 0)
        return false;
    AtspiAction* action = atspi_accessible_get_action_iface(node.get());
    const bool done = atspi_action_do_action(action, index, nullptr);
    g_object_unref(action);
    return done;
}

void walk(const Node& node, const std::function<void(const Node&, int)>& visit, int depth = 0) {
    visit(node, depth);
    if (depth < 60)
        for (const Node& child : childrenOf(node))
            walk(child, visit, depth + 1);
}

QRect extentsOf(const Node& node) {
    QRect box;
    if (AtspiComponent* component = atspi_accessible_get_component_iface(node.get())) {
        if (AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr)) {
            box = QRect(r->x, r->y, r->width, r->height);
            g_free(r);
        }
        g_object_unref(component);
    }
    return box;
}

// Whether `a` reads before `b`: wholly above it, or on the same line and to its left.
bool readsBefore(const QRect& a, const QRect& b) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a.y() + a.height() <= b.y())
        return true;
    if (b.y() + b.height() <= a.y())
        return false;
    return a.x() + a.width() <= b.x();
}

// Roles that only group other elements and need no name of their own.
bool isGrouping(AtspiRole role) {
    static const QList<AtspiRole> roles{
        ATSPI_ROLE_FILLER,       ATSPI_ROLE_PANEL,        ATSPI_ROLE_SCROLL_PANE, ATSPI_ROLE_VIEWPORT,
        ATSPI_ROLE_SPLIT_PANE,   ATSPI_ROLE_LAYERED_PANE, ATSPI_ROLE_MENU_BAR,    ATSPI_ROLE_POPUP_MENU,
        ATSPI_ROLE_SEPARATOR,    ATSPI_ROLE_SCROLL_BAR,   ATSPI_ROLE_TOOL_BAR,    ATSPI_ROLE_STATUS_BAR,
        ATSPI_ROLE_PAGE_TAB_LIST};
    return roles.contains(role);
}

// What the bridge sent, as "event-type|source name|detail1".
QStringList g_events;

// The element that took the focus last: a menu's rows are not in the tree (Qt lists no popup
// among an application's windows), so they are met as the focus reaches them.
Node g_focused;

// The texts of the notifications that came into view (a screen reader says each whatever has
// the focus), in order.
QStringList g_notes;

// How many popup menus came into view, and when the app sent its last event.
int g_menusShown = 0;
QElapsedTimer g_lastEvent;

// Events that arrive while a call waits for its answer are read off the socket into libdbus's
// queue, and nothing hands them on until more data comes: after the app's last event of a burst
// they could wait there until the next action. They are handed to the recorder as they wait.
void dispatchQueuedEvents() {
    DBusConnection* bus = atspi_get_a11y_bus();
    while (bus != nullptr && dbus_connection_get_dispatch_status(bus) == DBUS_DISPATCH_DATA_REMAINS)
        dbus_connection_dispatch(bus);
}

void record(const AtspiEvent* event) {
    g_lastEvent.start();
    if (QByteArrayView(event->type) == "object:state-changed:focused" && event->detail1 == 1)
        g_focused = adopt(static_cast<AtspiAccessible*>(g_object_ref(event->source)));
    const QString name = take(atspi_accessible_get_name(event->source, nullptr));
    if (QByteArrayView(event->type) == "object:state-changed:showing" && event->detail1 == 1) {
        const AtspiRole role = atspi_accessible_get_role(event->source, nullptr);
        if (role == ATSPI_ROLE_NOTIFICATION)
            g_notes << name;
        else if (role == ATSPI_ROLE_POPUP_MENU || role == ATSPI_ROLE_MENU)
            ++g_menusShown;
    }
    g_events << QStringLiteral("%1|%2|%3").arg(QString::fromUtf8(event->type), name).arg(event->detail1);
}

} // namespace

class ScreenReaderTest final : public QObject {
    Q_OBJECT

    // The walk's folder: in the test's own temporary home, or, where QUILLORA_KEEP_TEST_RUNTIME
    // names a folder, there, so that its logs outlive the run.
    static QString runtimeTemplate() {
        const QString keep = qEnvironmentVariable("QUILLORA_KEEP_TEST_RUNTIME");
        return QDir(QFileInfo(keep).isDir() ? keep : QDir::tempPath()).filePath(u"walk-XXXXXX"_qs);
    }
    QTemporaryDir m_runtime{runtimeTemplate()};
    QProcess m_display;
    QProcess m_windowManager; // activates the app's windows and hands the focus on as one closes
    QProcess m_bus;
    QProcess m_app;
    QProcess m_orca;          // the screen reader, when installed, speaking into its log
    QString m_orcaLog;        // empty when Orca does not run
    QStringList m_orcaHeard;  // changed values Orca said
    QStringList m_orcaMissed; // and the ones it did not
    // Orca's log as read so far: what it said, how many events it queued and has not handled
    // yet, and when it last grew.
    struct OrcaLogRead {
        qint64 offset = 0;
        QByteArray rest; // a line not yet written whole
        QStringList said;
        int pending = 0;
        QElapsedTimer grown;
    };
    mutable OrcaLogRead m_orcaRead;
    // Whether Orca writes its log as it goes, not in blocks.
    bool m_orcaLineByLine = false;
    Node m_application;
    QStringList m_faults;   // what breaks the rules, over every screen
    QStringList m_screens;  // the screens walked
    QStringList m_explored; // the openers pressed by the walk
    QStringList m_badFocus; // windows whose first focus is no named control
    QString m_resumeTitle = QStringLiteral("Design Résumé");
    bool m_moved = false;
    int m_added = 0;                                    // résumés added by the walk
    QStringList m_outcomes;                             // what the outcomes said
    std::unique_ptr<test::LoopbackHttpServer> m_server; // stands in for OpenAI

    static QString readLine(QProcess& process, int timeoutMs) {
        QByteArray line;
        process.waitForStarted();
        QElapsedTimer clock;
        clock.start();
        while (!line.contains('\n') && clock.elapsed() < timeoutMs && process.state() == QProcess::Running) {
            process.waitForReadyRead(100);
            line += process.readAllStandardOutput();
        }
        return QString::fromUtf8(line).trimmed();
    }

    // Reads what Orca's log gained since the last look.
    void readOrcaLog() const {
        QFile log(m_orcaLog);
        if (m_orcaLog.isEmpty() || !log.open(QIODevice::ReadOnly) || !log.seek(m_orcaRead.offset))
            return;
        const QByteArray added = log.readAll();
        if (added.isEmpty())
            return;
        m_orcaRead.offset += added.size();
        m_orcaRead.grown.start();
        m_orcaRead.rest += added;
        const qsizetype end = m_orcaRead.rest.lastIndexOf('\n');
        if (end < 0)
            return;
        for (const QByteArray& line : m_orcaRead.rest.left(end).split('\n')) {
            if (const qsizetype at = line.indexOf("SPEECH OUTPUT: '"); at >= 0)
                m_orcaRead.said << QString::fromUtf8(line.mid(at + 16));
            else if (line.contains("EVENT MANAGER: Queueing "))
                ++m_orcaRead.pending;
            else if (line.contains("EVENT MANAGER: Dequeued "))
                --m_orcaRead.pending;
            else if (const qsizetype pruned = line.indexOf(" events pruned. New size: "); pruned >= 0)
                // Orca prunes its queue before adding the event that found it flooded.
                m_orcaRead.pending = line.mid(pruned + 26).trimmed().toInt() + 1;
        }
        m_orcaRead.rest.remove(0, end + 1);
    }

    // What Orca said, in order ("SPEECH OUTPUT" lines of its log).
    QStringList orcaSaid() const {
        readOrcaLog();
        return m_orcaRead.said;
    }

    // Waits until the app has settled from the last step: it answers a call on the bus (its
    // event loop is free) and has sent no event for `quietMs`. A loaded machine makes this take
    // longer; a minute at most.
    void appSettled(int quietMs = 300) {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            (void)atspi_accessible_get_child_count(m_application.get(), nullptr);
            dispatchQueuedEvents();
            if (!g_lastEvent.isValid() || g_lastEvent.elapsed() >= quietMs)
                return;
            if (clock.elapsed() > 60000) {
                std::printf("The app did not settle in a minute; its last events: %s\n",
                            qPrintable(g_events.mid(g_events.size() - 6).join(u" / "_qs)));
                return;
            }
            QTest::qWait(50);
        }
    }

    // Waits until Orca, where it runs, has caught up: every event it queued handled and its log
    // quiet for `quietMs` (quiet for three seconds, whatever its count says), a minute at most.
    // Returns how many things it had said by then.
    qsizetype orcaSettled(int quietMs = 300) {
        if (m_orcaLog.isEmpty())
            return 0;
        const auto settled = [&] {
            readOrcaLog();
            const qint64 quiet = m_orcaRead.grown.isValid() ? m_orcaRead.grown.elapsed() : quietMs;
            return (m_orcaRead.pending <= 0 && quiet >= quietMs) || quiet >= 3000;
        };
        if (!QTest::qWaitFor(settled, 60000))
            std::printf("Orca did not settle in a minute (%d events queued)\n", m_orcaRead.pending);
        return m_orcaRead.said.size();
    }

    // The app and Orca have settled from the last step: what comes next is read after what came
    // before, as a user who waits for the reader hears it.
    void settle() {
        appSettled();
        orcaSettled();
    }

    // Presses and releases a key, once the app and Orca have settled. Sent while Orca still works
    // through the last step, a key reaches it late (the app's bridge waits a tenth of a second
    // for it, then hands the key on anyway): Orca then reads the focus the key brings after it
    // has moved on, or drops what the app says in the meantime.
    void pressKey(uint keysym) {
        settle();
        atspi_generate_keyboard_event(keysym, nullptr, ATSPI_KEY_SYM, nullptr);
    }

    // Starts openbox on the display, as on a desktop, and waits until it manages the screen.
    void startWindowManager() {
        const QString openbox = QStandardPaths::findExecutable(QStringLiteral("openbox"));
        if (openbox.isEmpty()) {
            std::printf("No window manager (openbox is not installed): nothing activates the windows.\n");
            return;
        }
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_runtime.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_runtime.filePath(QStringLiteral("config")));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), m_runtime.filePath(QStringLiteral("cache")));
        m_windowManager.setProcessEnvironment(environment);
        m_windowManager.setStandardErrorFile(QProcess::nullDevice());
        // Its start-up command runs once it manages the screen.
        m_windowManager.start(openbox, {QStringLiteral("--startup"), QStringLiteral("echo ready")});
        QByteArray said;
        QVERIFY2(QTest::qWaitFor(
                     [&] {
                         said += m_windowManager.readAllStandardOutput();
                         return said.contains("ready\n") || m_windowManager.state() == QProcess::NotRunning;
                     },
                     30000) &&
                     said.contains("ready\n"),
                 qPrintable(u"openbox did not start: "_qs + QString::fromUtf8(said)));
    }

    // Starts Orca on the private bus with a speech server that does not exist, so that what it
    // would say goes to its debug log only. Without Orca the events are read as Orca reads them.
    void startOrca() {
        const QString orca = QStandardPaths::findExecutable(QStringLiteral("orca"));
        if (orca.isEmpty()) {
            std::printf("Orca is not installed: changed values are checked on the bus only.\n");
            return;
        }
        const QString prefs = m_runtime.filePath(QStringLiteral("orca"));
        QDir().mkpath(prefs);
        QFile settings(prefs + QStringLiteral("/user-settings.conf"));
        QVERIFY(settings.open(QIODevice::WriteOnly));
        settings.write(R"({"general": {"speechServerFactory": "orca.no_speech_server", "enableSpeech": true},
 "profiles": {"default": {"profile": ["Default", "default"],
  "speechServerFactory": "orca.no_speech_server"}}, "keybindings": {}, "pronunciations": {}})");
        settings.close();
        const QString log = m_runtime.filePath(QStringLiteral("orca.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_runtime.path());
        environment.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        environment.insert(QStringLiteral("SPEECHD_ADDRESS"),
                           QStringLiteral("unix_socket:") + m_runtime.filePath(QStringLiteral("no-speech")));
        m_orca.setProcessEnvironment(environment);
        m_orca.setStandardOutputFile(QProcess::nullDevice());
        m_orca.setStandardErrorFile(QProcess::nullDevice());
        const QStringList arguments{QStringLiteral("-u"), prefs, QStringLiteral("--debug-file"), log};
        // Orca, a Python program, writes its log in blocks of several kilobytes, so what it said
        // can wait there until it says more; and it refuses to start while another Orca of the
        // same user runs (another walk on this machine, on a bus of its own). Started through a
        // few lines of Python, the same Orca writes each line as it goes and runs beside others.
        // The interpreter Orca names on its first line, whatever python3 comes first on the path.
        QString python;
        if (QFile script(orca); script.open(QIODevice::ReadOnly)) {
            const QStringList words = QString::fromUtf8(script.readLine()).simplified().split(u' ');
            if (words.first().startsWith(u"#!"_qs))
                python = words.first().mid(2).endsWith(u"/env"_qs)
                             ? QStandardPaths::findExecutable(words.value(1))
                             : words.first().mid(2);
        }
        QFile launcher(m_runtime.filePath(QStringLiteral("orca-launcher.py")));
        if (!python.isEmpty() && launcher.open(QIODevice::WriteOnly)) {
            launcher.write(R"(import builtins, runpy, sys
orca, log = sys.argv[1], sys.argv[2]
sys.argv = [orca] + sys.argv[3:]
plain_open = builtins.open
def open_by_line(file, mode="r", buffering=-1, *args, **kwargs):
    if file == log and "w" in mode:
        buffering = 1
    return plain_open(file, mode, buffering, *args, **kwargs)
builtins.open = open_by_line
script = runpy.run_path(orca, run_name="orca_launcher")
script["main"].__globals__["otherOrcas"] = lambda: []
sys.exit(script["main"]())
)");
            launcher.close();
            m_orca.start(python, QStringList{launcher.fileName(), orca, log} + arguments);
            m_orcaLineByLine = true;
        } else {
            m_orca.start(orca, arguments);
        }
        m_orcaLog = log;
        if (!m_orca.waitForStarted() ||
            !QTest::qWaitFor([&] { return orcaSaid().join(u' ').contains(u"Screen reader on"_qs); }, 60000)) {
            std::printf("Orca did not start: changed values are checked on the bus only.\n");
            m_orcaLog.clear();
        }
    }

    // A changed value reaches the reader: a notification holding it comes into view (the event
    // Orca presents whatever has the focus), and Orca, where it runs, says it. Orca on a busy
    // machine can lag or drop an event now and then: what it misses is noted, and the walk fails
    // only when it hears none of them.
    void verifySaid(const QString& text) {
        const QString event = QStringLiteral("object:state-changed:showing|%1|1").arg(text);
        QTRY_VERIFY2(g_events.contains(event), qPrintable(text + u'\n' + g_events.join(u'\n')));
        if (m_orcaLog.isEmpty())
            return;
        const QString heard = u"notification "_qs + text;
        if (QTest::qWaitFor([&] { return orcaSaid().join(u'\n').contains(heard, Qt::CaseInsensitive); },
                            30000)) {
            m_orcaHeard << text;
        } else {
            m_orcaMissed << text;
            std::printf("Orca did not say \"%s\"; its last words: %s\n", qPrintable(heard),
                        qPrintable(orcaSaid().mid(orcaSaid().size() - 4).join(u" / "_qs)));
        }
    }

    // Waits for Orca, where it runs, to say each of `phrases` in this order, after the first `from`
    // things it said. Where Orca writes its log in blocks, a Shift tapped now and then, which it
    // logs, pushes out what waits.
    bool orcaSays(const QStringList& phrases, qsizetype from) {
        if (m_orcaLog.isEmpty())
            return true;
        QElapsedTimer clock;
        clock.start();
        const bool said = QTest::qWaitFor(
            [&] {
                const QStringList lines = orcaSaid().mid(from);
                qsizetype at = 0;
                for (const QString& phrase : phrases) {
                    while (at < lines.size() && !lines.at(at).contains(phrase, Qt::CaseInsensitive))
                        ++at;
                    if (at++ >= lines.size()) {
                        if (!m_orcaLineByLine && clock.elapsed() > 2000) {
                            atspi_generate_keyboard_event(0xffe1 /* Shift */, nullptr, ATSPI_KEY_SYM,
                                                          nullptr);
                            clock.restart();
                        }
                        return false;
                    }
                }
                return true;
            },
            40000);
        if (!said)
            std::printf("Orca did not say: %s; its last words: %s\n", qPrintable(phrases.join(u" / "_qs)),
                        qPrintable(orcaSaid().mid(from).join(u" / "_qs)));
        return said;
    }

    // The nodes over every window (or under `root`) whose role is `role`.
    QList<Node> allOf(AtspiRole role, const Node& root = {}) {
        QList<Node> found;
        for (const Node& top : root ? QList<Node>{root} : windows())
            walk(top, [&](const Node& node, int) {
                if (atspi_accessible_get_role(node.get(), nullptr) == role && has(node, ATSPI_STATE_SHOWING))
                    found << node;
            });
        return found;
    }

    // What `act` ends in is said once: exactly one notification comes into view on the bus, and
    // it starts with `outcome` (no second one, no empty one). Returns what was said; Orca's
    // speech is checked afterwards (orcaSaidEachOnce), as it lags behind on a busy machine. The
    // act starts once the app and Orca have settled from the last step.
    QString saidOnce(const QString& outcome, const std::function<void()>& act, int timeoutMs = 30000) {
        settle();
        g_notes.clear();
        const qsizetype from = g_events.size();
        act();
        // What was said, and on a failure what came into view meanwhile.
        const auto said = [&]() -> QString {
            QStringList shown;
            for (const QString& event : g_events.mid(from))
                if (event.startsWith(u"object:state-changed:showing|"_qs) && event.endsWith(u"|1"_qs))
                    shown << event.section(u'|', 1, 1);
            return g_notes.join(u" / "_qs) + u" (shown: "_qs + shown.join(u" / "_qs) + u"; last events: "_qs +
                   g_events.mid(std::max(from, g_events.size() - 12)).join(u" / "_qs) + u')';
        };
        if (!QTest::qWaitFor([&] { return !g_notes.isEmpty(); }, timeoutMs) ||
            !g_notes.first().startsWith(outcome)) {
            QTest::qFail(qPrintable(outcome + u": said "_qs + said()), __FILE__, __LINE__);
            return {};
        }
        appSettled(1000); // nothing more follows
        if (g_notes.size() != 1) {
            QTest::qFail(qPrintable(outcome + u": said "_qs + said()), __FILE__, __LINE__);
            return {};
        }
        m_outcomes << g_notes.first();
        return g_notes.first();
    }

    // Orca, where it runs, said each outcome since its log held `from` lines once, and said no
    // empty notification. One it has not said yet is noted as missed (see verifySaid).
    void orcaSaidEachOnce(qsizetype from) {
        if (m_orcaLog.isEmpty() || m_outcomes.isEmpty())
            return;
        const auto key = [](QString text) {
            text = text.section(u"'{"_qs, 0, 0).trimmed();
            while (text.endsWith(u'.'))
                text.chop(1);
            return text;
        };
        const auto notes = [&] {
            QStringList said;
            for (const QString& line : orcaSaid().mid(from))
                if (line.startsWith(u"notification"_qs, Qt::CaseInsensitive))
                    said << key(line);
            return said;
        };
        (void)QTest::qWaitFor([&] { return notes().contains(u"notification "_qs + key(m_outcomes.last())); },
                              30000);
        const QStringList said = notes();
        QVERIFY2(!said.contains(u"notification"_qs),
                 qPrintable(u"an empty notification: "_qs + said.join(u" / "_qs)));
        for (const QString& text : std::as_const(m_outcomes)) {
            const qsizetype times = said.count(u"notification "_qs + key(text));
            QVERIFY2(times <= 1,
                     qPrintable(QStringLiteral("Orca said \"%1\" %2 times").arg(text).arg(times)));
            (times == 1 ? m_orcaHeard : m_orcaMissed) << text;
            std::printf("Orca said \"%s\" %d time(s).\n", qPrintable(text), int(times));
        }
    }

    // The text is a stop: it takes the focus, and Orca, where it runs, says it (its first words).
    void focusAndHear(const Node& text, const QString& words) {
        const qsizetype from = orcaSaid().size();
        QVERIFY2(text && doAction(text, QStringLiteral("SetFocus")), qPrintable(words));
        QTRY_VERIFY2(has(text, ATSPI_STATE_FOCUSED), qPrintable(words));
        QVERIFY(orcaSays({words}, from));
    }

    // Moves the focus to `control` and waits until Orca, where it runs, has said it, so what it
    // says next follows the focus. Returns how many things Orca had said by then.
    qsizetype focusHeard(const Node& control) {
        const qsizetype before = orcaSaid().size();
        if (!doAction(control, QStringLiteral("SetFocus")) ||
            !QTest::qWaitFor([&] { return has(control, ATSPI_STATE_FOCUSED); }, 30000))
            QTest::qFail(qPrintable(nameOf(control) + u" took no focus"_qs), __FILE__, __LINE__);
        (void)orcaSays({nameOf(control)}, before);
        return orcaSaid().size();
    }

    // Waits until Orca, where it runs, has handled what came and said nothing new for a second
    // and a half. Returns how many things it had said by then.
    qsizetype orcaQuiet() { return orcaSettled(1500); }

    // Orca, where it runs, says an outcome of the dialog `dialog` as a notification on its own,
    // before anything else of the dialog: not after the dialog's name and texts read again, and
    // the outcome not heard before it. It is counted with the others in orcaSaidEachOnce.
    void orcaSaidFirst(const QString& outcome, const QString& dialog, qsizetype from) {
        const QString note = u"notification "_qs + outcome;
        if (m_orcaLog.isEmpty() || outcome.isEmpty() || !orcaSays({note}, from))
            return;
        const QStringList lines = orcaSaid().mid(from);
        for (const QString& line : lines) {
            if (line.startsWith(note, Qt::CaseInsensitive))
                return;
            QVERIFY2(!line.contains(dialog + u" dialog"_qs, Qt::CaseInsensitive) &&
                         !line.contains(outcome, Qt::CaseInsensitive),
                     qPrintable(outcome + u": Orca said before it: "_qs + lines.join(u" / "_qs)));
        }
        QFAIL(qPrintable(outcome + u": Orca said it after other words: "_qs + lines.join(u" / "_qs)));
    }

    // A value picked from the menu of the control Orca calls `control` is said once, as a note
    // once the focus is back on the control (Orca reads the control there too), without the
    // dialog `dialog` read again. `from` is where Orca's log stood.
    void valueHeardWithFocus(const QString& control, const QString& value, const QString& dialog,
                             qsizetype from) {
        QTRY_VERIFY_WITH_TIMEOUT(!g_notes.isEmpty(), 30000);
        appSettled(1000); // nothing more follows
        QVERIFY2(g_notes == QStringList{value}, qPrintable(value + u": said "_qs + g_notes.join(u" / "_qs)));
        if (m_orcaLog.isEmpty())
            return;
        const auto said = [&] { return orcaSaid().mid(from).join(u" / "_qs); };
        if (!orcaSays({u"notification "_qs + value}, from)) {
            m_orcaMissed << value;
            return;
        }
        orcaSettled(1500); // nothing more follows
        QVERIFY2(said().count(u"notification "_qs + value, Qt::CaseInsensitive) == 1 &&
                     !said().contains(dialog + u" dialog"_qs, Qt::CaseInsensitive),
                 qPrintable(value + u": Orca said "_qs + said()));
        m_orcaHeard << value;
        std::printf("Orca said \"%s\" once as the choice of \"%s\".\n", qPrintable(value),
                    qPrintable(control));
    }

    // The list's Help button, which opens Main Interface Help.
    Node mainInterfaceHelpButton() {
        Node button;
        for (const Node& window : windows())
            walk(window, [&](const Node& node, int) {
                if (!button && nameOf(node) == QLatin1String("Help") &&
                    descriptionOf(node) == QLatin1String("Shows help for the main interface"))
                    button = node;
            });
        return button;
    }

    // Presses `button` and waits until the menu it pops up is shown, so that a key goes to it.
    void openMenu(const Node& button) {
        const int before = g_menusShown;
        QVERIFY(doAction(button, QStringLiteral("Press")));
        if (!QTest::qWaitFor([&] { return g_menusShown > before; }, 30000))
            std::printf("No menu came into view; the last events: %s\n",
                        qPrintable(g_events.mid(g_events.size() - 8).join(u" / "_qs)));
    }

    // Presses the key `keysym` and waits until the focus is on a text whose name starts with
    // `words` (any other text where `words` is empty) and Orca, where it runs, has said it.
    // Returns the text's name.
    QString keyToTextHeard(uint keysym, const QString& words, const QString& other = QString()) {
        settle();
        const qsizetype from = orcaSaid().size();
        g_focused.reset();
        atspi_generate_keyboard_event(keysym, nullptr, ATSPI_KEY_SYM, nullptr);
        const auto reached = [&] {
            if (!g_focused || atspi_accessible_get_role(g_focused.get(), nullptr) == ATSPI_ROLE_PUSH_BUTTON)
                return false;
            const QString name = nameOf(g_focused);
            return words.isEmpty() ? !name.isEmpty() && name != other : name.startsWith(words);
        };
        if (!QTest::qWaitFor(reached, 20000)) {
            QTest::qFail(
                qPrintable(words + u": the focus is on "_qs + (g_focused ? nameOf(g_focused) : QString())),
                __FILE__, __LINE__);
            return {};
        }
        const QString name = nameOf(g_focused);
        if (!orcaSays({name.section(u'\n', 0, 0)}, from))
            QTest::qFail(qPrintable(name + u": unsaid"_qs), __FILE__, __LINE__);
        return name;
    }

    // How often Orca, where it runs, threw waiting events away for a flood (the notes among them)
    // after it had said `from` things and before it said `until`.
    int orcaFloodsBefore(const QString& until, qsizetype from) const {
        QFile log(m_orcaLog);
        int floods = 0;
        if (m_orcaLog.isEmpty() || !log.open(QIODevice::ReadOnly))
            return floods;
        qsizetype said = 0;
        for (const QByteArray& line : log.readAll().split('\n')) {
            if (line.contains("SPEECH OUTPUT: '")) {
                if (++said > from && QString::fromUtf8(line).contains(until, Qt::CaseInsensitive))
                    break;
            } else if (said >= from && line.contains("Pruning event queue due to flood")) {
                ++floods;
            }
        }
        return floods;
    }

    // Back in a window from one it opened, Orca, where it runs, says the control the focus comes
    // back to, and none of the window's texts (`text` is one of them) again.
    void backOnTheControlOnly(const QString& control, const QString& text, qsizetype from) {
        QVERIFY(orcaSays({control}, from));
        (void)orcaQuiet();
        const QStringList said = orcaSaid().mid(from);
        QVERIFY2(!said.join(u'\n').contains(text, Qt::CaseInsensitive),
                 qPrintable(u"Orca read the window again: "_qs + said.join(u" / "_qs)));
    }

    // Presses Alt with an arrow key on the focused control.
    static void altArrow(uint arrowKeysym) {
        constexpr uint altMask = 1 << ATSPI_MODIFIER_ALT;
        atspi_generate_keyboard_event(altMask, nullptr, ATSPI_KEY_LOCKMODIFIERS, nullptr);
        atspi_generate_keyboard_event(arrowKeysym, nullptr, ATSPI_KEY_SYM, nullptr);
        atspi_generate_keyboard_event(altMask, nullptr, ATSPI_KEY_UNLOCKMODIFIERS, nullptr);
    }

    // Whether `node` shows whole inside every scrolling pane around it.
    static bool wholeInView(const Node& node) {
        const QRect box = extentsOf(node);
        for (Node up = adopt(atspi_accessible_get_parent(node.get(), nullptr)); up;
             up = adopt(atspi_accessible_get_parent(up.get(), nullptr))) {
            const AtspiRole role = atspi_accessible_get_role(up.get(), nullptr);
            if ((role == ATSPI_ROLE_SCROLL_PANE || role == ATSPI_ROLE_VIEWPORT || role == ATSPI_ROLE_FRAME) &&
                !extentsOf(up).adjusted(-1, -1, 1, 1).contains(box))
                return false;
            if (role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_APPLICATION)
                break;
        }
        return !box.isEmpty();
    }

    void seedStore() {
        AppStore store = openAppStore();
        QVERIFY2(store.container, qPrintable(store.fatalError));
        auto resume = test::makeFullResume();
        QList<PortfolioItemPtr> images;
        const QList<QColor> colours{Qt::red, Qt::darkGreen, Qt::blue};
        for (int i = 0; i < colours.size(); ++i)
            images << std::make_shared<PortfolioItem>(QUuid::createUuid(), test::encodedImage(colours[i]),
                                                      QStringLiteral("Image %1").arg(i), i,
                                                      PortfolioImageOrientation::portrait);
        resume->setPortfolioItems(images);
        store.container->mainContext().insert(resume);
        const Status saved = store.container->mainContext().save();
        QVERIFY2(saved.ok(), qPrintable(saved.error()));
    }

    // The names of the app's windows, active ones marked, for a failure's message.
    QString windowNames() {
        QStringList names;
        for (const Node& window : windows())
            names << nameOf(window) + (has(window, ATSPI_STATE_ACTIVE) ? u" (active)"_qs : QString());
        return names.join(u" / "_qs);
    }

    // The app's windows, as the bridge lists them.
    QList<Node> windows() {
        atspi_accessible_clear_cache(m_application.get());
        QList<Node> result;
        for (const Node& window : childrenOf(m_application))
            if (has(window, ATSPI_STATE_SHOWING))
                result << window;
        return result;
    }

    // The first showing node (over every window, or under `root`) with this role and name.
    Node find(AtspiRole role, const QString& name, const Node& root = {}) {
        Node found;
        const auto look = [&](const Node& top) {
            walk(top, [&](const Node& node, int) {
                if (!found && atspi_accessible_get_role(node.get(), nullptr) == role &&
                    nameOf(node) == name && (role == ATSPI_ROLE_MENU_ITEM || has(node, ATSPI_STATE_SHOWING)))
                    found = node;
            });
        };
        if (root)
            look(root);
        else
            for (const Node& window : windows())
                look(window);
        return found;
    }

    Node waitFind(AtspiRole role, const QString& name, int timeoutMs = 30000) {
        Node found;
        (void)QTest::qWaitFor([&] { return bool(found = find(role, name)); }, timeoutMs);
        return found;
    }

    bool press(const QString& name, AtspiRole role = ATSPI_ROLE_PUSH_BUTTON) {
        const Node button = waitFind(role, name);
        return button && doAction(button, QStringLiteral("Press"));
    }

    // Prints one element and what it holds, and notes where it breaks the rules.
    void checkTree(const Node& node, const QString& screen, int depth, Node& focused) {
        const QString name = nameOf(node);
        const AtspiRole role = atspi_accessible_get_role(node.get(), nullptr);
        const bool showing = has(node, ATSPI_STATE_SHOWING);
        QStringList states;
        if (has(node, ATSPI_STATE_FOCUSED))
            states << QStringLiteral("focused");
        if (has(node, ATSPI_STATE_CHECKED))
            states << QStringLiteral("checked");
        if (has(node, ATSPI_STATE_SELECTED))
            states << QStringLiteral("selected");
        if (!showing)
            states << QStringLiteral("not showing");
        std::printf("%*s[%s] \"%s\" (%s) {%s} %s\n", depth * 2, "", qPrintable(roleOf(node)),
                    qPrintable(name.left(80).replace(QLatin1Char('\n'), QLatin1Char(' '))),
                    qPrintable(descriptionOf(node).left(120).replace(QLatin1Char('\n'), QLatin1Char(' '))),
                    qPrintable(states.join(u' ')), qPrintable(actionsOf(node).join(u',')));
        if (!showing || depth > 60)
            return;
        const QString where = QStringLiteral("%1: [%2] \"%3\"").arg(screen, roleOf(node), name.left(60));
        if (has(node, ATSPI_STATE_FOCUSED) && !focused)
            focused = node;

        const QList<Node> children = childrenOf(node);
        QList<Node> shown;
        for (const Node& child : children)
            if (has(child, ATSPI_STATE_SHOWING))
                shown << child;
        // Nothing shown without a name, unless it only groups others.
        if (name.isEmpty() && !isGrouping(role))
            m_faults << QStringLiteral("no name: ") + where;
        // Nothing said twice: an element does not hold a child that says its name again (a window's
        // title may stand again as its heading).
        const bool window = role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_DIALOG ||
                            role == ATSPI_ROLE_WINDOW || role == ATSPI_ROLE_ALERT;
        for (const Node& child : shown)
            if (!window && !name.isEmpty() && nameOf(child) == name)
                m_faults << QStringLiteral("said twice: ") + where;
        // Children in the order they stand on screen.
        QList<QRect> boxes;
        for (const Node& child : shown)
            boxes << extentsOf(child);
        for (qsizetype later = 1; later < shown.size(); ++later)
            for (qsizetype earlier = 0; earlier < later; ++earlier)
                if (readsBefore(boxes[later], boxes[earlier]))
                    m_faults << QStringLiteral("read out of order: \"%1\" before \"%2\" in %3")
                                    .arg(nameOf(shown[earlier]), nameOf(shown[later]), where);
        for (const Node& child : children)
            checkTree(child, screen, depth + 1, focused);
    }

    // Waits until the app has settled and the window on top stands still where it was placed.
    void windowsSettled() {
        appSettled();
        QRect last;
        (void)QTest::qWaitFor(
            [&] {
                const QList<Node> shown = windows();
                const QRect now = shown.isEmpty() ? QRect() : extentsOf(shown.last());
                const bool still = !now.isEmpty() && now == last;
                last = now;
                QTest::qWait(100);
                return still;
            },
            30000);
    }

    // Prints the tree of every showing window, holds each to the rules and checks the focus of a
    // window opened on top of the others.
    void dumpScreen(const QString& screen) {
        windowsSettled(); // a sheet fades in and is placed
        const QList<Node> shown = windows();
        std::printf("=== %s\n", qPrintable(screen));
        m_screens << screen;
        for (const Node& window : shown) {
            Node focused;
            checkTree(window, screen, 0, focused);
            // A window of texts (a help sheet, Help, About): every text is a stop a reader reaches.
            const QString title = nameOf(window);
            if (window == shown.last() && (title.contains(u"Help"_qs) || title == u"About Quillora"_qs))
                for (const AtspiRole role : {ATSPI_ROLE_LABEL, ATSPI_ROLE_HEADING})
                    for (const Node& text : allOf(role, window))
                        if (!has(text, ATSPI_STATE_FOCUSABLE))
                            m_faults << QStringLiteral("%1: text no stop reaches: \"%2\"")
                                            .arg(screen, nameOf(text));
            if (window == shown.last() && shown.size() > 1 && focused && nameOf(focused).isEmpty())
                m_badFocus << QStringLiteral("%1: [%2]").arg(screen, roleOf(focused));
        }
        std::fflush(stdout);
    }

    // Closes the window on top (or a popup in it) through its Close button, its Cancel or Done, or
    // Escape, and waits until it has gone.
    void closeTop() {
        const int before = int(windows().size());
        const Node top = windows().last();
        Node button;
        for (const QString& name :
             {QStringLiteral("Close"), QStringLiteral("Cancel"), QStringLiteral("Done")})
            if (!button)
                button = find(ATSPI_ROLE_PUSH_BUTTON, name, top);
        if (button)
            doAction(button, QStringLiteral("Press"));
        else
            pressKey(0xff1b /* Escape */);
        // A popup in the main window closes with its button.
        const bool popup = before == 1 && button;
        if (!QTest::qWaitFor(
                [&] { return popup ? !has(button, ATSPI_STATE_SHOWING) : windows().size() < before; }, 30000))
            std::printf("\"%s\" did not close; the windows: %s\n", qPrintable(nameOf(top)),
                        qPrintable(windowNames()));
    }

    // Presses, one by one, every button of the window on top that says it opens or shows
    // something, or that removes an entry (which asks first); every window that comes up is held
    // to the rules, walked the same way and closed. A screen added later is walked with the rest.
    void explore(const QString& path, int depth) {
        const Node top = windows().last();
        QList<Node> openers;
        walk(top, [&](const Node& node, int) {
            const QString hint = descriptionOf(node);
            if (atspi_accessible_get_role(node.get(), nullptr) == ATSPI_ROLE_PUSH_BUTTON &&
                has(node, ATSPI_STATE_SHOWING) && has(node, ATSPI_STATE_ENABLED) &&
                (hint.startsWith(QLatin1String("Opens ")) || hint.startsWith(QLatin1String("Shows ")) ||
                 hint.startsWith(QLatin1String("Removes this "))))
                openers << node;
        });
        for (const Node& opener : std::as_const(openers)) {
            const QString screen = path + QStringLiteral(" › ") + nameOf(opener);
            if (m_explored.contains(screen) || !has(opener, ATSPI_STATE_SHOWING))
                continue;
            m_explored << screen;
            const qsizetype before = windows().size();
            const bool hadCancel = bool(find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Cancel"), top));
            QVERIFY2(doAction(opener, QStringLiteral("Press")), qPrintable(screen));
            // A window comes up, or a popup in the same window with a Cancel of its own; or the app
            // settles with neither (a file handed to another program).
            QElapsedTimer pressed;
            pressed.start();
            (void)QTest::qWaitFor(
                [&] {
                    if (windows().size() > before ||
                        (!hadCancel && find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Cancel"), top)))
                        return true;
                    return pressed.elapsed() > 1500 && g_lastEvent.elapsed() > 1500;
                },
                30000);
            if (windows().size() <= before) {
                // An overlay in the same window (a popup) is walked there and closed by its Cancel.
                dumpScreen(screen);
                if (const Node cancel = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Cancel"), top);
                    cancel && !hadCancel)
                    doAction(cancel, QStringLiteral("Press"));
                continue;
            }
            dumpScreen(screen);
            if (depth < 2)
                explore(screen, depth + 1);
            closeTop();
            QTRY_VERIFY2(windows().size() == before,
                         qPrintable(screen + u" did not close; the windows: "_qs + windowNames()));
        }
    }

    void visit(const QString& button, const QString& screen) {
        QVERIFY2(press(button), qPrintable(QStringLiteral("no button \"%1\"").arg(button)));
        dumpScreen(screen);
        closeTop();
    }

private slots:
    void initTestCase() {
        const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfb.isEmpty())
            QSKIP("No display server: Xvfb is not installed.");
        // On a busy machine a server can be slow to answer or lose the race for a display number:
        // it is given time, its socket is waited for, and a failed start is tried again.
        QString display;
        QString failure;
        for (int attempt = 0; attempt < 3 && display.isEmpty(); ++attempt) {
            if (m_display.state() != QProcess::NotRunning) {
                m_display.kill();
                m_display.waitForFinished(5000);
            }
            m_display.start(xvfb,
                            {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                             QStringLiteral("0"), QStringLiteral("1366x768x24"), QStringLiteral("-nolisten"),
                             QStringLiteral("tcp"), QStringLiteral("-noreset")});
            const QString number = readLine(m_display, 30000);
            const QString socket = QStringLiteral("/tmp/.X11-unix/X") + number;
            if (!number.isEmpty() &&
                QTest::qWaitFor(
                    [&] { return QFileInfo::exists(socket) || m_display.state() != QProcess::Running; },
                    10000) &&
                m_display.state() == QProcess::Running)
                display = number;
            else
                failure = QString::fromUtf8(m_display.readAllStandardError()).trimmed();
        }
        if (display.isEmpty())
            QSKIP(qPrintable(QStringLiteral("No display server: Xvfb did not start (%1).").arg(failure)));
        qputenv("DISPLAY", (u':' + display).toUtf8());
        startWindowManager();
        if (QTest::currentTestFailed())
            return;

        // The session bus; the accessibility bus and its registry start on it when asked for.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtime.path());
        m_bus.setProcessEnvironment(environment);
        m_bus.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"),
                                                    QStringLiteral("--print-address=1")});
        const QString address = readLine(m_bus, test::patientWaitMs);
        QVERIFY2(!address.isEmpty(), "dbus-daemon did not start");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toUtf8());
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toUtf8());
        qunsetenv("AT_SPI_BUS_ADDRESS");

        seedStore();
        startOrca();
        // Buttons that hand a file or a page to another program (a viewer, a browser, the file
        // manager) are pressed in the walk: the program that would open it does nothing here.
        const QString tools = m_runtime.filePath(QStringLiteral("bin"));
        QDir().mkpath(tools);
        QFile opener(tools + QStringLiteral("/xdg-open"));
        QVERIFY(opener.open(QIODevice::WriteOnly));
        opener.write("#!/bin/sh\nexit 0\n");
        opener.close();
        opener.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PATH"), tools + u':' + environment.value(QStringLiteral("PATH")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        environment.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        m_server = std::make_unique<test::LoopbackHttpServer>();
        environment.insert(QString::fromLatin1(OpenAIClient::baseURLVariable), m_server->baseURL());
        m_app.setProcessChannelMode(QProcess::ForwardedChannels);
        connect(&m_app, &QProcess::finished, this, [](int code, QProcess::ExitStatus status) {
            std::printf("The app ended (%s %d).\n",
                        status == QProcess::CrashExit ? "crashed, signal" : "exit code", code);
        });
        m_app.setProcessEnvironment(environment);
        m_app.start(QStringLiteral(QUILLORA_APP_BINARY), {});
        QVERIFY(m_app.waitForStarted());

        QCOMPARE(atspi_init(), 0);
        // The app can be busy for longer than libatspi's default wait of 800 ms (building the
        // editor while Orca asks it too): a call that gives up then would lose the event it reads.
        atspi_set_timeout(20000, 30000);
        auto* dispatcher = new QTimer(this);
        connect(dispatcher, &QTimer::timeout, this, &dispatchQueuedEvents);
        dispatcher->start(50);
        AtspiEventListener* listener = atspi_event_listener_new_simple(record, nullptr);
        for (const char* type : {"object:state-changed", "object:property-change"})
            atspi_event_listener_register(listener, type, nullptr);
        const Node desktop = adopt(atspi_get_desktop(0));
        const auto appeared = [&] {
            for (const Node& app : childrenOf(desktop))
                if (nameOf(app) == QLatin1String("Quillora"))
                    m_application = app;
            return bool(m_application) && !windows().isEmpty();
        };
        (void)QTest::qWaitFor(appeared, 30000);
        if (!m_application && m_app.state() != QProcess::Running) {
            // Started before the display or the bus was ready for it: once more.
            m_app.start(QStringLiteral(QUILLORA_APP_BINARY), {});
            QVERIFY(m_app.waitForStarted());
            (void)QTest::qWaitFor(appeared, 30000);
        }
        QVERIFY2(m_application, "the app never appeared on the accessibility bus");
        atspi_accessible_set_cache_mask(m_application.get(), ATSPI_CACHE_NONE);
    }

    void cleanupTestCase() {
        // The logs of a failed run (Orca's among them) stay for a look when asked for.
        m_runtime.setAutoRemove(qEnvironmentVariableIsEmpty("QUILLORA_KEEP_TEST_RUNTIME"));
        if (!m_runtime.autoRemove())
            std::printf("Runtime folder kept: %s\n", qPrintable(m_runtime.path()));
        if (m_app.state() == QProcess::Running) {
            ::kill(pid_t(m_app.processId()), SIGTERM);
            m_app.waitForFinished(20000);
        }
        for (QProcess* process : {&m_orca, &m_bus, &m_windowManager, &m_display})
            if (process->state() == QProcess::Running) {
                process->terminate();
                process->waitForFinished(5000);
            }
    }

    // The row of the list that has the focus, named, once the list has it with its window active.
    Node focusedRow() {
        const Node list = waitFind(ATSPI_ROLE_LIST, QStringLiteral("Résumés"), 20000);
        if (!list || !QTest::qWaitFor([&] { return has(windows().first(), ATSPI_STATE_ACTIVE); }, 30000) ||
            !QTest::qWaitFor([&] { return has(list, ATSPI_STATE_FOCUSED); }, 30000)) {
            std::printf("The list (%s) has no focus in an active window; the windows: %s\n",
                        list ? "found" : "not found", qPrintable(windowNames()));
            return {};
        }
        Node row;
        (void)QTest::qWaitFor(
            [&] {
                for (const Node& child : childrenOf(list))
                    if (has(child, ATSPI_STATE_FOCUSED) && !nameOf(child).isEmpty())
                        row = child;
                return bool(row);
            },
            30000);
        return row;
    }

    // At launch the list's focus is on a row a screen reader names, not on the bare list, and Orca
    // says it; Cancel on Delete Résumé (asked with the Delete key) leaves the focus on a named row.
    void theListOpensOnANamedRow() {
        if (m_windowManager.state() != QProcess::Running)
            QSKIP("No window manager: nothing activates the window, and nothing in it has the focus.");
        Node row = focusedRow();
        QVERIFY2(row, "no named row has the focus");
        QVERIFY(orcaSays({nameOf(row)}, 0));
        const qsizetype said = orcaSaid().size();
        const qsizetype before = windows().size();
        pressKey(0xffff /* Delete */);
        QTRY_VERIFY(windows().size() > before);
        // Cancel once the alert has been heard, as a user does; then the row is said again.
        QVERIFY(orcaSays({u"Delete Résumé"_qs}, said));
        const qsizetype heard = orcaSaid().size();
        const Node cancel = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Cancel"));
        QVERIFY(cancel && doAction(cancel, QStringLiteral("Press")));
        QTRY_COMPARE(windows().size(), before);
        row = focusedRow();
        QVERIFY2(row, "no named row has the focus after Cancel");
        QVERIFY(orcaSays({nameOf(row)}, heard));
    }

    void listAndItsSheets() {
        // The list, once the intro has played.
        const Node list = waitFind(ATSPI_ROLE_LIST, QStringLiteral("Résumés"), 20000);
        QVERIFY(list);
        dumpScreen(QStringLiteral("main window"));
        QCOMPARE(nameOf(windows().first()), QStringLiteral("Quillora"));

        // The tip's title and text are stops, each read once.
        focusAndHear(find(ATSPI_ROLE_LABEL, QStringLiteral("Welcome to Quillora")),
                     u"Welcome to Quillora"_qs);
        Node tipText;
        for (const Node& text : allOf(ATSPI_ROLE_LABEL))
            if (nameOf(text).startsWith(u"Welcome to Quillora, your personal"_qs))
                tipText = text;
        focusAndHear(tipText, u"your personal résumé builder"_qs);

        // The help sheet opens on its title; Tab reads on, heading and bullet (each sheet's texts are
        // held to be stops as the sheets are walked).
        qsizetype from = orcaSaid().size();
        QVERIFY(press(QStringLiteral("Help")));
        dumpScreen(QStringLiteral("help sheet"));
        const Node sheetTitle = find(ATSPI_ROLE_HEADING, QStringLiteral("Main Interface Help"));
        QVERIFY(sheetTitle);
        QTRY_VERIFY(has(sheetTitle, ATSPI_STATE_FOCUSED));
        QVERIFY(orcaSays({u"Main Interface Help"_qs}, from));
        settle();
        g_focused.reset();
        pressKey(0xff09 /* Tab */);
        QTRY_VERIFY(g_focused);
        pressKey(0xff09 /* Tab */);
        const QString bullet = u"Résumés are sorted by most recently edited"_qs;
        QTRY_VERIFY(g_focused && nameOf(g_focused).startsWith(bullet));
        QVERIFY(orcaSays({bullet}, from));
        const Node addKey = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Add OpenAI API Key"));
        QVERIFY(addKey && doAction(addKey, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(addKey, ATSPI_STATE_FOCUSED));
        const qsizetype beforePrompt = windows().size();
        from = orcaSaid().size();
        QVERIFY(doAction(addKey, QStringLiteral("Press")));
        QTRY_VERIFY(windows().size() > beforePrompt);
        dumpScreen(QStringLiteral("key prompt"));
        // It holds the keys, and says so; the window under it does not.
        QVERIFY(has(windows().last(), ATSPI_STATE_MODAL));
        QVERIFY(!has(windows().first(), ATSPI_STATE_MODAL));
        // Heard as it opens: its name, what it is for, then its field.
        QVERIFY(orcaSays({u"Add OpenAI API Key frame"_qs,
                          u"Your key is stored on this device and will be used for all AI features"_qs,
                          u"Add OpenAI API Key text"_qs},
                         from));
        from = orcaSaid().size();
        closeTop();
        backOnTheControlOnly(u"Add OpenAI API Key push button"_qs, bullet, from);
        closeTop();
        visit(QStringLiteral("Choose background"), QStringLiteral("background picker"));
        from = orcaSaid().size();
        QVERIFY(press(QStringLiteral("About Quillora"), ATSPI_ROLE_MENU_ITEM));
        dumpScreen(QStringLiteral("About"));
        // It opens on its name; Tab reads the version and the tagline.
        QTRY_VERIFY(g_focused && nameOf(g_focused) == u"Quillora"_qs);
        pressKey(0xff09 /* Tab */);
        QTRY_VERIFY(g_focused && nameOf(g_focused).startsWith(u"Version "_qs));
        const QString version = nameOf(g_focused);
        QVERIFY(orcaSays({version}, from)); // heard before the next Tab moves on
        pressKey(0xff09 /* Tab */);
        QVERIFY(orcaSays({version, u"Creative resume building for expressive professionals."_qs}, from));
        closeTop();
        QVERIFY(press(QStringLiteral("Quillora Help"), ATSPI_ROLE_MENU_ITEM));
        dumpScreen(QStringLiteral("Help window"));
        QVERIFY(find(ATSPI_ROLE_HEADING, QStringLiteral("Quillora Help")));
        closeTop();
    }

    // The Help window opens on its title, the one heading, which Orca reads; Tab reads on.
    void helpWindowIsReadByKeyboard() {
        const qsizetype from = orcaSaid().size();
        QVERIFY(press(QStringLiteral("Quillora Help"), ATSPI_ROLE_MENU_ITEM));
        Node title;
        QVERIFY(QTest::qWaitFor(
            [&] {
                title = find(ATSPI_ROLE_HEADING, QStringLiteral("Quillora Help"));
                return title && has(title, ATSPI_STATE_FOCUSED);
            },
            10000));
        const QList<Node> headings = allOf(ATSPI_ROLE_HEADING, windows().last());
        QCOMPARE(headings.size(), 1);
        QVERIFY(orcaSays({u"Quillora Help heading"_qs}, from));
        const QString subtitle =
            u"Quick guidance for creating, editing, styling, and exporting your resumes."_qs;
        pressKey(0xff09 /* Tab */);
        QTRY_VERIFY(has(find(ATSPI_ROLE_LABEL, subtitle), ATSPI_STATE_FOCUSED));
        QVERIFY(orcaSays({subtitle}, from));
        closeTop();
    }

    // Opening a filled résumé with Return is heard, and so is where a Tab at once puts the focus:
    // the editor reaches the reader as a few events, not one for each of its widgets (a flooded
    // Orca dropped both).
    void openingAFilledResumeIsHeardWithTheNextFocus() {
        if (m_windowManager.state() != QProcess::Running)
            QSKIP("No window manager: nothing activates the window, and nothing in it has the focus.");
        const Node list = waitFind(ATSPI_ROLE_LIST, QStringLiteral("Résumés"));
        QVERIFY(list && doAction(list, QStringLiteral("SetFocus")));
        const Node row = focusedRow();
        QVERIFY2(row, "no named row has the focus");
        const QString outcome = u"Opened “"_qs + nameOf(row).section(u", "_qs, 0, 0) + u"”."_qs;
        settle();
        const qsizetype said = orcaSaid().size();
        const qsizetype from = g_events.size();
        g_notes.clear();
        g_focused.reset();
        atspi_generate_keyboard_event(0xff0d /* Return */, nullptr, ATSPI_KEY_SYM, nullptr);
        // The Tab follows as soon as the app has begun to open the résumé.
        QTRY_VERIFY(g_events.size() > from);
        atspi_generate_keyboard_event(0xff09 /* Tab */, nullptr, ATSPI_KEY_SYM, nullptr);
        QTRY_VERIFY2(g_notes.contains(outcome), qPrintable(g_notes.join(u" / "_qs)));
        QTRY_VERIFY(g_focused && !nameOf(g_focused).isEmpty() && nameOf(g_focused) != nameOf(row));
        appSettled(1000); // nothing more follows
        QCOMPARE(g_notes.count(outcome), 1);
        const qsizetype events = g_events.size() - from;
        std::printf("Opening a filled résumé and a Tab: %d events on the bus.\n", int(events));
        QVERIFY2(events < 60, qPrintable(g_events.mid(from).join(u'\n')));
        QVERIFY(orcaSays({u"notification "_qs + outcome}, said));
        QVERIFY(orcaSays({nameOf(g_focused)}, said));
    }

    void editorAndItsScreens() {
        // Opening a résumé from the list: the row's first action.
        const Node row = waitFind(ATSPI_ROLE_LIST_ITEM, QStringLiteral("Design Résumé, Zoë Ångström"));
        QVERIFY(row);
        const QStringList rowActions = actionsOf(row);
        if (rowActions.value(0) != QLatin1String("Press"))
            QSKIP(qPrintable(QStringLiteral("The list row has no \"Press\" action (it has: %1).")
                                 .arg(rowActions.join(u','))));
        QVERIFY(doAction(row, QStringLiteral("Press")));
        QVERIFY(waitFind(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")));
        dumpScreen(QStringLiteral("editor"));

        // Headings of the section cards and of the cover letter and ATS cards.
        QStringList headings;
        for (const Node& window : windows())
            walk(window, [&](const Node& node, int) {
                if (atspi_accessible_get_role(node.get(), nullptr) == ATSPI_ROLE_HEADING)
                    headings << nameOf(node);
            });
        for (const char* heading : {"Skills", "Portfolio", "ATS Version", "Job Posting", "Inserted Keywords"})
            QVERIFY2(headings.contains(QLatin1String(heading)), heading);
        // The captions beside a control are heard with it: the AI backend with the text it
        // refines, how the ATS rewrite works with its button.
        const Node summaryText = find(ATSPI_ROLE_TEXT, QStringLiteral("Summary"));
        QVERIFY(summaryText);
        QVERIFY2(descriptionOf(summaryText).contains(u". AI Backend: "_qs),
                 qPrintable(descriptionOf(summaryText)));
        QVERIFY(!find(ATSPI_ROLE_LABEL, QStringLiteral("AI Backend:")));
        Node rewrite;
        for (const Node& button : allOf(ATSPI_ROLE_PUSH_BUTTON))
            if (descriptionOf(button).startsWith(u"Generates ATS-optimized resume content"_qs))
                rewrite = button;
        QVERIFY(rewrite);
        QVERIFY2(descriptionOf(rewrite).contains(u"Conservative rewrite: only supported keywords"_qs),
                 qPrintable(descriptionOf(rewrite)));

        // Values read after the hint: the font, the image orientation, the last ATS run.
        const Node font = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Font style"));
        QVERIFY(font);
        QVERIFY2(descriptionOf(font).endsWith(QLatin1String("Avenir Next")), qPrintable(descriptionOf(font)));
        // A text is read by its name alone: its value ends the name.
        Node generated;
        for (const Node& text : allOf(ATSPI_ROLE_LABEL))
            if (nameOf(text).startsWith(u"ATS version last generated, "_qs))
                generated = text;
        QVERIFY(generated);
        QVERIFY2(nameOf(generated).contains(QLatin1String("2025")), qPrintable(nameOf(generated)));
        const Node captions = find(ATSPI_ROLE_CHECK_BOX, QStringLiteral("Edit Captions"));
        QVERIFY(captions && doAction(captions, QStringLiteral("Toggle")));
        const Node orientation =
            waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Toggle image orientation for image 1"));
        QVERIFY(orientation);
        QVERIFY2(descriptionOf(orientation).endsWith(QLatin1String("Portrait")),
                 qPrintable(descriptionOf(orientation)));
        // A value button takes the focus through the bridge, and its new value is said as a
        // notification (the changed description alone reaches no reader's speech).
        QVERIFY(doAction(orientation, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(orientation, ATSPI_STATE_FOCUSED));
        settle();
        g_events.clear();
        QVERIFY(doAction(orientation, QStringLiteral("Press")));
        verifySaid(QStringLiteral("Landscape"));
        QTRY_VERIFY2(descriptionOf(orientation).endsWith(QLatin1String("Landscape")),
                     qPrintable(g_events.join(u'\n')));
        QTRY_VERIFY2(!g_events.filter(QStringLiteral("Toggle image orientation")).isEmpty(),
                     qPrintable(g_events.join(u'\n')));

        // The font picker: the chosen row is selected, and a move of the choice is announced.
        QVERIFY(doAction(font, QStringLiteral("Press")));
        const Node inter = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Inter"));
        QVERIFY(inter);
        dumpScreen(QStringLiteral("font picker"));
        QVERIFY(descriptionOf(inter).endsWith(QLatin1String("Not selected")));
        // Nothing behind the open sheet takes an action (the list still holds one résumé when the
        // app quits).
        QVERIFY(
            doAction(find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Add resume")), QStringLiteral("Press")));
        QVERIFY(doAction(inter, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(inter, ATSPI_STATE_FOCUSED));
        settle();
        g_events.clear();
        QVERIFY(doAction(inter, QStringLiteral("Press")));
        verifySaid(QStringLiteral("Inter selected."));
        QTRY_VERIFY(descriptionOf(inter).endsWith(QLatin1String(". Selected")));
        QTRY_VERIFY2(!g_events.filter(QStringLiteral("Inter")).isEmpty(), qPrintable(g_events.join(u'\n')));
        closeTop();

        // The preview: the language menu's value and its chosen row.
        QVERIFY(press(QStringLiteral("Preview & Translation")));
        const Node language = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Language"));
        QVERIFY(language);
        dumpScreen(QStringLiteral("preview"));
        // Back from its help, the preview says its Help button, not the whole résumé again.
        const Node previewHelp = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Help"), windows().last());
        QVERIFY(previewHelp);
        const qsizetype beforeHelp = windows().size();
        qsizetype fromHelp = orcaSaid().size();
        QVERIFY(doAction(previewHelp, QStringLiteral("SetFocus")) &&
                doAction(previewHelp, QStringLiteral("Press")));
        QTRY_VERIFY(windows().size() > beforeHelp);
        // Heard, as a user hears it, before it is closed (a miss shows in the check below).
        (void)orcaSays({u"Preview & Translation Help frame"_qs}, fromHelp);
        fromHelp = orcaSaid().size();
        closeTop();
        backOnTheControlOnly(u"Help push button"_qs, u"zoe@example.com"_qs, fromHelp);
        QVERIFY2(descriptionOf(language).endsWith(QLatin1String("No language selected")),
                 qPrintable(descriptionOf(language)));
        // Copying is confirmed aloud; a language chosen from the menu is read once, with the menu's
        // button the focus comes back to.
        const Node copy = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Copy Résumé"));
        QVERIFY(copy && doAction(copy, QStringLiteral("SetFocus")));
        settle();
        g_events.clear();
        QVERIFY(doAction(copy, QStringLiteral("Press")));
        verifySaid(QStringLiteral("Copied to clipboard!"));
        QVERIFY(doAction(language, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(language, ATSPI_STATE_FOCUSED));
        // At key speed, as a user who knows the menu types: Space, Down and Return a third of a
        // second apart, each sent while Orca still reads what the one before brought. The menu
        // is heard opening, and the language chosen is heard once the focus is back.
        settle();
        const qsizetype keyed = orcaSaid().size();
        g_notes.clear();
        for (const uint keysym : {0x20u /* space */, 0xff54u /* Down */, 0xff0du /* Return */}) {
            atspi_generate_keyboard_event(keysym, nullptr, ATSPI_KEY_SYM, nullptr);
            QTest::qWait(350); // the user's pace, not a wait for the app
        }
        if (QTest::qWaitFor(
                [&] { return !descriptionOf(language).endsWith(QLatin1String("No language selected")); },
                30000)) {
            const QString value = descriptionOf(language).section(QStringLiteral(". "), -1);
            // The menu is heard as it opens, on a row, before the Return.
            QVERIFY(orcaSays({u"space"_qs, value, u"return"_qs}, keyed));
            valueHeardWithFocus(u"Language push button"_qs, value, u"Preview & Translation"_qs, keyed);
            std::printf("At key speed Orca said: %s\n", qPrintable(orcaSaid().mid(keyed).join(u" / "_qs)));
        } else {
            pressKey(0xff1b /* Escape */);
            std::printf("No language to choose here: the language menu's spoken value is not checked.\n");
        }
        // The résumé's text is reached by keys: Tab from Copy Résumé comes to its first text, the
        // name, and Down reads on to the next; Orca says each.
        QVERIFY(doAction(copy, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(copy, ATSPI_STATE_FOCUSED));
        const QString name = keyToTextHeard(0xff09 /* Tab */, u"Zoë Ångström"_qs);
        keyToTextHeard(0xff54 /* Down */, QString(), name);
        closeTop();
    }

    // The Shapes and Colors pickers are heard with their label and their choice, and a new choice
    // made with the arrows is said.
    void shapesAndColorsSayTheirChoice() {
        const Node exportATS = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Export ATS PDF"));
        if (!exportATS)
            QSKIP("The editor is not open.");
        QVERIFY(doAction(exportATS, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(exportATS, ATSPI_STATE_FOCUSED));
        const auto focusedPicker = [this] {
            for (const Node& picker : allOf(ATSPI_ROLE_COMBO_BOX))
                if (has(picker, ATSPI_STATE_FOCUSED))
                    return picker;
            return Node();
        };
        qsizetype from = orcaSettled();
        pressKey(0xff09 /* Tab */);
        QTRY_VERIFY(focusedPicker());
        Node shapes = focusedPicker();
        QCOMPARE(descriptionOf(shapes), QStringLiteral("Circles"));
        QVERIFY(orcaSays({u"Shapes combo box"_qs, u"Circles"_qs}, from));
        settle();
        g_events.clear();
        pressKey(0xff54 /* Down */);
        QTRY_COMPARE(descriptionOf(focusedPicker()), QStringLiteral("Squares"));
        verifySaid(QStringLiteral("Squares"));
        pressKey(0xff52 /* Up */);
        QTRY_COMPARE(descriptionOf(focusedPicker()), QStringLiteral("Circles"));
        from = orcaSettled();
        pressKey(0xff09 /* Tab */);
        QTRY_COMPARE(descriptionOf(focusedPicker()), QStringLiteral("Pastel"));
        QVERIFY(orcaSays({u"Colors combo box"_qs, u"Pastel"_qs}, from));
    }

    // Controls repeated for each item say which item they act on, and a reorder hint its keys.
    void namesSayWhich() {
        if (!find(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")))
            QSKIP("The editor is not open.");
        for (const char* skill : {"Sketch", "Prototyping"})
            QVERIFY2(find(ATSPI_ROLE_PUSH_BUTTON, u"Remove skill "_qs + QLatin1String(skill)), skill);
        QStringList captions;
        for (const Node& field : allOf(ATSPI_ROLE_TEXT))
            if (nameOf(field).startsWith(QLatin1String("Caption")))
                captions << nameOf(field);
        QCOMPARE(captions, (QStringList{u"Caption for image 1"_qs, u"Caption for image 2"_qs,
                                        u"Caption for image 3"_qs}));
        for (int i = 1; i <= 3; ++i)
            QVERIFY2(find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Remove portfolio image %1").arg(i)) &&
                         find(ATSPI_ROLE_PUSH_BUTTON,
                              QStringLiteral("Toggle image orientation for image %1").arg(i)),
                     qPrintable(QString::number(i)));
        for (int i = 0; i < 3; ++i) {
            const Node tile =
                find(ATSPI_ROLE_FILLER, QStringLiteral("Portfolio item %1, Image %2").arg(i + 1).arg(i));
            QVERIFY2(tile, qPrintable(QString::number(i)));
            QCOMPARE(descriptionOf(tile),
                     QStringLiteral("Drag to reorder, or press Alt+Left or Alt+Right to move it one place"));
        }
    }

    // Text set through the bridge is stored as typed text is, and rows move by their actions.
    void editsThroughTheBridge() {
        const Node title = waitFind(ATSPI_ROLE_TEXT, QStringLiteral("Title"));
        if (!title)
            QSKIP("The editor is not open.");
        AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(title.get());
        QVERIFY2(editable, "the Title field takes no text through the bridge");
        QVERIFY(atspi_editable_text_set_text_contents(editable, "Bridge Résumé", nullptr));
        g_object_unref(editable);
        QVERIFY(waitFind(ATSPI_ROLE_LIST_ITEM, QStringLiteral("Bridge Résumé, Zoë Ångström")));
        m_resumeTitle = QStringLiteral("Bridge Résumé");

        const auto order = [this](const QString& prefix) {
            QStringList names;
            for (const Node& window : windows().mid(0, 1))
                walk(window, [&](const Node& node, int) {
                    const QString name = nameOf(node);
                    if (name.startsWith(prefix) &&
                        (!prefix.isEmpty() || name.contains(QLatin1String(" to "))) &&
                        actionsOf(node).contains(QLatin1String("Move Up")))
                        names << name;
                });
            return names;
        };
        const QString image = QStringLiteral("Portfolio image, ");
        const QStringList images = order(image);
        QCOMPARE(images.size(), 3);
        const Node first = find(ATSPI_ROLE_FILLER, images.first());
        if (!first || !actionsOf(first).contains(QLatin1String("Move Down")))
            QSKIP("Portfolio images have no \"Move Down\" action.");
        QVERIFY(doAction(first, QStringLiteral("Move Down")));
        dumpScreen(QStringLiteral("editor after moving a photo")); // read in its new place at once
        appSettled(1500); // the move settles and saves; the store is read after the app quits
        const QStringList rows = order(QStringLiteral("Lead Designer, "));
        QCOMPARE(rows.size(), 1);
        const Node lead = find(ATSPI_ROLE_FILLER, rows.first());
        QVERIFY(lead && doAction(lead, QStringLiteral("Move Up")));
        dumpScreen(QStringLiteral("editor after moving an experience row"));
        appSettled(1500);
        m_moved = true;
    }

    // The sheets of the editor's actions.
    void editorSheets() {
        if (!find(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")))
            QSKIP("The editor is not open.");
        for (const char* button :
             {"Help", "Designer, Globex, 2015 to 2019", "BFA, Université de Montréal", "Sketch",
              "Export Creative PDF", "Remove from Morvessa", "Morvessa help"}) {
            const QString name = QString::fromUtf8(button);
            const Node node = find(ATSPI_ROLE_PUSH_BUTTON, name);
            const Node opener = node ? node : find(ATSPI_ROLE_FILLER, name);
            QVERIFY2(opener && doAction(opener, QStringLiteral("Press")), button);
            dumpScreen(name);
            // A link not available yet is still a stop, read as unavailable.
            if (const Node link =
                    find(ATSPI_ROLE_PUSH_BUTTON, u"Get Morvessa (coming soon)"_qs, windows().last())) {
                QVERIFY(has(link, ATSPI_STATE_FOCUSABLE) && !has(link, ATSPI_STATE_ENABLED));
                focusAndHear(link, u"Get Morvessa (coming soon)"_qs);
            }
            if (const Node copyPath =
                    find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Copy Path"), windows().last())) {
                g_events.clear();
                QVERIFY(doAction(copyPath, QStringLiteral("Press")));
                QTRY_VERIFY2(!g_events
                                  .filter(QRegularExpression(
                                      u"^object:state-changed:showing\\|Copied “.+”\\.\\|1$"_qs))
                                  .isEmpty(),
                             qPrintable(g_events.join(u'\n')));
                verifySaid(g_events.filter(QStringLiteral("|Copied “")).first().section(u'|', 1, 1));
            }
            closeTop();
        }
    }

    // With the Edit Skill popup open, nothing beside it in the window takes a press from the bridge
    // (the list still holds one résumé, also when the app quits).
    void popupHoldsItsWindow() {
        const Node chip = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Sketch"));
        const Node opener = chip ? chip : find(ATSPI_ROLE_FILLER, QStringLiteral("Sketch"));
        if (!opener)
            QSKIP("The editor is not open.");
        const qsizetype from = orcaSaid().size();
        QVERIFY(doAction(opener, QStringLiteral("Press")));
        // It opens on its field, the skill selected; Orca says the popup's title first, then the field.
        QVERIFY(waitFind(ATSPI_ROLE_HEADING, QStringLiteral("Edit Skill")));
        const Node skillField = waitFind(ATSPI_ROLE_TEXT, QStringLiteral("Skill: Descriptor"));
        QVERIFY(skillField);
        QTRY_VERIFY(has(skillField, ATSPI_STATE_FOCUSED));
        if (!m_orcaLog.isEmpty()) {
            const auto titleThenField = [&] {
                const QString said = orcaSaid().mid(from).join(u" / "_qs);
                const qsizetype title = said.indexOf(u"Edit Skill"_qs);
                return title >= 0 && said.indexOf(u"Skill: Descriptor"_qs, title + 10) > title;
            };
            if (!QTest::qWaitFor(titleThenField, 40000))
                QFAIL(qPrintable(u"Orca said: "_qs + orcaSaid().mid(from).join(u" / "_qs)));
        }
        const Node list = find(ATSPI_ROLE_LIST, QStringLiteral("Résumés"));
        QVERIFY(list);
        const int rows = atspi_accessible_get_child_count(list.get(), nullptr);
        QVERIFY(
            doAction(find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Add resume")), QStringLiteral("Press")));
        appSettled(1000); // a row would have been added by now
        QCOMPARE(atspi_accessible_get_child_count(list.get(), nullptr), rows);
        QVERIFY(find(ATSPI_ROLE_HEADING, QStringLiteral("Edit Skill")));
        QVERIFY(doAction(find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Cancel")), QStringLiteral("Press")));
        QTRY_VERIFY(!find(ATSPI_ROLE_HEADING, QStringLiteral("Edit Skill")));
    }

    // Every screen the editor and the list open, found by what their buttons say they do.
    void everyScreen() {
        if (!find(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")))
            QSKIP("The editor is not open.");
        explore(QStringLiteral("main window"), 0);
        std::printf("Walked %d screens.\n", int(m_screens.size()));
    }

    // The preview's page is read as a document: its texts are texts to the bus, Right spells the
    // name a letter at a time and Ctrl+Right goes on to its next word, Say All (KP_Add) reads on
    // from the name through the texts after it, a section title is heard as a heading, and Down at
    // the last text says, once, that the document ends there.
    void thePreviewIsReadAsADocument() {
        if (!find(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")))
            QSKIP("The editor is not open.");
        if (m_windowManager.state() != QProcess::Running)
            QSKIP("No window manager: nothing activates the window, and no key reaches it.");
        const qsizetype before = windows().size();
        QVERIFY(press(QStringLiteral("Preview & Translation")));
        QTRY_VERIFY_WITH_TIMEOUT(windows().size() > before, 30000);
        // Closed however the steps end, so the next ones start from the editor.
        const auto close = qScopeGuard([&] {
            if (windows().size() > before)
                closeTop();
        });
        const Node copy = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Copy Résumé"));
        QVERIFY(copy && doAction(copy, QStringLiteral("SetFocus")));
        QTRY_VERIFY_WITH_TIMEOUT(has(copy, ATSPI_STATE_FOCUSED), 30000);
        const QString name = keyToTextHeard(0xff09 /* Tab */, u"Zoë Ångström"_qs);
        const Node nameText = g_focused;
        AtspiText* text = atspi_accessible_get_text_iface(nameText.get());
        QVERIFY2(text, "the name is no text to the bus");
        QCOMPARE(take(atspi_text_get_text(text, 0, -1, nullptr)), name);
        g_object_unref(text);
        // What Orca said since `from`, each utterance as it was said.
        const auto said = [this](qsizetype from) {
            static const QRegularExpression quoted(u"^(.*?)'(?: ?\\{.*)?$"_qs);
            QStringList words;
            for (const QString& line : orcaSaid().mid(from))
                words << quoted.match(line).captured(1);
            return words;
        };
        // Each letter heard before the next key, as a user spelling a name hears it.
        qsizetype from = orcaSettled();
        for (const QString& letter : {u"o"_qs, u"ë"_qs}) {
            pressKey(0xff53 /* Right */);
            if (!m_orcaLog.isEmpty())
                QVERIFY2(QTest::qWaitFor([&] { return said(from).contains(letter); }, 40000),
                         qPrintable(letter + u": "_qs + said(from).join(u" / "_qs)));
            from = orcaSaid().size();
        }
        // Ctrl+Right goes to the next word's start: Orca says the word the caret went over. (Checked
        // after the next key: Orca, its last key a word's, reads the next caret move in a field by
        // words, which Qt's line edit answers with a loop that never ends at a text's end.)
        constexpr uint controlMask = 1 << ATSPI_MODIFIER_CONTROL;
        bool wordsHeard = true;
        for (const QString& word : {u"Zoë"_qs, u"Ångström"_qs}) {
            from = orcaSettled();
            atspi_generate_keyboard_event(controlMask, nullptr, ATSPI_KEY_LOCKMODIFIERS, nullptr);
            atspi_generate_keyboard_event(0xff53 /* Right */, nullptr, ATSPI_KEY_SYM, nullptr);
            atspi_generate_keyboard_event(controlMask, nullptr, ATSPI_KEY_UNLOCKMODIFIERS, nullptr);
            wordsHeard = orcaSays({word}, from) && wordsHeard;
        }
        // Say All from the caret (the name's end), on through the contact, the summary's title and
        // the summary.
        from = orcaSettled();
        pressKey(0xffab /* KP_Add */);
        QVERIFY2(wordsHeard, "a word Ctrl+Right went over was not heard");
        QVERIFY(orcaSays({u"zoe@example.com"_qs, u"Profile"_qs, u"Designer of calm"_qs}, from));
        // The title read as a heading as the arrows come to it.
        pressKey(0xff54 /* Down */);
        keyToTextHeard(0xff54 /* Down */, u"Profile"_qs);
        from = orcaSaid().size() - 1;
        QVERIFY(orcaSays({u"Profile heading"_qs}, from));
        // The end, said once.
        keyToTextHeard(0xff57 /* End */, QString(), u"Profile"_qs);
        settle();
        g_notes.clear();
        from = orcaSaid().size();
        atspi_generate_keyboard_event(0xff54 /* Down */, nullptr, ATSPI_KEY_SYM, nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(g_notes.contains(u"End of the document."_qs), 30000);
        appSettled(1000); // nothing more follows
        QCOMPARE(g_notes, QStringList{u"End of the document."_qs});
        QVERIFY(orcaSays({u"notification End of the document"_qs}, from));
    }

    // Every action that finishes says its outcome once, with Orca running: the AI tools (answered
    // by a stand-in OpenAI server), a résumé added and opened, photos added and refused, moves by
    // Alt with the arrows (the moved item keeps the focus, whole in view), a font and a language
    // picked, a translation, copies and the share dialog's outcomes. In a dialog (the font
    // picker, the share dialog, the preview) Orca says the outcome first, not after the dialog's
    // name and texts.
    void outcomesAreSaidOnce() {
        if (!find(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")))
            QSKIP("The editor is not open.");
        const qsizetype orcaFrom = orcaSaid().size();
        // An OpenAI key, given through the list's help, sends the AI tools to the stand-in.
        const Node listHelp = mainInterfaceHelpButton();
        QVERIFY(listHelp && doAction(listHelp, QStringLiteral("Press")));
        QVERIFY(press(QStringLiteral("Add OpenAI API Key")));
        Node keyField;
        QTRY_VERIFY_WITH_TIMEOUT(
            (keyField = find(ATSPI_ROLE_PASSWORD_TEXT, QStringLiteral("Add OpenAI API Key"))) ||
                (keyField = find(ATSPI_ROLE_TEXT, QStringLiteral("Add OpenAI API Key"))),
            30000);
        AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(keyField.get());
        QVERIFY(editable && atspi_editable_text_set_text_contents(editable, "sk-test-outcomes", nullptr));
        g_object_unref(editable);
        QVERIFY(press(QStringLiteral("Save")));
        QTRY_VERIFY(!find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Save")));
        closeTop();
        QVERIFY(waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Suggest with OpenAI")));

        using Reply = test::LoopbackHttpServer;
        const auto pressed = [this](const QString& name) {
            return [this, name] { QVERIFY2(press(name), qPrintable(name)); };
        };
        m_server->enqueue(Reply::completion(u"Skills: Design: Figma, Research: Interviews"_qs));
        QVERIFY(saidOnce(QString(), pressed(u"Suggest with OpenAI"_qs))
                    .contains(QLatin1String(" suggested: Design: Figma, Research: Interviews.")));
        m_server->enqueue(
            Reply::completion(u"Dear team,\n\nI would like to lead your design work.\n\nZoë"_qs));
        saidOnce(u"Cover letter written."_qs, pressed(u"Cover With OpenAI"_qs));
        // Its field is heard by its name and role, the role not said twice.
        const qsizetype letterFrom = orcaSaid().size();
        focusAndHear(find(ATSPI_ROLE_TEXT, QStringLiteral("Cover letter")), u"Cover letter text"_qs);
        QVERIFY2(!orcaSaid()
                      .mid(letterFrom)
                      .join(u' ')
                      .contains(u"Cover letter text text"_qs, Qt::CaseInsensitive),
                 qPrintable(orcaSaid().mid(letterFrom).join(u" / "_qs)));
        m_server->enqueue(Reply::completion(u"{\"overallScore\": 74, \"missingKeywords\": [\"Design "
                                            u"systems\"], \"suggestions\": [\"Name it.\"], "
                                            "\"sectionFeedback\": [{\"section\": \"Summary\", \"feedback\": "
                                            "{\"score\": 70, \"missingKeywords\": [\"Figma\"], "
                                            "\"suggestions\": [\"Lead with results.\"]}}], "
                                            "\"notes\": [\"Clear layout.\"]}"_qs));
        // The result is heard once: the focus comes to its first text, the score, heard with its
        // value, and no note says it again (the missing keywords are read on from there).
        settle();
        g_notes.clear();
        qsizetype analysed = orcaSaid().size();
        QVERIFY(press(u"Analyze Resume ATS"_qs));
        const QString score = u"Resume ATS score, 74 percent"_qs;
        QTRY_VERIFY2_WITH_TIMEOUT(g_focused && nameOf(g_focused) == score,
                                  qPrintable(g_focused ? nameOf(g_focused) : QString()), 30000);
        QVERIFY(orcaSays({score}, analysed));
        appSettled(1000);
        QVERIFY2(g_notes.isEmpty(), qPrintable(g_notes.join(u" / "_qs)));
        if (!m_orcaLog.isEmpty()) {
            (void)orcaQuiet();
            const QString said = orcaSaid().mid(analysed).join(u" / "_qs);
            QVERIFY2(said.count(u"Resume ATS score"_qs, Qt::CaseInsensitive) == 1, qPrintable(said));
        }
        // Tab comes back to the score from the title before it, and Orca says the value again.
        constexpr uint shiftMask = 1 << ATSPI_MODIFIER_SHIFT;
        settle();
        atspi_generate_keyboard_event(shiftMask, nullptr, ATSPI_KEY_LOCKMODIFIERS, nullptr);
        atspi_generate_keyboard_event(0xff09 /* Tab */, nullptr, ATSPI_KEY_SYM, nullptr);
        atspi_generate_keyboard_event(shiftMask, nullptr, ATSPI_KEY_UNLOCKMODIFIERS, nullptr);
        QTRY_VERIFY(g_focused && nameOf(g_focused) == u"Resume ATS Score"_qs);
        settle();
        analysed = orcaSaid().size();
        atspi_generate_keyboard_event(0xff09 /* Tab */, nullptr, ATSPI_KEY_SYM, nullptr);
        QTRY_VERIFY(g_focused && nameOf(g_focused) == score);
        QVERIFY(orcaSays({u"74 percent"_qs}, analysed));
        // The analysis is read text by text: a suggestion, a section's row, a note.
        for (const QString& text :
             {u"Name it."_qs, u"Summary: 70 percent. Missing: Figma. Tip: Lead with results."_qs,
              u"Clear layout."_qs})
            focusAndHear(waitFind(ATSPI_ROLE_LABEL, text), text);
        m_server->enqueue(Reply::completion(
            u"{\"summary\": \"I design calm tools and design systems.\", \"experience\": [], \"skills\": "
            "[\"Figma\"], \"insertedKeywords\": [{\"keyword\": \"design systems\", \"section\": \"Summary\"}]}"_qs));
        const QString rewritten =
            saidOnce(u"ATS version created. The summary was replaced."_qs, pressed(u"ATS with OpenAI"_qs));
        QVERIFY2(rewritten.contains(u" Inserted keywords: design systems (Summary)."_qs),
                 qPrintable(rewritten));
        m_server->enqueue(
            Reply::completion(u"{\"paragraph\": \"I design calm, useful tools for teams.\"}"_qs));
        saidOnce(u"Summary rewritten."_qs, pressed(u"STAR with OpenAI"_qs));

        // Photos: a good one and a refused one, each chosen by keyboard as with Orca a user does:
        // Space on the Add tile, the file's name typed into the file dialog, Return. The focus is
        // back on the Add tile, whole in view, and the refused file's notice is said once.
        const QString good = m_runtime.filePath(QStringLiteral("good.png"));
        QFile image(good);
        QVERIFY(image.open(QIODevice::WriteOnly) && image.write(test::encodedImage(Qt::yellow)) > 0);
        image.close();
        const QString bad = m_runtime.filePath(QStringLiteral("bad.png"));
        QFile notImage(bad);
        QVERIFY(notImage.open(QIODevice::WriteOnly) && notImage.write("not a picture") > 0);
        notImage.close();
        const Node add = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Add portfolio image"));
        QVERIFY(add);
        const auto typeIn = [this, &add](const QString& path) {
            return [this, &add, path] {
                QVERIFY(doAction(add, QStringLiteral("SetFocus")));
                QTRY_VERIFY(has(add, ATSPI_STATE_FOCUSED));
                const qsizetype before = windows().size();
                settle();
                g_focused.reset();
                pressKey(0x20 /* space */);
                QTRY_VERIFY_WITH_TIMEOUT(windows().size() > before && g_focused &&
                                             atspi_accessible_get_role(g_focused.get(), nullptr) ==
                                                 ATSPI_ROLE_TEXT,
                                         60000);
                const Node field = g_focused;
                settle();
                atspi_generate_keyboard_event(0, path.toUtf8().constData(), ATSPI_KEY_STRING, nullptr);
                AtspiText* text = atspi_accessible_get_text_iface(field.get());
                QVERIFY(text);
                QTRY_COMPARE_WITH_TIMEOUT(take(atspi_text_get_text(text, 0, -1, nullptr)), path, 60000);
                g_object_unref(text);
                pressKey(0xff0d /* Return */);
            };
        };
        const auto backOnAdd = [&] {
            QTRY_VERIFY2(has(add, ATSPI_STATE_FOCUSED) && has(windows().first(), ATSPI_STATE_ACTIVE),
                         qPrintable(u"the focus is on "_qs + (g_focused ? nameOf(g_focused) : QString())));
            // Its place reaches the bus after its focus on a crowded machine.
            QTRY_VERIFY_WITH_TIMEOUT(wholeInView(add), 30000);
        };
        // Orca says each, although the dialog's closing floods it with events.
        const auto added = [&](const QString& outcome, const QString& path) {
            const qsizetype from = orcaSaid().size();
            saidOnce(outcome, typeIn(path), 120000); // said once Orca has caught up
            backOnAdd();
            QVERIFY(orcaSays({u"notification "_qs + outcome}, from));
        };
        added(u"Added 1 photo."_qs, good);
        if (QTest::currentTestFailed())
            return;
        added(u"“bad.png” was not added: it is not an image Quillora can read."_qs, bad);

        // Moves by Alt and the arrows: the photo's remove button keeps the focus, its tile whole
        // in view; the experience row likewise.
        Node tile;
        for (const Node& window : windows().mid(0, 1))
            walk(window, [&](const Node& node, int) {
                if (!tile && nameOf(node).startsWith(QLatin1String("Portfolio image, ")) &&
                    actionsOf(node).contains(QLatin1String("Move Down")) && has(node, ATSPI_STATE_SHOWING))
                    tile = node;
            });
        QVERIFY(tile);
        const QList<Node> inTile = childrenOf(tile);
        QVERIFY(!inTile.isEmpty() && doAction(inTile.first(), QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(inTile.first(), ATSPI_STATE_FOCUSED));
        saidOnce(u"Moved to position 2 of 4."_qs, [] { altArrow(0xff53 /* Right */); });
        QVERIFY(has(inTile.first(), ATSPI_STATE_FOCUSED));
        QTRY_VERIFY2_WITH_TIMEOUT(wholeInView(tile),
                                  qPrintable(u"tile at "_qs + QString::number(extentsOf(tile).y())), 30000);
        saidOnce(u"Moved to position 1 of 4."_qs, [] { altArrow(0xff51 /* Left */); });
        QTRY_VERIFY_WITH_TIMEOUT(wholeInView(tile), 30000);
        const Node lead =
            find(ATSPI_ROLE_FILLER, QStringLiteral("Lead Designer, Acme / Co, 2019 to Present"));
        QVERIFY(lead && doAction(lead, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(lead, ATSPI_STATE_FOCUSED));
        saidOnce(u"Moved to position 2 of 2."_qs, [] { altArrow(0xff54 /* Down */); });
        QVERIFY(has(lead, ATSPI_STATE_FOCUSED));
        QTRY_VERIFY_WITH_TIMEOUT(wholeInView(lead), 30000);
        saidOnce(u"Moved to position 1 of 2."_qs, [] { altArrow(0xff52 /* Up */); });

        // Four photos chosen at once are said, with no flood for Orca to throw the note away in.
        QStringList four;
        for (const Qt::GlobalColor colour : {Qt::cyan, Qt::magenta, Qt::gray, Qt::darkBlue}) {
            four << m_runtime.filePath(QStringLiteral("photo-%1.png").arg(int(colour)));
            QFile photo(four.last());
            QVERIFY(photo.open(QIODevice::WriteOnly) && photo.write(test::encodedImage(colour)) > 0);
        }
        const qsizetype beforeFour = orcaSaid().size();
        saidOnce(u"Added 4 photos."_qs, [&] {
            QVERIFY(doAction(add, QStringLiteral("SetFocus")));
            QTRY_VERIFY(has(add, ATSPI_STATE_FOCUSED));
            const qsizetype before = windows().size();
            g_focused.reset();
            atspi_generate_keyboard_event(0x20 /* space */, nullptr, ATSPI_KEY_SYM, nullptr);
            QTRY_VERIFY(windows().size() > before && g_focused &&
                        atspi_accessible_get_role(g_focused.get(), nullptr) == ATSPI_ROLE_TEXT);
            AtspiEditableText* names = atspi_accessible_get_editable_text_iface(g_focused.get());
            const QString typed = u'"' + four.join(u"\" \""_qs) + u'"';
            QVERIFY(names &&
                    atspi_editable_text_set_text_contents(names, typed.toUtf8().constData(), nullptr));
            g_object_unref(names);
            atspi_generate_keyboard_event(0xff0d /* Return */, nullptr, ATSPI_KEY_SYM, nullptr);
        });
        backOnAdd();
        QVERIFY(orcaSays({u"notification Added 4 photos"_qs}, beforeFour));
        const int photoFloods = orcaFloodsBefore(u"notification Added 4 photos"_qs, beforeFour);
        std::printf("Orca's floods before \"Added 4 photos.\": %d\n", photoFloods);
        QCOMPARE(photoFloods, 0);

        // A font picked says its name.
        QVERIFY(press(QStringLiteral("Font style")));
        QVERIFY(waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Inter")));
        Node other;
        walk(windows().last(), [&](const Node& node, int) {
            if (!other && descriptionOf(node).endsWith(QLatin1String(". Not selected")))
                other = node;
        });
        QVERIFY(other);
        qsizetype heard = focusHeard(other);
        orcaSaidFirst(saidOnce(nameOf(other) + u" selected."_qs,
                               [&] { QVERIFY(doAction(other, QStringLiteral("Press"))); }),
                      u"Font Picker"_qs, heard);
        // Back in the editor, the Font style button says the choice as the list names it ("Lato",
        // not its font's name "Lato-Light").
        const Node lato = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Lato"), windows().last());
        QVERIFY(lato);
        heard = focusHeard(lato);
        orcaSaidFirst(
            saidOnce(u"Lato selected."_qs, [&] { QVERIFY(doAction(lato, QStringLiteral("Press"))); }),
            u"Font Picker"_qs, heard);
        closeTop();
        const Node fontStyle = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Font style"));
        const Node nextTo = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Export Creative PDF"));
        QVERIFY(fontStyle && nextTo);
        focusHeard(nextTo);
        heard = orcaSaid().size();
        QVERIFY(doAction(fontStyle, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(fontStyle, ATSPI_STATE_FOCUSED));
        if (!m_orcaLog.isEmpty()) {
            QVERIFY(orcaSays({u"Font style"_qs}, heard) && orcaSays({u"Lato"_qs}, heard));
            const auto fontSaid = [&] {
                const QString said = orcaSaid().mid(heard).join(u" / "_qs);
                const qsizetype button = said.indexOf(u"Font style"_qs);
                return button >= 0 && said.indexOf(u"Lato"_qs, button) > button;
            };
            QVERIFY2(QTest::qWaitFor(fontSaid, 20000), qPrintable(orcaSaid().mid(heard).join(u" / "_qs)));
            QVERIFY2(!orcaSaid().mid(heard).join(u' ').contains(u"Lato-Light"_qs),
                     qPrintable(orcaSaid().mid(heard).join(u" / "_qs)));
        }

        // The share dialog opens on its file, named; a path copied and the PDF opened are each said
        // once.
        const qsizetype exported = orcaSaid().size();
        QVERIFY(press(QStringLiteral("Export Creative PDF")));
        Node copyPath;
        QTRY_VERIFY_WITH_TIMEOUT((copyPath = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Copy Path"))),
                                 60000);
        // Heard as it opens: its name and what it is for, then its files; it holds the editor.
        QVERIFY(orcaSays({u"Share frame"_qs, u"Your PDF is ready"_qs, u"Files"_qs, u".pdf"_qs}, exported));
        QVERIFY(has(windows().last(), ATSPI_STATE_MODAL));
        heard = focusHeard(copyPath);
        const QString pathCopied =
            saidOnce(u"Copied “"_qs, [&] { QVERIFY(doAction(copyPath, QStringLiteral("Press"))); });
        orcaSaidFirst(pathCopied, u"Share"_qs, heard);
        const QString pdfPath = pathCopied.section(u'“', 1).section(u'”', 0, 0);
        const Node open = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Open"), windows().last());
        QVERIFY(open);
        heard = focusHeard(open);
        orcaSaidFirst(saidOnce(u"Opened “"_qs, [&] { QVERIFY(doAction(open, QStringLiteral("Press"))); }),
                      u"Share"_qs, heard);
        // A copy saved, its place typed into the file dialog: said before Orca reads the share
        // dialog again as the file dialog closes, and not again in it (its status line). So are
        // both failures: a folder nothing can be written to, and the PDF gone meanwhile.
        const Node saveCopy = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Save a Copy…"), windows().last());
        QVERIFY(saveCopy);
        const auto saveCopyAs = [&](const QString& destination, const QString& outcome) {
            // After a first save the focus is back on the button already: Orca says nothing more.
            heard = has(saveCopy, ATSPI_STATE_FOCUSED) ? orcaQuiet() : focusHeard(saveCopy);
            const QString said = saidOnce(outcome, [&] {
                const qsizetype before = windows().size();
                g_focused.reset();
                pressKey(0x20 /* space */);
                QTRY_VERIFY_WITH_TIMEOUT(windows().size() > before && g_focused &&
                                             atspi_accessible_get_role(g_focused.get(), nullptr) ==
                                                 ATSPI_ROLE_TEXT,
                                         60000);
                AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(g_focused.get());
                QVERIFY(editable && atspi_editable_text_set_text_contents(
                                        editable, destination.toUtf8().constData(), nullptr));
                g_object_unref(editable);
                pressKey(0xff0d /* Return */);
            });
            orcaSaidFirst(said, u"Share"_qs, heard);
            if (!m_orcaLog.isEmpty() && !said.isEmpty())
                QTRY_VERIFY2(orcaSaid().mid(heard).join(u'\n').count(said.chopped(1)) == 1,
                             qPrintable(orcaSaid().mid(heard).join(u" / "_qs)));
            // Back from the file dialog, the dialog's name and the focus, not what it is for again.
            if (!m_orcaLog.isEmpty())
                QVERIFY2(!orcaSaid().mid(heard).join(u'\n').contains(u"Your PDF is ready"_qs),
                         qPrintable(orcaSaid().mid(heard).join(u" / "_qs)));
        };
        const QString copied = m_runtime.filePath(QStringLiteral("copy.pdf"));
        saveCopyAs(copied, u"Saved a copy as “"_qs);
        QVERIFY(QFile::exists(copied));
        saveCopyAs(u"/proc/copy.pdf"_qs, u"The copy could not be saved: "_qs);
        QVERIFY(QFile::remove(pdfPath));
        saveCopyAs(m_runtime.filePath(QStringLiteral("again.pdf")), u"Could not read “"_qs);
        QVERIFY(!QFile::exists(m_runtime.filePath(QStringLiteral("again.pdf"))));
        closeTop();

        // A résumé added and opened from the list; its preview: a copy, a language picked from
        // the menu, and the translation into it (the résumé walked so far stays as it is).
        saidOnce(u"Added “My Résumé”."_qs, pressed(u"Add resume"_qs));
        ++m_added;
        saidOnce(u"Opened “My Résumé”."_qs, [&] {
            Node added;
            const auto listed = [&] {
                walk(windows().first(), [&](const Node& node, int) {
                    if (!added && atspi_accessible_get_role(node.get(), nullptr) == ATSPI_ROLE_LIST_ITEM &&
                        nameOf(node).startsWith(u"My Résumé"_qs))
                        added = node;
                });
                return bool(added);
            };
            QVERIFY(QTest::qWaitFor(listed));
            QVERIFY(doAction(added, QStringLiteral("Press")));
        });
        QVERIFY(waitFind(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")));
        // A name in words a translation changes, to hear the translated page.
        const QString english = u"The house is big"_qs;
        {
            const Node fullName = waitFind(ATSPI_ROLE_TEXT, QStringLiteral("Full Name"));
            AtspiEditableText* typed =
                fullName ? atspi_accessible_get_editable_text_iface(fullName.get()) : nullptr;
            QVERIFY(typed && atspi_editable_text_set_text_contents(typed, qPrintable(english), nullptr));
            g_object_unref(typed);
        }
        QVERIFY(press(QStringLiteral("Preview & Translation")));
        const Node language = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Language"));
        QVERIFY(language);
        const QString preview = u"Preview & Translation"_qs;
        const Node copy = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Copy Résumé"));
        QVERIFY(copy);
        heard = focusHeard(copy);
        orcaSaidFirst(
            saidOnce(u"Copied to clipboard!"_qs, [&] { QVERIFY(doAction(copy, QStringLiteral("Press"))); }),
            preview, heard);
        heard = focusHeard(language);
        // The menu opens on a row; Down moves on where there is another to choose.
        g_focused.reset();
        openMenu(language);
        pressKey(0xff54 /* Down */);
        appSettled();
        if (QTest::qWaitFor(
                [&] {
                    return g_focused &&
                           atspi_accessible_get_role(g_focused.get(), nullptr) == ATSPI_ROLE_MENU_ITEM;
                },
                20000)) {
            const QString menuRow = nameOf(g_focused);
            heard = orcaSettled();
            g_notes.clear();
            pressKey(0xff0d /* Return */);
            QTRY_VERIFY(!descriptionOf(language).endsWith(QLatin1String("No language selected")));
            const QString picked = descriptionOf(language).section(QStringLiteral(". "), -1);
            QVERIFY2(menuRow.contains(picked), qPrintable(menuRow + u" / "_qs + picked));
            valueHeardWithFocus(u"Language push button"_qs, picked, preview, heard);
            const Node translate = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Translate"));
            QVERIFY(translate);
            heard = focusHeard(translate);
            orcaSaidFirst(saidOnce(
                              u"Translated into "_qs + picked + u"."_qs,
                              [&] { QVERIFY(doAction(translate, QStringLiteral("Press"))); }, 120000),
                          preview, heard);
            const int floods = orcaFloodsBefore(u"notification Translated into "_qs, heard);
            std::printf("Orca's floods before \"Translated into %s.\": %d\n", qPrintable(picked), floods);
            QCOMPARE(floods, 0);
            // The translated page is heard by keys, in its new words: Tab from Copy Résumé comes to
            // the name.
            QVERIFY(doAction(copy, QStringLiteral("SetFocus")));
            QTRY_VERIFY(has(copy, ATSPI_STATE_FOCUSED));
            const QString translated = keyToTextHeard(0xff09 /* Tab */, QString(), english);
            std::printf("The translated name is heard as \"%s\".\n", qPrintable(translated));
        } else {
            pressKey(0xff1b /* Escape */);
            std::printf("No language to choose here: picking one and translating are not checked.\n");
        }
        closeTop();

        // The list re-sorts under the focus: Down opens the résumé below, which is edited; back
        // on the list, Up opens the one above, and the edited one is saved and goes to the top.
        // The row opened slides down, keeps the focus and is said with its new place.
        const Node list = find(ATSPI_ROLE_LIST, QStringLiteral("Résumés"));
        QVERIFY(list && doAction(list, QStringLiteral("SetFocus")));
        QVERIFY(focusedRow());
        saidOnce(u"Opened “"_qs + m_resumeTitle + u"”."_qs,
                 [] { atspi_generate_keyboard_event(0xff54 /* Down */, nullptr, ATSPI_KEY_SYM, nullptr); });
        const Node contact = waitFind(ATSPI_ROLE_TEXT, QStringLiteral("Contact Info"));
        AtspiEditableText* typed =
            contact ? atspi_accessible_get_editable_text_iface(contact.get()) : nullptr;
        QVERIFY(typed && atspi_editable_text_set_text_contents(typed, "zoe@example.org", nullptr));
        g_object_unref(typed);
        QVERIFY(doAction(list, QStringLiteral("SetFocus")));
        QVERIFY(focusedRow());
        const qsizetype beforeUp = orcaSaid().size();
        saidOnce(u"Opened “My Résumé”, now 2 of 2."_qs,
                 [] { atspi_generate_keyboard_event(0xff52 /* Up */, nullptr, ATSPI_KEY_SYM, nullptr); });
        const Node moved = focusedRow();
        QVERIFY(moved && nameOf(moved).startsWith(u"My Résumé"_qs));
        QCOMPARE(atspi_accessible_get_index_in_parent(moved.get(), nullptr), 1);
        QVERIFY(orcaSays({u"notification Opened “My Résumé”, now 2 of 2"_qs}, beforeUp));
        orcaSaidEachOnce(orcaFrom);
        // A title's first letter typed in the list opens the résumé it reaches, said as an arrow's
        // move is (after the outcomes above, each heard once, as it is said again here); the letter
        // of the one left opens that one again.
        const auto letterTyped = [](QChar letter) {
            return [letter] {
                atspi_generate_keyboard_event(letter.toLower().unicode(), nullptr, ATSPI_KEY_SYM, nullptr);
            };
        };
        const qsizetype beforeLetter = orcaSaid().size();
        saidOnce(u"Opened “"_qs + m_resumeTitle + u"”"_qs, letterTyped(m_resumeTitle.at(0)));
        QVERIFY(focusedRow() && nameOf(focusedRow()).startsWith(m_resumeTitle));
        QVERIFY(orcaSays({u"notification Opened “"_qs + m_resumeTitle}, beforeLetter));
        const qsizetype beforeBack = orcaSaid().size();
        saidOnce(u"Opened “My Résumé”"_qs, letterTyped(u'm'));
        QVERIFY(focusedRow() && nameOf(focusedRow()).startsWith(u"My Résumé"_qs));
        QVERIFY(orcaSays({u"notification Opened “My Résumé”"_qs}, beforeBack));
    }

    // What the rest of the work says, in the walked résumé: the STAR wait keeps the focus on a
    // named stop that says it works, also after a window opened meanwhile (F1, then Escape); the
    // answers say what happened (a rewrite, the summary unchanged, the experience's message);
    // Reorder and Done, a skill removed (the focus on the next skill itself) and the skills
    // applied; the rows' Duplicate and Delete, named actions with their keys.
    void workInProgressAndTheLastOutcomesAreSaid() {
        const Node row = waitFind(ATSPI_ROLE_LIST_ITEM, m_resumeTitle + u", Zoë Ångström"_qs);
        if (!row || m_outcomes.isEmpty())
            QSKIP("The résumé is not listed, or the AI tools were not given an OpenAI key.");
        m_outcomes.clear();
        const qsizetype orcaFrom = orcaSaid().size();
        saidOnce(u"Opened “"_qs + m_resumeTitle + u"”."_qs,
                 [&] { QVERIFY(doAction(row, QStringLiteral("Press"))); });
        QVERIFY(waitFind(ATSPI_ROLE_HEADING, QStringLiteral("Actions & Style")));
        const auto key = [this](uint keysym) { pressKey(keysym); };
        const auto paragraph = [](const QString& text) {
            return test::LoopbackHttpServer::completion(u"{\"paragraph\": \""_qs + text + u"\"}"_qs);
        };

        // The answer waits until the wait has been heard.
        test::LoopbackHttpServer::Reply late = paragraph(u"I design calm, useful tools."_qs);
        late.held = true;
        m_server->enqueue(late);
        const Node star = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("STAR with OpenAI"));
        // A sentence typed into the summary changes nothing else a reader is told of: the ATS
        // buttons' names, set again as each letter comes, send nothing.
        const Node summary = find(ATSPI_ROLE_TEXT, QStringLiteral("Summary"));
        QVERIFY(summary && doAction(summary, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(summary, ATSPI_STATE_FOCUSED));
        const qsizetype typedFrom = g_events.size();
        const QString sentence = u" I lead calm design work."_qs;
        atspi_generate_keyboard_event(0xff57 /* End */, nullptr, ATSPI_KEY_SYM, nullptr);
        atspi_generate_keyboard_event(0, sentence.toUtf8().constData(), ATSPI_KEY_STRING, nullptr);
        AtspiText* summaryText = atspi_accessible_get_text_iface(summary.get());
        QVERIFY(summaryText);
        QTRY_VERIFY(take(atspi_text_get_text(summaryText, 0, -1, nullptr)).endsWith(sentence));
        g_object_unref(summaryText);
        // Until the bus has been quiet for a second: the last letter's changes have come.
        qsizetype seen = -1;
        QElapsedTimer still;
        QVERIFY(QTest::qWaitFor(
            [&] {
                if (g_events.size() != seen) {
                    seen = g_events.size();
                    still.start();
                }
                return still.elapsed() > 1000;
            },
            20000));
        QStringList elsewhere;
        for (const QString& event : g_events.mid(typedFrom))
            if (event.startsWith(u"object:property-change:accessible-"_qs) &&
                event.section(u'|', 1, 1) != u"Summary")
                elsewhere << event;
        std::printf("Typing %d letters into the summary: %d events on the bus, %d names or descriptions "
                    "changed elsewhere.\n",
                    int(sentence.size()), int(g_events.size() - typedFrom), int(elsewhere.size()));
        QVERIFY2(elsewhere.size() <= 4, qPrintable(elsewhere.join(u'\n')));

        QVERIFY(star && doAction(star, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(star, ATSPI_STATE_FOCUSED));
        const qsizetype started = orcaQuiet();
        qsizetype back = 0;
        qsizetype released = 0;
        saidOnce(
            u"Summary rewritten."_qs,
            [&] {
                g_focused.reset();
                key(0x20 /* space */);
                QTRY_VERIFY(g_focused && nameOf(g_focused) == QLatin1String("STAR with OpenAI") &&
                            descriptionOf(g_focused) == QStringLiteral("Working…") &&
                            atspi_accessible_get_role(g_focused.get(), nullptr) == ATSPI_ROLE_PUSH_BUTTON);
                // The wait is heard as it starts: the stand-in's name and that it works.
                QVERIFY(orcaSays({u"STAR with OpenAI push button"_qs, u"Working"_qs}, started));
                const Node waiting = g_focused;
                const qsizetype before = windows().size();
                key(0xffbe /* F1 */);
                QTRY_VERIFY(windows().size() > before);
                back = orcaSettled();
                key(0xff1b /* Escape */);
                QTRY_COMPARE(windows().size(), before);
                QTRY_VERIFY2(
                    has(waiting, ATSPI_STATE_FOCUSED) && has(windows().first(), ATSPI_STATE_ACTIVE),
                    qPrintable(u"the focus is on "_qs + (g_focused ? nameOf(g_focused) : QString())));
                QVERIFY(orcaSays({u"STAR with OpenAI"_qs, u"Working"_qs}, back));
                released = orcaSettled();
                m_server->release();
            },
            30000);
        QTRY_VERIFY(has(star, ATSPI_STATE_FOCUSED));
        // The focus goes back from the stand-in to the button unsaid: Orca says the outcome, not
        // the button (its hint) again before it.
        const auto outcomeAlone = [&](const QString& outcome, qsizetype from) {
            if (m_orcaLog.isEmpty())
                return;
            QVERIFY(orcaSays({u"notification "_qs + outcome}, from));
            (void)orcaQuiet();
            const QString said = orcaSaid().mid(from).join(u" / "_qs);
            QVERIFY2(!said.contains(u"Refines the current text"_qs), qPrintable(said));
        };
        outcomeAlone(u"Summary rewritten."_qs, released);
        m_server->enqueue(paragraph(u"I design calm, useful tools."_qs));
        released = orcaQuiet();
        saidOnce(u"Summary unchanged."_qs, [&] { key(0x20 /* space */); });
        outcomeAlone(u"Summary unchanged."_qs, released);
        const Node lead =
            find(ATSPI_ROLE_FILLER, QStringLiteral("Lead Designer, Acme / Co, 2019 to Present"));
        QVERIFY(lead && doAction(lead, QStringLiteral("Press")));
        QVERIFY(waitFind(ATSPI_ROLE_TEXT, QStringLiteral("Experience details")));
        for (int i = 0; i < 2; ++i) // the formatter asks once more for an unchanged answer
            m_server->enqueue(paragraph(u"Led a team of 6.\\nShipped 3 apps."_qs));
        const Node refine =
            find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("STAR with OpenAI"), windows().last());
        QVERIFY(refine);
        saidOnce(u"OpenAI returned the original text. Add detail or try again."_qs,
                 [&] { QVERIFY(doAction(refine, QStringLiteral("Press"))); });
        closeTop();

        const Node reorder = find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Reorder"));
        QVERIFY(reorder && doAction(reorder, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(reorder, ATSPI_STATE_FOCUSED));
        saidOnce(u"Reordering roles: "_qs, [&] { key(0x20 /* space */); });
        saidOnce(u"Done reordering roles."_qs, [&] { key(0x20 /* space */); });

        QStringList skills;
        Node remove;
        walk(windows().first(), [&](const Node& node, int) {
            if (nameOf(node).startsWith(QLatin1String("Remove skill ")) && has(node, ATSPI_STATE_SHOWING)) {
                skills << nameOf(node).mid(13);
                if (!remove)
                    remove = node;
            }
        });
        if (skills.size() > 1) {
            QVERIFY(doAction(remove, QStringLiteral("SetFocus")));
            QTRY_VERIFY(has(remove, ATSPI_STATE_FOCUSED));
            saidOnce(u"Removed “"_qs + skills.takeFirst() + u"”."_qs, [&] { key(0x20 /* space */); });
            QTRY_VERIFY(g_focused && nameOf(g_focused) == skills.first());
            saidOnce(
                QStringLiteral("Applied %1 to the résumé.")
                    .arg(skills.size() == 1 ? u"1 skill"_qs : QStringLiteral("%1 skills").arg(skills.size())),
                [this] { QVERIFY(press(QStringLiteral("Apply Skills to Résumé"))); });
        } else {
            std::printf("Fewer than two suggested skills: removing and applying them are not checked.\n");
        }

        // The list's rows: Ctrl+D on the open résumé's row, Delete as the copy's named action.
        const Node list = find(ATSPI_ROLE_LIST, QStringLiteral("Résumés"));
        QVERIFY(list && doAction(list, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(list, ATSPI_STATE_FOCUSED));
        const QString copy = m_resumeTitle + u" Copy"_qs;
        saidOnce(u"Duplicated as “"_qs + copy + u"”."_qs, [] {
            constexpr uint controlMask = 1 << ATSPI_MODIFIER_CONTROL;
            atspi_generate_keyboard_event(controlMask, nullptr, ATSPI_KEY_LOCKMODIFIERS, nullptr);
            atspi_generate_keyboard_event(0x64 /* d */, nullptr, ATSPI_KEY_SYM, nullptr);
            atspi_generate_keyboard_event(controlMask, nullptr, ATSPI_KEY_UNLOCKMODIFIERS, nullptr);
        });
        const Node copyRow = waitFind(ATSPI_ROLE_LIST_ITEM, copy + u", Zoë Ångström"_qs);
        QVERIFY(copyRow);
        QCOMPARE(actionsOf(copyRow).mid(0, 3), (QStringList{u"Press"_qs, u"Duplicate"_qs, u"Delete"_qs}));
        AtspiAction* actions = atspi_accessible_get_action_iface(copyRow.get());
        QVERIFY(actions);
        QCOMPARE(take(atspi_action_get_key_binding(actions, 1, nullptr)), QStringLiteral("Ctrl+D"));
        QCOMPARE(take(atspi_action_get_key_binding(actions, 2, nullptr)), QStringLiteral("Del"));
        g_object_unref(actions);
        const qsizetype before = windows().size();
        QVERIFY(doAction(copyRow, QStringLiteral("Delete")));
        QTRY_VERIFY(windows().size() > before);
        saidOnce(u"Deleted “"_qs + copy + u"”."_qs, [&] { QVERIFY(press(QStringLiteral("Delete"))); });

        // An experience and the education deleted from the editor, each confirmed: said once, the
        // focus on the row now in its place, else on Add Education.
        const auto deleteEntry = [&](const Node& trash, const QString& outcome, const QString& focused) {
            QVERIFY(trash);
            saidOnce(outcome, [&] {
                const qsizetype shown = windows().size();
                QVERIFY(doAction(trash, QStringLiteral("Press")));
                QTRY_VERIFY(windows().size() > shown);
                QVERIFY(press(QStringLiteral("Delete")));
            });
            QTRY_VERIFY2(g_focused && nameOf(g_focused).startsWith(focused),
                         qPrintable(g_focused ? nameOf(g_focused) : QString()));
        };
        Node designer = find(ATSPI_ROLE_FILLER, QStringLiteral("Designer, Globex, 2015 to 2019"));
        deleteEntry(designer ? find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Delete experience"), designer)
                             : Node(),
                    u"Deleted experience “Designer, Globex”."_qs, u"Lead Designer, Acme / Co"_qs);
        deleteEntry(find(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Delete education")),
                    u"Deleted education “BFA, Université de Montréal”."_qs, u"Add Education"_qs);

        // The OpenAI key removed from the list's help: said once, the focus on the button under
        // its new name.
        const Node listHelp = mainInterfaceHelpButton();
        QVERIFY(listHelp && doAction(listHelp, QStringLiteral("Press")));
        const Node removeKey = waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Remove OpenAI API Key"));
        QVERIFY(removeKey && doAction(removeKey, QStringLiteral("SetFocus")));
        QTRY_VERIFY(has(removeKey, ATSPI_STATE_FOCUSED));
        saidOnce(u"Removed the OpenAI API key."_qs, [&] { key(0x20 /* space */); });
        QTRY_VERIFY(g_focused && nameOf(g_focused) == u"Add OpenAI API Key"_qs);
        closeTop();
        orcaSaidEachOnce(orcaFrom);
    }

    void storedAfterQuit() {
        // An app that has ended has no process id: a kill of 0 would end the walk's own group.
        QVERIFY2(m_app.state() == QProcess::Running && m_app.processId() > 0, "the app is no longer running");
        // Ctrl+Q in a sheet (the preview) quits as in the main window, and keeps what was typed
        // last. Without the editor (a step before was skipped) the app is ended as the desktop
        // ends it at log-out.
        const QString contactInfo = u"quit@example.org"_qs;
        const Node contact = waitFind(ATSPI_ROLE_TEXT, QStringLiteral("Contact Info"), 10000);
        AtspiEditableText* typed =
            contact ? atspi_accessible_get_editable_text_iface(contact.get()) : nullptr;
        const bool quitByKeys =
            typed && atspi_editable_text_set_text_contents(typed, qPrintable(contactInfo), nullptr) &&
            press(QStringLiteral("Preview & Translation")) &&
            waitFind(ATSPI_ROLE_PUSH_BUTTON, QStringLiteral("Language"));
        if (typed)
            g_object_unref(typed);
        if (quitByKeys) {
            settle();
            constexpr uint controlMask = 1 << ATSPI_MODIFIER_CONTROL;
            atspi_generate_keyboard_event(controlMask, nullptr, ATSPI_KEY_LOCKMODIFIERS, nullptr);
            atspi_generate_keyboard_event(0x71 /* q */, nullptr, ATSPI_KEY_SYM, nullptr);
            atspi_generate_keyboard_event(controlMask, nullptr, ATSPI_KEY_UNLOCKMODIFIERS, nullptr);
        } else {
            std::printf("No editor open: the app is ended by a signal, not by Ctrl+Q from a sheet.\n");
            ::kill(pid_t(m_app.processId()), SIGTERM);
        }
        QVERIFY2(m_app.waitForFinished(30000), "Ctrl+Q in the preview did not quit the app");
        auto container = ModelContainer::open(storeFileURL());
        QVERIFY(container);
        const auto resumes = container.value()->mainContext().fetchResumes();
        QVERIFY(resumes && resumes->size() == 1 + m_added);
        ResumePtr resume = resumes->first();
        for (const ResumePtr& stored : *resumes)
            if (stored->fullName() == u"Zoë Ångström"_qs)
                resume = stored;
        QCOMPARE(resume->title(), m_resumeTitle);
        // The résumé open in the editor kept the contact typed last.
        if (quitByKeys)
            QVERIFY(std::ranges::any_of(
                *resumes, [&](const ResumePtr& stored) { return stored->contactInfo() == contactInfo; }));
        if (m_moved) {
            QStringList captions;
            QList<PortfolioItemPtr> items = resume->portfolioItems();
            std::sort(items.begin(), items.end(), [](const PortfolioItemPtr& a, const PortfolioItemPtr& b) {
                return a->sortOrder() < b->sortOrder();
            });
            for (const PortfolioItemPtr& item : items)
                captions << item->caption();
            QCOMPARE(captions.mid(0, 3), (QStringList{u"Image 1"_qs, u"Image 0"_qs, u"Image 2"_qs}));
            QList<ExperiencePtr> experience = resume->experienceItems();
            std::sort(experience.begin(), experience.end(),
                      [](const ExperiencePtr& a, const ExperiencePtr& b) {
                          return a->sortOrder() < b->sortOrder();
                      });
            QCOMPARE(experience.first()->role(), u"Lead Designer"_qs);
        }
    }

    void finalChecks() {
        m_faults.removeDuplicates();
        for (const QString& fault : std::as_const(m_faults))
            std::printf("FAULT %s\n", qPrintable(fault));
        QVERIFY2(m_faults.isEmpty(), qPrintable(m_faults.join(u'\n')));
        QVERIFY2(m_badFocus.isEmpty(), qPrintable(m_badFocus.join(u'\n')));
        if (!m_orcaLog.isEmpty())
            QVERIFY2(!m_orcaHeard.isEmpty(),
                     qPrintable(u"Orca said none of: "_qs + m_orcaMissed.join(u", "_qs)));
    }
};

QUILLORA_TEST_MAIN(ScreenReaderTest)
#include "test_screen_reader.moc"
