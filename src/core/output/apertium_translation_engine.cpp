#include "output/apertium_translation_engine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QProcess>
#include <QQueue>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace quillora {

namespace {

// Longest a single request may take before the session gives up on the pipeline.
constexpr int requestTimeoutMs = 30000;
// Only the end of what the pipeline writes to its error streams is kept, for the error text.
constexpr qsizetype keptErrorBytes = 2000;

// The language pairs Debian 12 packages (apertium-xxx-yyy), by their ISO 639-3 codes. A pair
// counts in both directions.
const QList<std::pair<QString, QString>>& debianApertiumPairs() {
    static const QList<std::pair<QString, QString>> pairs = [] {
        const char* const raw[][2] = {
            {"afr", "nld"}, {"arg", "cat"}, {"bel", "rus"}, {"bre", "fra"}, {"cat", "ita"}, {"cat", "srd"},
            {"dan", "nor"}, {"eng", "cat"}, {"eng", "glg"}, {"eng", "spa"}, {"epo", "cat"}, {"epo", "eng"},
            {"epo", "spa"}, {"epo", "fra"}, {"spa", "glg"}, {"spa", "ita"}, {"spa", "por"}, {"spa", "ron"},
            {"eus", "eng"}, {"eus", "spa"}, {"fra", "spa"}, {"fra", "cat"}, {"fra", "frp"}, {"hbs", "eng"},
            {"hbs", "mkd"}, {"hbs", "slv"}, {"ind", "zlm"}, {"isl", "eng"}, {"isl", "swe"}, {"mkd", "bul"},
            {"mkd", "eng"}, {"nno", "nob"}, {"oci", "cat"}, {"oci", "spa"}, {"oci", "fra"}, {"pol", "szl"},
            {"por", "cat"}, {"por", "glg"}, {"rus", "ukr"}, {"spa", "arg"}, {"spa", "ast"}, {"spa", "cat"},
            {"srd", "ita"}, {"swe", "dan"}, {"swe", "nor"}, {"urd", "hin"},
        };
        QList<std::pair<QString, QString>> list;
        for (const auto& p : raw)
            list.append({QString::fromLatin1(p[0]), QString::fromLatin1(p[1])});
        return list;
    }();
    return pairs;
}

// Splits one stage of a mode into words, honouring single and double quotes. Nothing when the
// stage needs a shell (redirections, substitutions, sequences).
std::optional<QStringList> splitWords(const QString& stage) {
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (qsizetype i = 0; i < stage.size(); ++i) {
        const QChar c = stage.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words.append(word);
            word.clear();
            inWord = false;
        } else if (c == u'<' || c == u'>' || c == u';' || c == u'&' || c == u'`' || c == u'(' || c == u')') {
            return std::nullopt;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (!quote.isNull())
        return std::nullopt;
    if (inWord)
        words.append(word);
    return words;
}

// Splits a mode at the pipes that stand outside quotes.
QStringList splitStages(const QString& mode) {
    QStringList stages;
    QString current;
    QChar quote;
    for (const QChar c : mode) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'|') {
            stages.append(current);
            current.clear();
            continue;
        }
        current += c;
    }
    stages.append(current);
    return stages;
}

// The source has two spaces in a row somewhere between its words.
bool hasInnerSpaceRun(const QString& text) {
    const QString inner = text.trimmed();
    return inner.contains(QStringLiteral("  "));
}

// Collapses runs of spaces between words to one space; leading and trailing white space stays.
QString collapseInnerSpaces(const QString& text) {
    qsizetype begin = 0;
    while (begin < text.size() && text.at(begin).isSpace())
        ++begin;
    qsizetype end = text.size();
    while (end > begin && text.at(end - 1).isSpace())
        --end;
    QString out = text.left(begin);
    for (qsizetype i = begin; i < end; ++i) {
        if (text.at(i) == u' ' && i > begin && text.at(i - 1) == u' ')
            continue;
        out += text.at(i);
    }
    out += text.mid(end);
    return out;
}

class ApertiumSession final : public TranslationSession {
public:
    // An empty pipeline means the pair is not installed: every request fails with notReady.
    ApertiumSession(std::optional<QList<ApertiumStage>> pipeline, QString pairName, QString notReady)
        : m_pipeline(std::move(pipeline))
        , m_pairName(std::move(pairName))
        , m_notReady(std::move(notReady)) {
        m_timeout.setSingleShot(true);
        m_timeout.setInterval(requestTimeoutMs);
        connect(&m_timeout, &QTimer::timeout, this, [this] {
            fail(QStringLiteral("Apertium did not answer within %1 seconds.").arg(requestTimeoutMs / 1000));
        });
    }

    ~ApertiumSession() override { stopPipeline(); }

    void translate(const QString& text, Completion done) override {
        m_queue.enqueue(Request{text, std::move(done)});
        // Answer later, never from inside this call.
        QMetaObject::invokeMethod(
            this, [this] { sendNext(); }, Qt::QueuedConnection);
    }

private:
    struct Request {
        QString text;
        Completion done;
    };

    void sendNext() {
        if (m_inFlight || m_queue.isEmpty())
            return;
        if (!m_pipeline) {
            fail(m_notReady);
            return;
        }
        if (m_processes.isEmpty() && !startPipeline())
            return;
        if (m_stagesStarted < m_processes.size())
            return; // still starting: the last stage's start sends the request
        m_inFlight = true;
        m_timeout.start();
        m_processes.first()->write(apertiumRequest(m_queue.head().text));
    }

    bool startPipeline() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        m_stopping = false;
        m_buffer.clear();
        m_errors.clear();
        for (const ApertiumStage& stage : *m_pipeline) {
            auto* process = new QProcess(this);
            process->setProcessEnvironment(environment);
            process->setProgram(stage.program);
            process->setArguments(stage.arguments);
            if (!m_processes.isEmpty())
                m_processes.last()->setStandardOutputProcess(process);
            connect(process, &QProcess::readyReadStandardError, this, [this, process] {
                m_errors += process->readAllStandardError();
                if (m_errors.size() > keptErrorBytes)
                    m_errors = m_errors.right(keptErrorBytes);
            });
            connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError) {
                if (!m_stopping)
                    fail(QStringLiteral("Apertium (%1) failed: %2")
                             .arg(process->program(), process->errorString()));
            });
            connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus) {
                if (!m_stopping)
                    fail(QStringLiteral("Apertium (%1) stopped with code %2")
                             .arg(process->program())
                             .arg(code));
            });
            m_processes.append(process);
        }
        connect(m_processes.last(), &QProcess::readyReadStandardOutput, this, [this] { readAnswers(); });
        m_stagesStarted = 0;
        startNextStage(m_generation);
        return !m_processes.isEmpty();
    }

    // Starting a process forks this one, which takes a few milliseconds for a large app: the
    // stages start one per turn of the event loop, so the window never waits for all of them.
    void startNextStage(quint64 generation) {
        if (generation != m_generation || m_stagesStarted >= m_processes.size())
            return; // the pipeline was stopped meanwhile
        m_processes.at(m_stagesStarted++)->start(QIODevice::ReadWrite);
        if (generation != m_generation)
            return; // the start failed and stopped the pipeline
        if (m_stagesStarted < m_processes.size())
            QTimer::singleShot(0, this, [this, generation] { startNextStage(generation); });
        else
            sendNext();
    }

    void readAnswers() {
        m_buffer += m_processes.last()->readAllStandardOutput();
        qsizetype end;
        while (m_inFlight && (end = m_buffer.indexOf('\0')) >= 0) {
            const QString answer = QString::fromUtf8(m_buffer.left(end));
            m_buffer.remove(0, end + 1);
            Request request = m_queue.dequeue();
            m_inFlight = false;
            m_timeout.stop();
            const QPointer<ApertiumSession> self(this);
            request.done(apertiumAnswerText(answer, request.text));
            if (!self)
                return;
            sendNext();
        }
        if (!m_inFlight)
            m_buffer.clear();
    }

    // Fails the request in flight and every queued one, and stops the pipeline; the next
    // request starts a fresh one.
    void fail(const QString& reason) {
        QString text = reason;
        const QString errors = QString::fromUtf8(m_errors).trimmed();
        if (!errors.isEmpty())
            text += QStringLiteral(": ") + errors;
        stopPipeline();
        m_inFlight = false;
        m_timeout.stop();
        const QPointer<ApertiumSession> self(this);
        while (self && !m_queue.isEmpty()) {
            Request request = m_queue.dequeue();
            request.done(Result<QString>::failure(text));
        }
    }

    void stopPipeline() {
        m_stopping = true;
        ++m_generation;
        for (QProcess* process : std::as_const(m_processes)) {
            process->disconnect(this);
            process->kill();
        }
        // A killed process ends at once; a process may be the one whose signal brought us
        // here, so it goes once that is over.
        for (QProcess* process : std::as_const(m_processes)) {
            process->waitForFinished(1000);
            process->deleteLater();
        }
        m_processes.clear();
        m_buffer.clear();
    }

    std::optional<QList<ApertiumStage>> m_pipeline;
    QString m_pairName;
    QString m_notReady;
    QList<QProcess*> m_processes;
    QQueue<Request> m_queue;
    QByteArray m_buffer;
    QByteArray m_errors;
    QTimer m_timeout;
    bool m_inFlight = false;
    bool m_stopping = false;
    qsizetype m_stagesStarted = 0;
    quint64 m_generation = 0; // counts stopped pipelines, so a queued stage start knows its own
};

} // namespace

QString ApertiumTranslationEngine::defaultModesDirectory() {
    return QStringLiteral("/usr/share/apertium/modes");
}

ApertiumTranslationEngine::ApertiumTranslationEngine(QString modesDirectory)
    : m_modesDirectory(std::move(modesDirectory)) {}

ApertiumTranslationEngine::~ApertiumTranslationEngine() = default;

QString ApertiumTranslationEngine::modeFile(const QString& source, const QString& target) const {
    const QDir dir(m_modesDirectory);
    const QStringList names = {
        apertiumLanguageCode(source) + u'-' + apertiumLanguageCode(target) + QStringLiteral(".mode"),
        source + u'-' + target + QStringLiteral(".mode"),
    };
    for (const QString& name : names) {
        const QFileInfo info(dir.filePath(name));
        if (info.isFile() && info.isReadable())
            return info.filePath();
    }
    return QString();
}

namespace {

// The pipeline of an installed pair, with every program resolved to its path.
std::optional<QList<ApertiumStage>> installedPipeline(const QString& modeFile) {
    if (modeFile.isEmpty())
        return std::nullopt;
    QFile file(modeFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    auto pipeline = parseApertiumMode(QString::fromUtf8(file.readAll()));
    if (!pipeline)
        return std::nullopt;
    for (ApertiumStage& stage : *pipeline) {
        const QString path = QStandardPaths::findExecutable(stage.program);
        if (path.isEmpty())
            return std::nullopt;
        stage.program = path;
    }
    return pipeline;
}

} // namespace

TranslationPairStatus ApertiumTranslationEngine::pairStatus(const QString& source,
                                                            const QString& target) const {
    if (installedPipeline(modeFile(source, target)))
        return TranslationPairStatus::installed;
    if (debianPackagesApertiumPair(source, target))
        return TranslationPairStatus::supported;
    return TranslationPairStatus::unsupported;
}

std::unique_ptr<TranslationSession> ApertiumTranslationEngine::makeSession(const QString& source,
                                                                           const QString& target) {
    const QString pair = apertiumLanguageCode(source) + u'-' + apertiumLanguageCode(target);
    return std::make_unique<ApertiumSession>(
        installedPipeline(modeFile(source, target)), pair,
        QStringLiteral("The Apertium pair %1 is not installed.").arg(pair));
}

std::optional<QList<ApertiumStage>> parseApertiumMode(const QString& modeText) {
    QList<ApertiumStage> pipeline;
    for (const QString& stageText : splitStages(modeText.trimmed())) {
        const auto words = splitWords(stageText);
        if (!words || words->isEmpty())
            return std::nullopt;
        ApertiumStage stage{words->first(), {}};
        // Word-bound blanks never occur in plain text, and these two stages do not pass a
        // null flush on.
        if (stage.program == QLatin1String("apertium-wblank-attach") ||
            stage.program == QLatin1String("apertium-wblank-detach"))
            continue;
        stage.arguments.append(QStringLiteral("-z"));
        for (qsizetype i = 1; i < words->size(); ++i) {
            const QString& word = words->at(i);
            if (word == QLatin1String("-z"))
                continue;
            if (word == QLatin1String("$1")) {
                // The generator's option: generate without marking unknown words.
                stage.arguments.append(QStringLiteral("-n"));
            } else if (word.startsWith(u'$')) {
                // Other placeholders stand for options left unset (the tagger's "-m").
                if (word.size() != 2 || !word.at(1).isDigit())
                    return std::nullopt;
            } else {
                stage.arguments.append(word);
            }
        }
        pipeline.append(stage);
    }
    if (pipeline.isEmpty())
        return std::nullopt;
    return pipeline;
}

QByteArray apertiumRequest(const QString& text) {
    QString stream;
    stream.reserve(text.size() + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
        case u'[':
        case u']':
        case u'^':
        case u'$':
        case u'/':
        case u'<':
        case u'>':
        case u'@':
        case u'{':
        case u'}':
        case u'+':
        case u'|':
            stream += u'\\';
            stream += c;
            break;
        // Characters the pipeline would take for marks or drop travel in blanks, verbatim.
        case u'*':
        case u'#':
        case u'~':
        case u'\n':
        case u'\r':
        case u'\t':
            stream += u'[';
            stream += c;
            stream += u']';
            break;
        case u'\0':
            break;
        default:
            stream += c;
        }
    }
    // A closing blank makes every stage pass the request on at once.
    stream += QStringLiteral("[]");
    QByteArray bytes = stream.toUtf8();
    bytes.append('\0');
    return bytes;
}

QString apertiumAnswerText(const QString& answer, const QString& source) {
    QString text;
    text.reserve(answer.size());
    for (qsizetype i = 0; i < answer.size(); ++i) {
        const QChar c = answer.at(i);
        if (c == u'\\' && i + 1 < answer.size()) {
            text += answer.at(++i);
        } else if (c == u'[') {
            // A blank: its content is the source's own, verbatim.
            for (++i; i < answer.size() && answer.at(i) != u']'; ++i) {
                if (answer.at(i) == u'\\' && i + 1 < answer.size())
                    ++i;
                text += answer.at(i);
            }
        } else if (c == u'*' || c == u'#' || c == u'@' || c == u'\0') {
            // Marks of unknown or ungenerated words; the source's own such characters came
            // back escaped or in blanks.
            continue;
        } else {
            text += c;
        }
    }
    if (!hasInnerSpaceRun(source))
        text = collapseInnerSpaces(text);
    // A word the translation drops can leave its space behind at the start or end of a line.
    const auto startsWithSpace = [](const QString& s) { return !s.isEmpty() && s.front() == u' '; };
    const auto endsWithSpace = [](const QString& s) { return !s.isEmpty() && s.back() == u' '; };
    if (!startsWithSpace(source)) {
        while (startsWithSpace(text))
            text.remove(0, 1);
    }
    if (!endsWithSpace(source)) {
        while (endsWithSpace(text))
            text.chop(1);
    }
    if (!source.contains(QStringLiteral("\n "))) {
        while (text.contains(QStringLiteral("\n ")))
            text.replace(QStringLiteral("\n "), QStringLiteral("\n"));
    }
    if (!source.contains(QStringLiteral(" \n"))) {
        while (text.contains(QStringLiteral(" \n")))
            text.replace(QStringLiteral(" \n"), QStringLiteral("\n"));
    }
    for (const QChar p : {u'.', u',', u';', u':', u'!', u'?'}) {
        const QString spaced = QStringLiteral(" ") + p;
        if (!source.contains(spaced))
            text.replace(spaced, QString(p));
    }
    return text;
}

QString apertiumLanguageCode(const QString& iso639_1) {
    const QLocale::Language language = QLocale::codeToLanguage(iso639_1, QLocale::ISO639Part1);
    if (language == QLocale::AnyLanguage)
        return iso639_1;
    const QString code = QLocale::languageToCode(language, QLocale::ISO639Part3);
    return code.isEmpty() ? iso639_1 : code;
}

bool debianPackagesApertiumPair(const QString& source, const QString& target) {
    const QString a = apertiumLanguageCode(source);
    const QString b = apertiumLanguageCode(target);
    for (const auto& [first, second] : debianApertiumPairs()) {
        if ((first == a && second == b) || (first == b && second == a))
            return true;
    }
    return false;
}

} // namespace quillora
