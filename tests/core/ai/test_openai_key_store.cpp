#include "ai/openai_client.h"
#include "platform/settings.h"
#include "support/test_home.h"

#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;

class OpenAIKeyStoreTest : public QObject {
    Q_OBJECT

private slots:
    void keyIsStoredTrimmedAndBlankRemovesIt() {
        Settings settings; // the user's settings file, in the test's own home
        QSignalSpy changed(&settings, &Settings::changed);
        QVERIFY(!OpenAIClient::storedAPIKey(settings));

        OpenAIClient::setAPIKey(settings, QStringLiteral("  sk-abc \n"));
        QCOMPARE(settings.openAIAPIKey(), QStringLiteral("sk-abc"));
        QCOMPARE(OpenAIClient::storedAPIKey(settings), std::optional<QString>(QStringLiteral("sk-abc")));
        QCOMPARE(changed.last().first().toString(), QStringLiteral("OpenAIAPIKey"));

        // The settings file holds the key: readable by its owner only.
        QCOMPARE(QFile(settings.fileName()).permissions() & (QFile::ReadGroup | QFile::ReadOther),
                 QFile::Permissions());

        OpenAIClient::setAPIKey(settings, QStringLiteral(" \t\n"));
        QVERIFY(!settings.contains(Settings::openAIAPIKeyKey));
        QVERIFY(!OpenAIClient::storedAPIKey(settings));

        // White space written by other means counts as no key; surrounding blanks are trimmed.
        settings.setOpenAIAPIKey(QStringLiteral("\n  \n"));
        QVERIFY(!OpenAIClient::storedAPIKey(settings));
        settings.setOpenAIAPIKey(QStringLiteral(" sk-xyz\r\n"));
        QCOMPARE(OpenAIClient::storedAPIKey(settings), std::optional<QString>(QStringLiteral("sk-xyz")));
    }
};

QUILLORA_TEST_MAIN(OpenAIKeyStoreTest)
#include "test_openai_key_store.moc"
