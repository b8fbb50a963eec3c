#include "ai/ai_model_session.h"
#include "ai/ats_analysis.h"
#include "ai/ats_rewrite_payload.h"
#include "ai/chat_completions.h"
#include "ai/cover_letter.h"
#include "ai/json_text.h"
#include "ai/openai_client.h"
#include "ai/resume_ai_view_model.h"
#include "ai/seamless_star_formatter.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QTest>

#include <random>

using namespace quillora;

namespace {

// Builds hostile replies from a fixed seed, so a failure can be replayed.
class ReplyGenerator {
public:
    explicit ReplyGenerator(unsigned seed)
        : m_random(seed) {}

    QByteArray next() {
        switch (pick(9)) {
        case 0:
            return envelope(jsonString(structured()));
        case 1:
            return structured();
        case 2:
            return truncate(envelope(jsonString(structured())));
        case 3:
            return nested();
        case 4:
            return braces();
        case 5:
            return randomBytes(pick(4096));
        case 6:
            return mutate(envelope(jsonString(structured())));
        case 7:
            return mutate(QByteArrayLiteral("Sure! ```json\n") + structured() +
                          QByteArrayLiteral("\n``` done"));
        default:
            return pick(10) == 0 ? huge() : mutate(structured());
        }
    }

private:
    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(m_random); }

    QByteArray jsonString(const QByteArray& text) { return jsonQuoted(QString::fromUtf8(text)); }

    QByteArray envelope(const QByteArray& content) {
        return QByteArrayLiteral("{\"choices\":[{\"message\":{\"content\":") + content +
               QByteArrayLiteral("}}]}");
    }

    QByteArray structured() {
        switch (pick(4)) {
        case 0:
            return QByteArrayLiteral("{\"paragraph\":\"Led the team. Shipped it. Users smiled.\"}");
        case 1:
            return QByteArrayLiteral("{\"text\":\"Dear Hiring Manager,\\n\\nSincerely,\\nAda\"}");
        case 2:
            return QByteArrayLiteral(
                "{\"overallScore\":87,\"missingKeywords\":[\"SQL\",\"Go\"],\"suggestions\":[\"a\"],"
                "\"sectionFeedback\":[{\"section\":\"Skills\",\"feedback\":{\"score\":70,"
                "\"missingKeywords\":[],\"suggestions\":[]}}],\"notes\":null}");
        default:
            return QByteArrayLiteral(
                "{\"summary\":\"S\",\"experience\":[{\"role\":\"r\",\"company\":\"c\",\"details\":"
                "\"d\"}],\"skills\":[\"x\"],\"insertedKeywords\":[{\"keyword\":\"k\",\"section\":"
                "\"s\"}]}");
        }
    }

    QByteArray truncate(const QByteArray& bytes) {
        return bytes.left(pick(static_cast<int>(bytes.size()) + 1));
    }

    QByteArray nested() {
        const int depth = 1 + pick(3000);
        const bool objects = pick(2) == 0;
        QByteArray out;
        for (int i = 0; i < depth; ++i)
            out.append(objects ? "{\"paragraph\":" : "[");
        out.append("\"deep\"");
        if (pick(2) == 0) {
            for (int i = 0; i < depth; ++i)
                out.append(objects ? '}' : ']');
        }
        return out;
    }

    QByteArray braces() {
        static const char alphabet[] = "{}[]\":,\\ ";
        QByteArray out;
        const int length = pick(20000);
        out.reserve(length);
        for (int i = 0; i < length; ++i)
            out.append(alphabet[pick(sizeof alphabet - 1)]);
        return out;
    }

    QByteArray randomBytes(int length) {
        QByteArray out(length, '\0');
        for (char& c : out)
            c = static_cast<char>(pick(256));
        return out;
    }

    QByteArray mutate(QByteArray bytes) {
        const int edits = 1 + pick(8);
        for (int i = 0; i < edits && !bytes.isEmpty(); ++i) {
            const int at = pick(static_cast<int>(bytes.size()));
            switch (pick(5)) {
            case 0:
                bytes[at] = static_cast<char>(pick(256));
                break;
            case 1:
                bytes.remove(at, 1 + pick(8));
                break;
            case 2:
                bytes.insert(at, randomBytes(1 + pick(8)));
                break;
            case 3:
                bytes.insert(at, bytes.mid(at, pick(64)));
                break;
            default:
                bytes.insert(at, QByteArray("\xc3\x28\xed\xa0\x80\xf4\x90\x80\x80", 9));
                break;
            }
        }
        return bytes;
    }

    QByteArray huge() {
        QByteArray content(256 * 1024 + pick(256 * 1024), 'a');
        for (int i = 0; i < 64; ++i)
            content[pick(static_cast<int>(content.size()))] = "{}[]\"\\ \n"[pick(8)];
        return pick(2) == 0 ? envelope(jsonString(content)) : content;
    }

    std::mt19937 m_random;
};

template <typename T> void feed(const QString& reply) {
    Result<T> result = AIModelSession::decodeOpenAIReply<T>(reply);
    if (!result.ok() && openAIClientError(result.errorInfo()) != OpenAIClientError::decodingFailed)
        qFatal("an undecodable reply gave an error other than decodingFailed");
}

} // namespace

class AIReplyFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void hostileRepliesNeverCrashOrHang() {
        ReplyGenerator generator(20261207);
        int decoded = 0;
        int spans = 0;
        for (int i = 0; i < 20000; ++i) {
            const QByteArray body = generator.next();
            const int status = (i % 7 == 0) ? 400 + i % 200 : 200;

            Result<QString> reply = OpenAIClient::decodeReply(status, body);
            const QString text = reply.ok() ? reply.value() : QString::fromUtf8(body);
            if (reply.ok())
                ++decoded;

            if (const std::optional<QString> span = OpenAIClient::extractJSON(text)) {
                ++spans;
                QVERIFY(span->startsWith(u'{') || span->startsWith(u'['));
                QVERIFY(span->endsWith(u'}') || span->endsWith(u']'));
            }
            feed<SeamlessStarResult>(text);
            feed<ATSAnalysis>(text);
            feed<ATSRewritePayload>(text);
            feed<CoverLetter>(text);
            (void)decodeChatCompletion(body);
            if (text.size() < 65536) {
                (void)ResumeAIViewModel::scrubUnsupportedNumbers(text, QStringLiteral("no digits"));
                (void)starSentenceSplit(text);
                (void)starNormalize(text);
            }
        }
        // The generator reaches both the happy and the hostile paths.
        QVERIFY(decoded > 1000);
        QVERIFY(spans > 5000);
    }
};

QUILLORA_TEST_MAIN(AIReplyFuzzTest)
#include "test_ai_reply_fuzz.moc"
