// The OpenAI client's own work per request: building the request, sending it to a loopback
// server, and reading a 4 KB reply. CPU time is the UI thread's share (the network manager
// does its socket work on a thread of its own); real time includes the server.
#include "ai/ai_model_session.h"
#include "ai/chat_completions.h"
#include "ai/openai_client.h"
#include "ai/seamless_star_result.h"
#include "support/loopback_http_server.h"

#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QNetworkRequest>

#include <benchmark/benchmark.h>

using namespace quillora;
using quillora::test::LoopbackHttpServer;

namespace {

const QString prompt = QString(4000, QLatin1Char('p'));
const QString paragraph = QString(4000, QLatin1Char('w'));

QString replyContent() {
    return QStringLiteral("{\"paragraph\":\"") + paragraph + QStringLiteral("\"}");
}

void BM_BuildRequest(benchmark::State& state) {
    const OpenAIClient client{QStringLiteral("sk-bench"), OpenAIClient::defaultModel};
    for (auto _ : state) {
        const QNetworkRequest request = chatRequest(OpenAIClient::endpoint(), client.apiKey, 60000);
        const QByteArray body =
            client.requestBody(QStringLiteral("system"), prompt, OpenAIClient::jsonObjectFormat);
        benchmark::DoNotOptimize(body.data());
        benchmark::DoNotOptimize(&request);
    }
}
BENCHMARK(BM_BuildRequest);

void BM_DecodeReply(benchmark::State& state) {
    const QByteArray body = LoopbackHttpServer::completion(replyContent()).body;
    for (auto _ : state) {
        Result<QString> reply = OpenAIClient::decodeReply(200, body);
        Result<SeamlessStarResult> value =
            AIModelSession::decodeOpenAIReply<SeamlessStarResult>(reply.value());
        benchmark::DoNotOptimize(value.ok());
    }
    state.SetBytesProcessed(state.iterations() * body.size());
}
BENCHMARK(BM_DecodeReply);

void BM_RequestToLoopback(benchmark::State& state) {
    LoopbackHttpServer server;
    server.setDefaultReply(LoopbackHttpServer::completion(replyContent()));
    qputenv(OpenAIClient::baseURLVariable, server.baseURL().toUtf8());
    QNetworkAccessManager network;
    QObject context;
    const OpenAIClient client{QStringLiteral("sk-bench"), OpenAIClient::defaultModel};
    for (auto _ : state) {
        bool done = false;
        client.complete(network, QStringLiteral("system"), prompt, OpenAIClient::jsonObjectFormat,
                        ResultReceiver(&context, QStringLiteral("bench")), [&](Result<QString> reply) {
                            Result<SeamlessStarResult> value =
                                AIModelSession::decodeOpenAIReply<SeamlessStarResult>(reply.value());
                            benchmark::DoNotOptimize(value.ok());
                            done = true;
                        });
        while (!done)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    qunsetenv(OpenAIClient::baseURLVariable);
}
BENCHMARK(BM_RequestToLoopback)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::benchmark::Initialize(&argc, argv);
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
