#include "platform/json_syntax.h"
#include "store/model_container.h"
#include "store/sqlite.h"
#include "store/store_snapshots.h"
#include "store/user_backup.h"
#include "support/backup_folder_helpers.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QTest>
#include <QTimeZone>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <future>
#include <thread>

#include <sys/resource.h>
#include <unistd.h>

using namespace quillora;

namespace {

QDateTime utc(int y, int mo, int d, int h, int mi, int s, int ms = 0) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
}

// The decimal digits of 5ⁿ.
QByteArray fiveToThe(int n) {
    QByteArray digits("1"); // the lowest digit first
    for (int i = 0; i < n; ++i) {
        int carry = 0;
        for (char& digit : digits) {
            const int product = (digit - '0') * 5 + carry;
            digit = char('0' + product % 10);
            carry = product / 10;
        }
        if (carry > 0)
            digits.append(char('0' + carry));
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

QString latestPath() {
    return backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json");
}

QStringList stampedBackups() {
    return QDir(backupsDirectoryURL())
        .entryList({QStringLiteral("resume-backup-*.json")}, QDir::Files | QDir::CaseSensitive, QDir::Name);
}

// Every text escape, a slash in a Base64 image, absent and present optionals, unsorted entries.
ResumePtr makeFixedResume() {
    return std::make_shared<Resume>(
        QStringLiteral("CV / 2025"), QStringLiteral("Zoë \"Z\" Ångström"), QStringLiteral("a@b.c\n\t+1\\2"),
        QString::fromUtf8("x\x01y 日本"),
        QList<ExperiencePtr>{
            std::make_shared<Experience>(QStringLiteral("B"), QStringLiteral("Co"), QStringLiteral("2019"),
                                         QStringLiteral("Now"), QStringLiteral("d"), 1),
            std::make_shared<Experience>(QStringLiteral("A"), QString(), QString(), QString(), QString(), 0)},
        QList<EducationPtr>{std::make_shared<Education>(QStringLiteral("U"), QStringLiteral("BA"),
                                                        QStringLiteral("2014"), 0)},
        QList<PortfolioItemPtr>{
            std::make_shared<PortfolioItem>(QUuid(QStringLiteral("{6f9619ff-8b86-d011-b42d-00c04fc964ff}")),
                                            QByteArray("\xff\xff\xfe", 3), QStringLiteral("Poster"), 2,
                                            PortfolioImageOrientation::landscape),
            std::make_shared<PortfolioItem>(QUuid(QStringLiteral("{1b4e28ba-2fa1-11d2-883f-0016d3cca427}")),
                                            std::nullopt, QStringLiteral("Sketch"), 0,
                                            PortfolioImageOrientation::portrait),
            std::make_shared<PortfolioItem>(QUuid(QStringLiteral("{00000000-0000-0000-0000-0000000000ab}")),
                                            QByteArray(), QString(), 1, PortfolioImageOrientation::portrait)},
        QStringLiteral("Profile"), std::nullopt, QString(), true, QStringLiteral("Dear"),
        QStringLiteral("Job"), QStringLiteral("Ctx"), utc(2025, 3, 4, 5, 6, 7, 890), false,
        QStringLiteral("P"), QStringLiteral("T"), std::nullopt, std::nullopt, QStringLiteral("Avenir"), -7,
        QDateTime(QDate(2025, 6, 7), QTime(10, 9, 10, 999), QTimeZone(7200)), true,
        QStringList{QStringLiteral("S")}, QStringList{}, QStringLiteral("REC/42"));
}

const char kFixedDocument[] = "{\n"
                              "  \"generatedAt\" : \"2025-01-02T03:04:05Z\",\n"
                              "  \"reason\" : \"launch\",\n"
                              "  \"resumes\" : [\n"
                              "    {\n"
                              "      \"appliedSkills\" : [],\n"
                              "      \"atsGeneratedText\" : \"T\",\n"
                              "      \"atsInsertedKeywords\" : [],\n"
                              "      \"atsJobPosting\" : \"P\",\n"
                              "      \"contactInfo\" : \"a@b.c\\n\\t+1\\\\2\",\n"
                              "      \"coverLetterAIContext\" : \"Ctx\",\n"
                              "      \"coverLetterJobPosting\" : \"Job\",\n"
                              "      \"coverLetterLastGenerated\" : \"2025-03-04T05:06:07Z\",\n"
                              "      \"coverLetterText\" : \"Dear\",\n"
                              "      \"educationItems\" : [\n"
                              "        {\n"
                              "          \"degree\" : \"BA\",\n"
                              "          \"school\" : \"U\",\n"
                              "          \"sortOrder\" : 0,\n"
                              "          \"year\" : \"2014\"\n"
                              "        }\n"
                              "      ],\n"
                              "      \"experienceItems\" : [\n"
                              "        {\n"
                              "          \"company\" : \"\",\n"
                              "          \"details\" : \"\",\n"
                              "          \"endDate\" : \"\",\n"
                              "          \"role\" : \"A\",\n"
                              "          \"sortOrder\" : 0,\n"
                              "          \"startDate\" : \"\"\n"
                              "        },\n"
                              "        {\n"
                              "          \"company\" : \"Co\",\n"
                              "          \"details\" : \"d\",\n"
                              "          \"endDate\" : \"Now\",\n"
                              "          \"role\" : \"B\",\n"
                              "          \"sortOrder\" : 1,\n"
                              "          \"startDate\" : \"2019\"\n"
                              "        }\n"
                              "      ],\n"
                              "      \"fontName\" : \"Avenir\",\n"
                              "      \"fullName\" : \"Zoë \\\"Z\\\" Ångström\",\n"
                              "      \"includeATSVersion\" : false,\n"
                              "      \"includeCoverLetter\" : true,\n"
                              "      \"includeSkills\" : true,\n"
                              "      \"lastEdited\" : \"2025-06-07T08:09:10Z\",\n"
                              "      \"morvessaRecordName\" : \"REC\\/42\",\n"
                              "      \"portfolioItems\" : [\n"
                              "        {\n"
                              "          \"caption\" : \"Sketch\",\n"
                              "          \"id\" : \"1B4E28BA-2FA1-11D2-883F-0016D3CCA427\",\n"
                              "          \"orientation\" : \"portrait\",\n"
                              "          \"sortOrder\" : 0\n"
                              "        },\n"
                              "        {\n"
                              "          \"caption\" : \"\",\n"
                              "          \"id\" : \"00000000-0000-0000-0000-0000000000AB\",\n"
                              "          \"imageDataBase64\" : \"\",\n"
                              "          \"orientation\" : \"portrait\",\n"
                              "          \"sortOrder\" : 1\n"
                              "        },\n"
                              "        {\n"
                              "          \"caption\" : \"Poster\",\n"
                              "          \"id\" : \"6F9619FF-8B86-D011-B42D-00C04FC964FF\",\n"
                              "          \"imageDataBase64\" : \"\\/\\/\\/+\",\n"
                              "          \"orientation\" : \"landscape\",\n"
                              "          \"sortOrder\" : 2\n"
                              "        }\n"
                              "      ],\n"
                              "      \"suggestedSkills\" : [\n"
                              "        \"S\"\n"
                              "      ],\n"
                              "      \"summary\" : \"x\\u0001y 日本\",\n"
                              "      \"templateID\" : -7,\n"
                              "      \"title\" : \"CV \\/ 2025\",\n"
                              "      \"titleEducation\" : \"\",\n"
                              "      \"titleSummary\" : \"Profile\"\n"
                              "    }\n"
                              "  ]\n"
                              "}";

// The résumés of the stored reference document: every kind of value, ties in lastEdited, an
// image of some size, texts that need escaping. Fixed ids and dates, so the bytes never vary.
QList<ResumePtr> referenceResumes() {
    QList<ResumePtr> resumes;
    resumes << makeFixedResume();

    ResumePtr full = test::makeFullResume();
    full->portfolioItems().at(0)->setId(QUuid(QStringLiteral("{0e7d1c55-3f0a-4c53-9a43-2b8e0f1d0001}")));
    full->portfolioItems().at(1)->setId(QUuid(QStringLiteral("{0e7d1c55-3f0a-4c53-9a43-2b8e0f1d0002}")));
    resumes << full;

    // Three résumés edited at the same moment: the later created comes first.
    const QDateTime tie = utc(2024, 2, 29, 23, 59, 59, 500);
    for (int i = 0; i < 3; ++i) {
        ResumePtr same = test::makeEmptyResume(QStringLiteral("Tie %1").arg(i), tie);
        same->setFullName(QStringLiteral("Person %1").arg(i));
        if (i == 1) {
            QByteArray image(30000, Qt::Uninitialized);
            quint32 state = 2463534242U;
            for (char& byte : image) { // xorshift: fixed bytes of every value, slashes included
                state ^= state << 13;
                state ^= state >> 17;
                state ^= state << 5;
                byte = char(state & 0xff);
            }
            same->setPortfolioItems({std::make_shared<PortfolioItem>(
                QUuid(QStringLiteral("{0e7d1c55-3f0a-4c53-9a43-2b8e0f1d0003}")), image,
                QStringLiteral("Noise / 30 kB"), 0, PortfolioImageOrientation::portrait)});
        }
        resumes << same;
    }

    resumes << test::makeEmptyResume(QString(), utc(2001, 1, 1, 0, 0, 0));

    ResumePtr texts = test::makeEmptyResume(QStringLiteral("Texts"), utc(2026, 12, 31, 23, 59, 59, 999));
    texts->setSummary(QString::fromUtf8("line 1\r\nline 2\u2028 tab\t bell\x07 del\x7f "
                                        "emoji \xf0\x9f\x98\x80 </script> \\/ \"q\" \x1f"));
    texts->setCoverLetterText(QString(2000, QLatin1Char('x')) + QStringLiteral("/end"));
    texts->setAtsInsertedKeywords(QStringList{QStringLiteral("C/C++"), QString(), QStringLiteral("Qt 6")});
    texts->setAtsLastGenerated(utc(1999, 12, 31, 23, 59, 59, 999));
    texts->setExperienceItems(
        {std::make_shared<Experience>(QStringLiteral("Z"), QStringLiteral("Co"), QString(), QString(),
                                      QStringLiteral("tied 1"), 5),
         std::make_shared<Experience>(QStringLiteral("Y"), QStringLiteral("Co"), QString(), QString(),
                                      QStringLiteral("tied 2"), 5),
         std::make_shared<Experience>(QStringLiteral("X"), QStringLiteral("Co"), QString(), QString(),
                                      QStringLiteral("first"), -3)});
    texts->setEducationItems({std::make_shared<Education>(QStringLiteral("B"), QString(), QString(), 2),
                              std::make_shared<Education>(QStringLiteral("A"), QString(), QString(), 1)});
    resumes << texts;
    return resumes;
}

QString referenceDocumentPath() {
    return QStringLiteral(QUILLORA_SOURCE_DIR "/tests/core/store/fixtures/user_backup.json");
}

const QDateTime kReferenceGeneratedAt = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);

// The file's bytes with its time of writing set to the reference document's.
QByteArray withReferenceTime(QByteArray document) {
    static const QByteArray key = "\"generatedAt\" : \"";
    const qsizetype at = document.indexOf(key);
    if (at >= 0)
        document.replace(at + key.size(), 20, "2026-01-02T03:04:05Z");
    return document;
}

std::unique_ptr<ModelContainer> memoryStore() {
    auto container = ModelContainer::inMemory();
    if (!container)
        qFatal("in-memory store failed: %s", qPrintable(container.error()));
    container.value()->mainContext().setAutosaveEnabled(false);
    return std::move(container).value();
}

// Lets a root test run see permissions as an ordinary user would.
class UnprivilegedScope final {
public:
    UnprivilegedScope() {
        if (::geteuid() == 0) {
            // The app's folders are owner-only: let the other user pass through them.
            for (const QString& folder : {QFileInfo(applicationSupportURL()).absolutePath(),
                                          applicationSupportURL(), storeDirectoryURL()})
                QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ExeGroup |
                                                  QFileDevice::ExeOther);
            m_dropped = ::seteuid(65534) == 0;
        }
    }
    ~UnprivilegedScope() {
        if (m_dropped)
            (void)!::seteuid(0);
    }
    UnprivilegedScope(const UnprivilegedScope&) = delete;
    UnprivilegedScope& operator=(const UnprivilegedScope&) = delete;

private:
    bool m_dropped = false;
};

} // namespace

class UserBackupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::resetDataDirectory(); }

    void documentOfAFixedResume() {
        ResumeBackupPayload payload{utc(2025, 1, 2, 3, 4, 5, 600),
                                    QStringLiteral("launch"),
                                    {makeResumeBackupRecord(*makeFixedResume())}};
        QCOMPARE(encodeUserBackup(payload), QByteArray(kFixedDocument));

        payload = {utc(2025, 1, 2, 3, 4, 5), QStringLiteral("background"), {}};
        QCOMPARE(encodeUserBackup(payload), QByteArray("{\n"
                                                       "  \"generatedAt\" : \"2025-01-02T03:04:05Z\",\n"
                                                       "  \"reason\" : \"background\",\n"
                                                       "  \"resumes\" : []\n"
                                                       "}"));

        // Images of every length around the encoder's block size decode to the same bytes.
        ResumeBackupRecord withImages = makeResumeBackupRecord(*test::makeEmptyResume());
        const QList<int> sizes{1, 2, 3, 4, 5, 3071, 3072, 3073, 10000};
        for (int size : sizes) {
            QByteArray bytes(size, Qt::Uninitialized);
            for (int i = 0; i < size; ++i)
                bytes[i] = char((i * 151 + size) % 256);
            withImages.portfolioItems.append(
                {QUuid::createUuid(), QString(), 0, QStringLiteral("portrait"), bytes});
        }
        const QJsonArray encoded =
            QJsonDocument::fromJson(
                encodeUserBackup({utc(2025, 1, 1, 0, 0, 0), QStringLiteral("launch"), {withImages}}))
                .object()[QStringLiteral("resumes")][0][QStringLiteral("portfolioItems")]
                .toArray();
        QCOMPARE(encoded.size(), sizes.size());
        for (int i = 0; i < sizes.size(); ++i)
            QCOMPARE(encoded.at(i)[QStringLiteral("imageDataBase64")].toString().toLatin1(),
                     withImages.portfolioItems.at(i).imageData->toBase64());

        // A résumé without the optional values leaves their keys out; a missing keyword list is [].
        const QJsonObject empty =
            QJsonDocument::fromJson(encodeUserBackup({utc(2025, 1, 1, 0, 0, 0),
                                                      QStringLiteral("launch"),
                                                      {makeResumeBackupRecord(*test::makeEmptyResume())}}))
                .object()[QStringLiteral("resumes")]
                .toArray()
                .at(0)
                .toObject();
        QCOMPARE(empty.size(), 21);
        for (const char* key : {"titleSummary", "titleExperience", "titleEducation",
                                "coverLetterLastGenerated", "atsLastGenerated", "morvessaRecordName"})
            QVERIFY2(!empty.contains(QLatin1String(key)), key);
        QCOMPARE(empty[QStringLiteral("atsInsertedKeywords")].toArray().size(), 0);
    }

    // The document keeps the exact bytes of the reference written before it was streamed: the
    // encoding, the file a backup writes, and the file a background run writes from the store.
    void documentMatchesTheReference() {
        QByteArray reference;
        {
            auto store = memoryStore();
            for (const ResumePtr& resume : referenceResumes())
                store->mainContext().insert(resume);
            auto payload = makeResumeBackupPayload(store->mainContext(), QStringLiteral("launch"));
            QVERIFY(payload.ok());
            payload->generatedAt = kReferenceGeneratedAt;
            const QByteArray encoded = encodeUserBackup(*payload);
            reference = test::readFile(referenceDocumentPath());
            QVERIFY(reference.size() > 40000);
            QCOMPARE(encoded, reference);
            (void)test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("launch")); });
            QCOMPARE(withReferenceTime(test::readFile(latestPath())), reference);
        }

        // From a store file: one résumé changed back to its saved value and one only inserted, so
        // the run merges what the context holds with what it reads from the file.
        const QString path = QDir::tempPath() + QStringLiteral("/reference/default.store");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QList<ResumePtr> resumes = referenceResumes();
        const ResumePtr unsaved = resumes.takeLast();
        QString savedTitle;
        {
            auto created = ModelContainer::open(path);
            QVERIFY(created.ok());
            ModelContext& context = (*created)->mainContext();
            context.setAutosaveEnabled(false);
            for (const ResumePtr& resume : std::as_const(resumes))
                context.insert(resume);
            QVERIFY(context.save().ok());
            savedTitle = resumes.at(1)->title();
            resumes.at(1)->setTitle(QStringLiteral("Saved, then changed back"));
            QVERIFY(context.save().ok());
        }
        auto opened = ModelContainer::open(path);
        QVERIFY(opened.ok());
        ModelContext& context = (*opened)->mainContext();
        context.setAutosaveEnabled(false);
        const QList<ResumePtr> list = *context.fetchResumes();
        for (const ResumePtr& resume : list) {
            if (resume->title() == QStringLiteral("Saved, then changed back"))
                resume->setTitle(savedTitle);
        }
        context.insert(unsaved);
        (void)test::printedBy([&] {
            writeUserBackupInBackground(context, QStringLiteral("launch"), path);
            waitForUserBackups();
        });
        QCOMPARE(withReferenceTime(test::readFile(latestPath())), reference);
    }

    void writesTheContextWithUnsavedChanges() {
        auto store = memoryStore();
        ModelContext& context = store->mainContext();
        ResumePtr saved = test::makeFullResume();
        context.insert(saved);
        QVERIFY(context.save().ok());
        saved->setTitle(QStringLiteral("Edited, not saved"));
        context.insert(
            test::makeEmptyResume(QStringLiteral("Inserted, not saved"), utc(2030, 1, 1, 0, 0, 0)));

        QCOMPARE(test::printedBy([&] { writeUserBackup(context, QStringLiteral("background")); }),
                 QStringList{QStringLiteral("🛟 User backup written (background) to ") + latestPath()});

        const QByteArray latest = test::readFile(latestPath());
        QCOMPARE(stampedBackups().size(), 1);
        QCOMPARE(test::readFile(backupsDirectoryURL() + QLatin1Char('/') + stampedBackups().first()), latest);

        const QJsonObject root = QJsonDocument::fromJson(latest).object();
        QCOMPARE(root[QStringLiteral("reason")].toString(), QStringLiteral("background"));
        const QJsonArray resumes = root[QStringLiteral("resumes")].toArray();
        QCOMPARE(resumes.size(), 2);
        QCOMPARE(resumes.at(0)[QStringLiteral("title")].toString(), QStringLiteral("Inserted, not saved"));
        QCOMPARE(resumes.at(1)[QStringLiteral("title")].toString(), QStringLiteral("Edited, not saved"));
        const QDateTime generatedAt =
            QDateTime::fromString(root[QStringLiteral("generatedAt")].toString(), Qt::ISODate);
        QVERIFY(qAbs(generatedAt.secsTo(QDateTime::currentDateTimeUtc())) < 60);

        // The file is exactly the encoding of what the context held.
        auto payload = makeResumeBackupPayload(context, QStringLiteral("background"));
        QVERIFY(payload.ok());
        payload->generatedAt = generatedAt;
        QCOMPARE(encodeUserBackup(*payload), latest);
    }

    void emptyStoreStillWritesBothFiles() {
        auto store = memoryStore();
        const QStringList lines =
            test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("launch")); });
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith(QStringLiteral("🛟 User backup written (launch) to ")));
        QCOMPARE(
            QJsonDocument::fromJson(test::readFile(latestPath()))[QStringLiteral("resumes")].toArray().size(),
            0);
        QCOMPARE(stampedBackups().size(), 1);
    }

    void timeStampedCopiesArePrunedToEight() {
        QVERIFY(ensureStoreDirectory().ok());
        const QString backups = backupsDirectoryURL();
        for (int i = 0; i < 9; ++i) {
            // Names run against age, so only modification dates can decide.
            const QString path = backups + QStringLiteral("/resume-backup-2020010%1-000000.json").arg(i);
            QVERIFY(test::writeFile(path, test::userBackupDocument()));
            QVERIFY(test::setModifiedSecondsAgo(path, 1000 * (i + 1)));
        }
        const QStringList untouched{QStringLiteral("resume-backup-old.JSON"),
                                    QStringLiteral("resume-backup-old.txt"),
                                    QStringLiteral("my-resume-backup-1.json"),
                                    QStringLiteral("store-20200101-000000-launch-preflight")};
        for (const QString& name : untouched) {
            QVERIFY(test::writeFile(backups + QLatin1Char('/') + name, "x"));
            QVERIFY(test::setModifiedSecondsAgo(backups + QLatin1Char('/') + name, 99999));
        }

        auto store = memoryStore();
        QCOMPARE(
            test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("launch")); }).size(),
            1);

        const QStringList kept = stampedBackups();
        QCOMPARE(kept.size(), 8);
        // This run's file and the seven newest earlier ones stay; the two oldest go.
        QVERIFY(!kept.contains(QStringLiteral("resume-backup-20200108-000000.json")));
        QVERIFY(!kept.contains(QStringLiteral("resume-backup-20200107-000000.json")));
        QVERIFY(kept.contains(QStringLiteral("resume-backup-20200100-000000.json")));
        const QStringList all = test::backupsListing();
        for (const QString& name : untouched)
            QVERIFY2(all.contains(name), qPrintable(name));
        QVERIFY(all.contains(QStringLiteral("latest-resume-backup.json")));
    }

    // Only our own backups count and are pruned. A pipe named like the newest backup is never
    // opened, so neither the backup worker nor quitting waits on it; folders named like an old
    // backup or snapshot keep the user's files (a snapshot holds nothing but the store's files, by
    // their names); a JSON file a sync tool put there, dated in the future and listing résumés, is
    // neither counted among the eight nor taken for the newest backup with résumés, and nor is a
    // backup of ours damaged in the middle; a link is not followed. None of them is changed.
    void onlyOurBackupsAreCountedAndPruned() {
        QVERIFY(ensureStoreDirectory().ok());
        const QDir backups(backupsDirectoryURL());
        QStringList ours;
        for (int i = 0; i < 9; ++i) {
            // The oldest is the only one with a résumé in it.
            ours << QStringLiteral("resume-backup-2020010%1-000000.json").arg(i);
            const QString path = backups.filePath(ours.last());
            QByteArray document =
                test::userBackupDocument(i >= 7 ? QStringList{QStringLiteral("Kept CV")} : QStringList{});
            if (i == 7) // newer, listing a résumé, its beginning and end intact: damaged in the middle
                document.replace(document.size() / 2, 8, QByteArray(8, '\0'));
            QVERIFY(test::writeFile(path, document));
            QVERIFY(test::setModifiedSecondsAgo(path, 1000 * (i + 1)));
        }
        const QString pipe = backups.filePath(QStringLiteral("resume-backup-20991231-235959.json"));
        const QString folder = backups.filePath(QStringLiteral("resume-backup-20000101-000000.json"));
        const QString foreign = backups.filePath(QStringLiteral("resume-backup-20991231-000000.json"));
        const QString link = backups.filePath(QStringLiteral("resume-backup-20000102-000000.json"));
        const QString snapshotFolder =
            backups.filePath(QStringLiteral("store-20000101-000000-launch-preflight"));
        const QString snapshotPipe =
            backups.filePath(QStringLiteral("store-20991231-000000-launch-preflight"));
        const QByteArray foreignBytes =
            "{\n  \"note\" : \"copied here by a sync tool\",\n  \"resumes\" : [\n"
            "    { \"appliedSkills\" : [], \"title\" : \"Someone else\" }\n  ]\n}\n";
        QVERIFY(test::makePipe(pipe) && test::makePipe(snapshotPipe));
        QVERIFY(test::makeFolderWithFile(folder, QStringLiteral("mine.txt"), "the user's"));
        QVERIFY(test::makeFolderWithFile(snapshotFolder, QStringLiteral("default.store"), "x"));
        QVERIFY(test::writeFile(snapshotFolder + QStringLiteral("/photo.jpg"), "the user's"));
        const QString snapshotNamedFolder = backups.filePath(QStringLiteral("store-20000101-000000-x"));
        QVERIFY(test::makeFolderWithFile(snapshotNamedFolder, QStringLiteral("notes.txt"), "the user's"));
        QVERIFY(test::setModifiedSecondsAgo(snapshotNamedFolder, 999999));
        QVERIFY(test::writeFile(foreign, foreignBytes));
        const QString outside = quillora::test::writeTempFile(
            QStringLiteral("outside.json"), test::userBackupDocument({QStringLiteral("Outside")}));
        QVERIFY(QFile::link(outside, link));
        QVERIFY(test::setModifiedSecondsAgo(pipe, -86400 * 730)); // the newest
        QVERIFY(test::setModifiedSecondsAgo(foreign, -86400 * 365));
        QVERIFY(test::setModifiedSecondsAgo(folder, 999999));
        QVERIFY(test::setModifiedSecondsAgo(snapshotFolder, 999999));

        // An empty store ("Start Empty"), backed up on the worker; quitting waits for it.
        auto store = memoryStore();
        const QStringList printed = test::printedBy([&] {
            writeUserBackupInBackground(store->mainContext(), QStringLiteral("background"));
            std::promise<void> quit;
            std::future<void> quitted = quit.get_future();
            std::thread waiter([&quit] {
                waitForUserBackups();
                quit.set_value();
            });
            if (quitted.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
                qFatal("Quitting did not end: the backup worker waits on an entry of Backups.");
            waiter.join();
        });
        QCOMPARE(printed.size(), 1);
        QVERIFY(printed.first().startsWith(QStringLiteral("🛟 User backup written (background)")));
        QVERIFY(pruneStoreSnapshots(0).ok());

        // Eight of ours are the new one and the seven newest earlier ones; the oldest, with its
        // résumé, is kept beside them, as the newest backup with résumés that reads whole.
        const QStringList left = test::backupsListing();
        // With the latest file, and the five files and folders that are not ours (the pipes are
        // not listed here).
        QCOMPARE(left.size(), 10 + 5);
        QVERIFY(!left.contains(ours.at(7)));
        QVERIFY(left.contains(ours.at(8)));
        QVERIFY(test::isPipe(pipe) && test::isPipe(snapshotPipe));
        QCOMPARE(test::readFile(folder + QStringLiteral("/mine.txt")), QByteArray("the user's"));
        QCOMPARE(test::readFile(snapshotFolder + QStringLiteral("/photo.jpg")), QByteArray("the user's"));
        QCOMPARE(test::readFile(snapshotNamedFolder + QStringLiteral("/notes.txt")),
                 QByteArray("the user's"));
        QCOMPARE(test::readFile(foreign), foreignBytes);
        QCOMPARE(QFileInfo(link).symLinkTarget(), outside);
        QVERIFY(QFileInfo::exists(outside));
    }

    void aDocumentReadsWholeOnlyWhenAllOfItIsJson_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("whole");
        const QByteArray backup = test::userBackupDocument({QStringLiteral("A"), QStringLiteral("B/C")});
        QByteArray damaged = backup;
        damaged.replace(backup.size() / 2, 4, "\x01\x02\x03\x04");
        QTest::newRow("backup") << backup << true;
        QTest::newRow("values")
            << QByteArray(" [0, -1.5e+3, 2E-2, 10, true, false, null, \"\\u00e9\\n/\xc3\xa9\", {}, "
                          "[], {\"k\" : {}}]\n")
            << true;
        QTest::newRow("cut short") << backup.left(backup.size() - 3) << false;
        QTest::newRow("damaged in the middle") << damaged << false;
        for (const char* bytes : {"{} {}", "[01]", "[\"\\x\"]", "[[]", "[}", "[1,]", "{\"a\" 1}",
                                  "[\"\xc3\"]", "[1.]", "[tru]", "[\"\t\"]", ""})
            QTest::newRow(bytes) << QByteArray(bytes) << false;
    }
    // A backup counts as one with résumés only when all of it reads: fed in small pieces, as a
    // large file is read, only a whole JSON document passes.
    void aDocumentReadsWholeOnlyWhenAllOfItIsJson() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, whole);
        JsonSyntaxCheck check;
        bool fed = true;
        for (qsizetype at = 0; at < bytes.size() && fed; at += 3)
            fed = check.feed(bytes.constData() + at, std::min<qsizetype>(3, bytes.size() - at));
        QCOMPARE(fed && check.finish(), whole);
    }

    // What the check passes is what the reader reads, and no more: fed a byte at a time, every
    // character that begins with each lead and continuation byte, numbers at the edges of a
    // double's range and nesting either side of the reader's limit.
    void theCheckPassesWhatTheReaderReads() {
        const auto checked = [](const QByteArray& bytes) {
            JsonSyntaxCheck check;
            for (const char c : bytes) {
                if (!check.feed(&c, 1))
                    return false;
            }
            return check.finish();
        };
        QList<QByteArray> documents;
        for (int lead = 0x80; lead <= 0xFF; ++lead) {
            for (int next = 0; next <= 0xFF; ++next) {
                for (int more = 0; more <= 2; ++more)
                    documents << "[\"" + QByteArray(1, char(lead)) + char(next) + QByteArray(more, '\x80') +
                                     "\"]";
            }
        }
        for (const char* number :
             {"1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308",
              "-1.79769313486231580793728971405301e308", "1.8e308", "-1e400", "4.9e-324",
              "2.4703282292062328e-324", "2.4703282292062329e-324", "2e-324", "1e-400", "0e99999",
              "-0.000e-99999", "-0", "123456789012345678901234567890", "1e00000000000000000000000308",
              "1e99999999999999999999"}) {
            documents << QByteArray("[") + number + ']';
        }
        for (const int digits : {308, 309, 1000}) {
            documents << "[" + QByteArray(digits, '9') + "]";
            documents << "[0." + QByteArray(digits, '0') + "1]";
            documents << "[1" + QByteArray(digits, '0') + "e-" + QByteArray::number(digits + 300) + "]";
        }
        documents << "[17976931348623158" + QByteArray(292, '0') + "]"
                  << "[17976931348623158" + QByteArray(900, '0') + "1e-609]";
        // Halfway between zero and the least double, which the reader takes as zero, and a little
        // more, far past the digits that are kept, which it takes as the least double.
        const QByteArray half = "[0." + QByteArray(1075 - fiveToThe(1075).size(), '0') + fiveToThe(1075);
        documents << half + "]" << half + QByteArray(100, '0') + "1]";
        for (const int depth : {1024, 1025}) {
            documents << QByteArray(depth, '[') + QByteArray(depth, ']');
            documents << QByteArray(depth - 1, '[') + "{}" + QByteArray(depth - 1, ']');
            documents << QByteArray("{\"a\":").repeated(depth) + "1" + QByteArray(depth, '}');
        }
        documents << "1"
                  << "\"x\""
                  << "true"
                  << "null";
        QStringList differ;
        for (const QByteArray& document : std::as_const(documents)) {
            const bool reads = !QJsonDocument::fromJson(document).isNull();
            if (checked(document) != reads)
                differ << QString::fromLatin1(document.left(60).toPercentEncoding()) +
                              (reads ? QStringLiteral(" (read)") : QStringLiteral(" (refused)"));
        }
        QVERIFY2(differ.isEmpty(), qPrintable(differ.join(QLatin1Char('\n'))));
    }

    // The reader counts a document's bytes in an int: one of 2 GiB or more it refuses whole, and
    // so does the check. Streamed in pieces, as a file is read, so nothing that size is held.
    void aDocumentTooLongForTheReaderIsRefused() {
        const QByteArray piece(16 << 20, 'A');
        const auto checked = [&piece](qint64 length) {
            JsonSyntaxCheck check;
            bool fed = check.feed("[\"", 2);
            for (qint64 left = length - 4; left > 0 && fed; left -= piece.size())
                fed = check.feed(piece.constData(), qsizetype(std::min<qint64>(left, piece.size())));
            return fed && check.feed("\"]", 2) && check.finish();
        };
        QCOMPARE(JsonSyntaxCheck::largestDocument, qint64(2'147'483'647));
        QVERIFY(checked(JsonSyntaxCheck::largestDocument));
        QVERIFY(!checked(JsonSyntaxCheck::largestDocument + 1));
    }

    // A backup longer than the reader reads is not written: the run fails, says why, and the
    // earlier backups stay as they were, none of them pruned. One just within the bound is written.
    void aBackupTooLargeToReadBackIsNotKept() {
        auto store = memoryStore();
        ResumePtr resume = test::makeFullResume();
        resume->portfolioItems().first()->setImageData(QByteArray(256 << 10, '\x7f'));
        store->mainContext().insert(resume);
        (void)test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("background")); });
        const QByteArray before = test::readFile(latestPath());
        const qint64 size = before.size(); // the same again: the dates are of a fixed length
        QVERIFY(size > 256 << 10);
        const QStringList listing = test::backupsListing();

        const QStringList lines = test::printedBy(
            [&] { writeUserBackup(store->mainContext(), QStringLiteral("background"), size - 1); });
        QCOMPARE(lines,
                 QStringList{QStringLiteral("⚠️ Failed to write user backup (background): The backup "
                                            "would be larger than %1 bytes, too large to be read "
                                            "back; the earlier backups are kept.")
                                 .arg(QLocale(QLocale::English).toString(size - 1))});
        QCOMPARE(test::readFile(latestPath()), before);
        QCOMPARE(test::backupsListing(), listing); // nor is a temporary file left behind

        const QStringList within = test::printedBy(
            [&] { writeUserBackup(store->mainContext(), QStringLiteral("background"), size); });
        QCOMPARE(within,
                 QStringList{QStringLiteral("🛟 User backup written (background) to ") + latestPath()});
        QCOMPARE(test::readFile(latestPath()).size(), size);
    }

    void theBackupKeptForItsResumesIsOneTheAppCanRead_data() {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("readable");
        const QByteArray skills("\"appliedSkills\" : []");
        const QByteArray yama("\xe5\xb1\xb1"); // 山
        // One bit more in its first byte makes ED B1 B1, the surrogate U+DC71.
        QTest::newRow("a bit flipped into a surrogate") << yama << QByteArray("\xed\xb1\xb1") << false;
        QTest::newRow("an overlong form") << QByteArray("\xc3\xa9") << QByteArray("\xe0\x83\xa9") << false;
        QTest::newRow("above U+10FFFF") << yama << QByteArray("\xf4\x90\x80\x80") << false;
        // The document, the list of résumés and the résumé are the first three levels.
        for (const int depth : {1025, 10000, 1024}) {
            QByteArray nested("\"appliedSkills\" : ");
            nested.append(depth - 3, '[').append(depth - 3, ']');
            QTest::addRow("nested %d deep", depth) << skills << nested << (depth <= 1024);
        }
    }
    // The backup kept beside the newest as the newest with résumés is one the app can read: a newer
    // one whose beginning and end are intact, but which the reader refuses, does not stand for it.
    void theBackupKeptForItsResumesIsOneTheAppCanRead() {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, readable);
        QVERIFY(ensureStoreDirectory().ok());
        const QDir backups(backupsDirectoryURL());
        QStringList names;
        for (int i = 0; i < 9; ++i) {
            names << QStringLiteral("resume-backup-2020010%1-000000.json").arg(i);
            QStringList titles;
            if (i == 7)
                titles << QStringLiteral("山田 Café");
            else if (i == 8)
                titles << QStringLiteral("Older CV");
            QByteArray document = test::userBackupDocument(titles);
            if (i == 7) {
                QVERIFY(document.contains(from));
                document.replace(from, to);
                QCOMPARE(!QJsonDocument::fromJson(document).isNull(), readable);
            }
            QVERIFY(test::writeFile(backups.filePath(names.last()), document));
            QVERIFY(test::setModifiedSecondsAgo(backups.filePath(names.last()), 1000 * (i + 1)));
        }
        QVERIFY(pruneUserBackups(7).ok());
        const QStringList left = stampedBackups();
        QCOMPARE(left.size(), 8);
        QCOMPARE(left.contains(names.at(7)), readable);
        QCOMPARE(left.contains(names.at(8)), !readable);
    }

    void backupsFolderBlockedByAFile() {
        QVERIFY(QDir().mkpath(storeDirectoryURL()));
        QVERIFY(test::writeFile(backupsDirectoryURL(), "file"));
        auto store = memoryStore();
        store->mainContext().insert(test::makeFullResume());
        QCOMPARE(test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("launch")); }),
                 QStringList{QStringLiteral("⚠️ Failed to write user backup (launch): Could not "
                                            "create the folder “") +
                             backupsDirectoryURL() +
                             QStringLiteral("”: a file with that name is in the way.")});
        QCOMPARE(test::readFile(backupsDirectoryURL()), QByteArray("file"));
    }

    void readOnlyBackupsFolderKeepsEarlierBackups() {
        auto store = memoryStore();
        store->mainContext().insert(test::makeEmptyResume(QStringLiteral("first")));
        (void)test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("launch")); });
        const QByteArray before = test::readFile(latestPath());
        const QStringList listing = test::backupsListing();
        store->mainContext().insert(test::makeEmptyResume(QStringLiteral("second")));
        QVERIFY(QFile::setPermissions(backupsDirectoryURL(), QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                                                                 QFileDevice::ReadOther |
                                                                 QFileDevice::ExeOther));
        const QStringList lines = test::printedBy([&] {
            UnprivilegedScope asUser;
            writeUserBackup(store->mainContext(), QStringLiteral("background"));
        });
        QFile::setPermissions(backupsDirectoryURL(),
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().startsWith(
                     QStringLiteral("⚠️ Failed to write user backup (background): Could not "
                                    "write “") +
                     latestPath() + QStringLiteral("”: ")),
                 qPrintable(lines.first()));
        QCOMPARE(test::readFile(latestPath()), before);
        QCOMPARE(test::backupsListing(), listing);
    }

    void writeFailingPartWayLeavesTheEarlierBackupWhole() {
        auto store = memoryStore();
        store->mainContext().insert(test::makeFullResume());
        (void)test::printedBy([&] { writeUserBackup(store->mainContext(), QStringLiteral("launch")); });
        const QByteArray before = test::readFile(latestPath());
        const QStringList listing = test::backupsListing();

        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLORA_BACKUP_CHILD_DATA"), applicationSupportURL());
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("writeUnderFileSizeLimit")});
        QVERIFY(child.waitForFinished(60000));
        const QString output = QString::fromUtf8(child.readAllStandardOutput());
        QVERIFY2(output.contains(
                     QStringLiteral("⚠️ Failed to write user backup (background): Could not write “") +
                     latestPath() + QStringLiteral("”: File too large")),
                 qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("PASS   : UserBackupTest::writeUnderFileSizeLimit()")),
                 qPrintable(output));

        QCOMPARE(test::readFile(latestPath()), before);
        QVERIFY(!QJsonDocument::fromJson(before).isNull());
        QCOMPARE(test::backupsListing(), listing); // no half-written or temporary file left behind
    }

    // Runs only in the child process started by writeFailingPartWayLeavesTheEarlierBackupWhole.
    void writeUnderFileSizeLimit() {
        const QByteArray data = qgetenv("QUILLORA_BACKUP_CHILD_DATA");
        if (data.isEmpty())
            QSKIP("runs as the child of writeFailingPartWayLeavesTheEarlierBackupWhole");
        qputenv("XDG_DATA_HOME", data);
        auto store = memoryStore();
        ResumePtr resume = test::makeFullResume();
        resume->portfolioItems().first()->setImageData(QByteArray(1 << 20, '\x7f'));
        store->mainContext().insert(resume);

        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{64 * 1024, 64 * 1024};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &limit), 0);
        writeUserBackup(store->mainContext(), QStringLiteral("background"));
    }

    void backgroundRunWritesWhatWasThereWhenCalled() {
        auto store = memoryStore();
        ResumePtr resume = test::makeFullResume();
        store->mainContext().insert(resume);
        const QStringList lines = test::printedBy([&] {
            writeUserBackupInBackground(store->mainContext(), QStringLiteral("background"));
            resume->setTitle(QStringLiteral("changed after the call"));
            waitForUserBackups();
        });
        QCOMPARE(lines,
                 QStringList{QStringLiteral("🛟 User backup written (background) to ") + latestPath()});
        const QJsonArray resumes =
            QJsonDocument::fromJson(test::readFile(latestPath()))[QStringLiteral("resumes")].toArray();
        QCOMPARE(resumes.at(0)[QStringLiteral("title")].toString(), QStringLiteral("Design Résumé"));
    }

    // The background run copies only unsaved résumés on the calling thread and reads every other
    // one from the store file: together they are exactly what a synchronous backup writes.
    void backgroundRunHoldsPendingEditsAndEverySavedRecord() {
        const QString path = QDir::tempPath() + QStringLiteral("/pending/default.store");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        {
            auto created = ModelContainer::open(path);
            QVERIFY(created.ok());
            ModelContext& context = (*created)->mainContext();
            context.setAutosaveEnabled(false);
            for (int i = 0; i < 40; ++i) {
                ResumePtr resume = test::makeFullResume();
                resume->setTitle(QStringLiteral("Saved %1").arg(i));
                resume->setLastEdited(utc(2025, 1, 1 + i % 7, 12, 0, 0)); // ties ordered by creation
                for (const auto& item : resume->portfolioItems())
                    item->setId(QUuid::createUuid());
                context.insert(resume);
            }
            QVERIFY(context.save().ok());
        }
        auto opened = ModelContainer::open(path);
        QVERIFY(opened.ok());
        ModelContext& context = (*opened)->mainContext();
        context.setAutosaveEnabled(false);
        const QList<ResumePtr> list = *context.fetchResumes();
        list.at(3)->setTitle(QStringLiteral("Edited, not saved"));
        list.at(5)->experienceItems().first()->setDetails(QStringLiteral("Entry edited, not saved"));
        list.at(7)->setEducationItems({});
        context.deleteRecord(list.at(9));
        ResumePtr added = test::makeFullResume();
        added->setTitle(QStringLiteral("Added, not saved"));
        for (const auto& item : added->portfolioItems())
            item->setId(QUuid::createUuid());
        context.insert(added);

        QByteArray expected;
        const QStringList lines = test::printedBy([&] {
            writeUserBackupInBackground(context, QStringLiteral("launch"), path);
            // The same moment, taken whole on this thread (which reads every entry and image).
            expected = encodeUserBackup(*makeResumeBackupPayload(context, QStringLiteral("launch")));
            // Saved and changed again while the worker reads: the backup keeps the moment of the call.
            QVERIFY(context.save().ok());
            list.at(11)->setTitle(QStringLiteral("Saved after the call"));
            context.deleteRecord(list.at(12));
            QVERIFY(context.save().ok());
            waitForUserBackups();
        });
        QCOMPARE(lines, QStringList{QStringLiteral("🛟 User backup written (launch) to ") + latestPath()});
        const QJsonArray written =
            QJsonDocument::fromJson(test::readFile(latestPath()))[QStringLiteral("resumes")].toArray();
        const QJsonArray wanted = QJsonDocument::fromJson(expected)[QStringLiteral("resumes")].toArray();
        QCOMPARE(written.size(), 40);
        QCOMPARE(written, wanted);
        QCOMPARE(written.at(0)[QStringLiteral("title")].toString(), QStringLiteral("Added, not saved"));
        QVERIFY(written.at(0)[QStringLiteral("portfolioItems")][0].toObject().contains(
            QStringLiteral("imageDataBase64")));
    }

    // A stored résumé that cannot be read, met part-way through the document: the run fails and
    // the backups written before stay exactly as they were, with nothing half-written beside them.
    void unreadableResumePartWayKeepsTheEarlierBackup() {
        const QString path = QDir::tempPath() + QStringLiteral("/unreadable/default.store");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        {
            auto created = ModelContainer::open(path);
            QVERIFY(created.ok());
            ModelContext& context = (*created)->mainContext();
            context.setAutosaveEnabled(false);
            for (int i = 0; i < 5; ++i)
                context.insert(
                    test::makeEmptyResume(QStringLiteral("Saved %1").arg(i), utc(2025, 1, 1 + i, 0, 0, 0)));
            QVERIFY(context.save().ok());
        }
        const auto backUp = [&] {
            auto opened = ModelContainer::open(path);
            if (!opened)
                return QStringList{opened.error()};
            (*opened)->mainContext().setAutosaveEnabled(false);
            return test::printedBy([&] {
                writeUserBackupInBackground((*opened)->mainContext(), QStringLiteral("launch"), path);
                waitForUserBackups();
            });
        };
        QCOMPARE(backUp(),
                 QStringList{QStringLiteral("🛟 User backup written (launch) to ") + latestPath()});
        const QByteArray before = test::readFile(latestPath());
        const QStringList listing = test::backupsListing();
        {
            auto db = sql::Database::open(path);
            QVERIFY(db.ok());
            // The third newest: two résumés are written before it is reached.
            QVERIFY(db->exec(QStringLiteral("UPDATE \"Resume\" SET \"suggestedSkills\" = 'not a list' "
                                            "WHERE \"title\" = 'Saved 2'"))
                        .ok());
        }
        const QStringList lines = backUp();
        QCOMPARE(lines.size(), 1);
        QVERIFY2(
            lines.first().startsWith(QStringLiteral("⚠️ Failed to write user backup (launch): Could not "
                                                    "read the store: ")),
            qPrintable(lines.first()));
        QCOMPARE(test::readFile(latestPath()), before);
        QCOMPARE(test::backupsListing(), listing);
    }

    void backgroundRunReadsStoredImagesAsTheyWere() {
        const QString path = QDir::tempPath() + QStringLiteral("/background/default.store");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        const QByteArray image(300000, '\xfb'); // Base64 full of slashes
        {
            auto created = ModelContainer::open(path);
            QVERIFY(created.ok());
            (*created)->mainContext().setAutosaveEnabled(false);
            (*created)->mainContext().insert(test::makeFullResume());
            QVERIFY((*created)->mainContext().save().ok());
        }
        auto opened = ModelContainer::open(path);
        QVERIFY(opened.ok());
        ModelContext& context = (*opened)->mainContext();
        context.setAutosaveEnabled(false);
        ResumePtr resume = context.fetchResumes()->first();
        PortfolioItemPtr poster = sortedBySortOrder(resume->portfolioItems()).first();
        QVERIFY(!poster->isImageLoaded());
        poster->setImageData(image); // a second item's image stays in the store file
        QVERIFY(context.save().ok());

        // Reopen so that no image is in memory, back up, then change and save at once.
        opened = ModelContainer::open(path);
        QVERIFY(opened.ok());
        ModelContext& fresh = (*opened)->mainContext();
        fresh.setAutosaveEnabled(false);
        resume = fresh.fetchResumes()->first();
        const QStringList lines = test::printedBy([&] {
            writeUserBackupInBackground(fresh, QStringLiteral("launch"), path);
            sortedBySortOrder(resume->portfolioItems()).first()->setImageData(QByteArray("changed"));
            resume->setPortfolioItems({});
            (void)fresh.save();
            waitForUserBackups();
        });
        QCOMPARE(lines, QStringList{QStringLiteral("🛟 User backup written (launch) to ") + latestPath()});
        const QJsonArray items =
            QJsonDocument::fromJson(test::readFile(latestPath()))[QStringLiteral("resumes")]
                .toArray()
                .at(0)[QStringLiteral("portfolioItems")]
                .toArray();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0)[QStringLiteral("imageDataBase64")].toString().toLatin1(), image.toBase64());
        QVERIFY(!items.at(1).toObject().contains(QStringLiteral("imageDataBase64")));
        const QByteArray document = test::readFile(latestPath());
        QVERIFY(document.count('/') > 1000);
        QCOMPARE(document.count('/'), document.count("\\/")); // every slash escaped
    }
};

QUILLORA_TEST_MAIN(UserBackupTest)
#include "test_user_backup.moc"
