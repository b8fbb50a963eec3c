#include "sharing/morvessa_cloud_service.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTest>
#include <QTimeZone>

using namespace quillora;

namespace {

// The document the network's readers get for the full fixture résumé, with the two values
// that change on every export fixed.
constexpr char kFullDocument[] = R"json({
  "appliedSkills" : [
    "Figma",
    "Research"
  ],
  "atsGeneratedText" : "ATS text",
  "atsInsertedKeywords" : [
    "Figma",
    "UX"
  ],
  "atsJobPosting" : "ATS posting",
  "atsLastGenerated" : "2025-03-05T01:02:03.004Z",
  "contactInfo" : "zoe@example.com\n+1 555 0100",
  "coverLetterAIContext" : "Keep it short",
  "coverLetterJobPosting" : "Senior designer wanted",
  "coverLetterLastGenerated" : "2025-03-04T05:06:07.890Z",
  "coverLetterText" : "Dear team,",
  "educationItems" : [
    {
      "degree" : "BFA",
      "school" : "Université de Montréal",
      "sortOrder" : 0,
      "year" : "2014"
    }
  ],
  "experienceItems" : [
    {
      "company" : "Globex",
      "details" : "Drew things.",
      "endDate" : "2019",
      "role" : "Designer",
      "sortOrder" : 0,
      "startDate" : "2015"
    },
    {
      "company" : "Acme \/ Co",
      "details" : "Led a team of 6.\nShipped 3 apps.",
      "endDate" : "Present",
      "role" : "Lead Designer",
      "sortOrder" : 1,
      "startDate" : "2019"
    }
  ],
  "exportId" : "E",
  "exportedAt" : "X",
  "fontName" : "Avenir Next",
  "fullName" : "Zoë Ångström",
  "includeATSVersion" : true,
  "includeCoverLetter" : true,
  "includeSkills" : true,
  "lastEdited" : "2025-06-07T08:09:10.011Z",
  "portfolioItems" : [
    {
      "caption" : "Poster",
      "hasImageData" : true,
      "id" : "6F9619FF-8B86-D011-B42D-00C04FC964FF",
      "orientation" : "landscape",
      "sortOrder" : 0
    },
    {
      "caption" : "Sketch",
      "hasImageData" : false,
      "id" : "1B4E28BA-2FA1-11D2-883F-0016D3CCA427",
      "orientation" : "portrait",
      "sortOrder" : 1
    }
  ],
  "suggestedSkills" : [
    "Sketch",
    "Prototyping"
  ],
  "summary" : "Designer of calm, useful things. 日本語 العربية",
  "templateID" : 7,
  "title" : "Design Résumé",
  "titleEducation" : "",
  "titleExperience" : "Work",
  "titleSummary" : "Profile"
})json";

MorvessaResumePayload fixedPayload(const Resume& resume) {
    MorvessaResumePayload payload = MorvessaCloudService::makePayload(resume);
    payload.exportId = QStringLiteral("E");
    payload.exportedAt = QStringLiteral("X");
    return payload;
}

} // namespace

class TestMorvessaPayload final : public QObject {
    Q_OBJECT

private slots:
    void fullDocument() {
        const MorvessaResumePayload payload = fixedPayload(*test::makeFullResume());
        const QByteArray json = encodeMorvessaPayload(payload);
        QCOMPARE(json, QByteArray(kFullDocument));
        QCOMPARE(encodeMorvessaPayload(payload), json);
        QCOMPARE(decodeMorvessaPayload(json).value(), payload);
    }

    // Absent optionals are left out, never null; absent keywords and no entries are empty arrays.
    void emptyResume() {
        const QByteArray json = encodeMorvessaPayload(fixedPayload(*test::makeEmptyResume()));
        for (const char* key : {"titleSummary", "titleExperience", "titleEducation",
                                "coverLetterLastGenerated", "atsLastGenerated"})
            QVERIFY2(!json.contains(QByteArray("\"" + QByteArray(key) + "\"")), key);
        QVERIFY(!json.contains("null"));
        for (const char* key : {"atsInsertedKeywords", "experienceItems", "educationItems", "portfolioItems",
                                "suggestedSkills", "appliedSkills"})
            QVERIFY2(json.contains(QByteArray("\"" + QByteArray(key) + "\" : []")), key);
        QVERIFY(json.contains("\"title\" : \"\""));
    }

    void entriesInDisplayOrder() {
        const ResumePtr resume = test::makeEmptyResume();
        const auto entry = [](const char* role, qint64 order) {
            return std::make_shared<Experience>(QString::fromUtf8(role), QString(), QString(), QString(),
                                                QString(), order);
        };
        resume->setExperienceItems({entry("c", 2), entry("a", 0), entry("b1", 1), entry("b2", 1)});
        resume->setPortfolioItems({
            std::make_shared<PortfolioItem>(QUuid::createUuid(), QByteArray(), QStringLiteral("empty image"),
                                            1, PortfolioImageOrientation::landscape),
            std::make_shared<PortfolioItem>(QUuid::createUuid(), std::nullopt, QStringLiteral("no image"), 0,
                                            PortfolioImageOrientation::portrait),
        });
        const MorvessaResumePayload payload = MorvessaCloudService::makePayload(*resume);
        QStringList roles;
        QList<qint64> orders;
        for (const ExperienceSnapshot& e : payload.experienceItems) {
            roles << e.role;
            orders << e.sortOrder;
        }
        QCOMPARE(roles, (QStringList{QStringLiteral("a"), QStringLiteral("b1"), QStringLiteral("b2"),
                                     QStringLiteral("c")}));
        QCOMPARE(orders, (QList<qint64>{0, 1, 1, 2}));
        QCOMPARE(payload.portfolioItems[0].caption, QStringLiteral("no image"));
        QCOMPARE(payload.portfolioItems[0].hasImageData, false);
        QCOMPARE(payload.portfolioItems[0].orientation, QStringLiteral("portrait"));
        QCOMPARE(payload.portfolioItems[1].hasImageData, true); // empty bytes still count as an image
        QCOMPARE(payload.portfolioItems[1].orientation, QStringLiteral("landscape"));
    }

    void freshIdAndTimeForEveryExport() {
        const ResumePtr resume = test::makeFullResume();
        const MorvessaResumePayload first = MorvessaCloudService::makePayload(*resume);
        const MorvessaResumePayload second = MorvessaCloudService::makePayload(*resume);
        QVERIFY(first.exportId != second.exportId);
        const QRegularExpression uuid(
            QStringLiteral("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"));
        QVERIFY(uuid.match(first.exportId).hasMatch());
        const QRegularExpression date(QStringLiteral(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z$)"));
        QVERIFY2(date.match(first.exportedAt).hasMatch(), qPrintable(first.exportedAt));
        QVERIFY(qAbs(QDateTime::fromString(first.exportedAt, Qt::ISODateWithMs)
                         .secsTo(QDateTime::currentDateTimeUtc())) < 60);
        // A local time is written in UTC.
        resume->setLastEdited(QDateTime(QDate(2025, 6, 7), QTime(10, 9, 10, 5), QTimeZone(7200)));
        QCOMPARE(MorvessaCloudService::makePayload(*resume).lastEdited,
                 QStringLiteral("2025-06-07T08:09:10.005Z"));
    }

    void decoding() {
        QJsonObject document = QJsonDocument::fromJson(kFullDocument).object();
        document.insert(QStringLiteral("titleSummary"), QJsonValue::Null);
        document.insert(QStringLiteral("somethingNew"), 1);
        const Result<MorvessaResumePayload> read = decodeMorvessaPayload(QJsonDocument(document).toJson());
        QVERIFY2(read.ok(), qPrintable(read.error()));
        QVERIFY(!read->titleSummary);

        document.remove(QStringLiteral("atsInsertedKeywords"));
        const Result<MorvessaResumePayload> missing = decodeMorvessaPayload(QJsonDocument(document).toJson());
        QVERIFY(!missing.ok());
        QVERIFY(missing.error().contains(QStringLiteral("atsInsertedKeywords")));
    }
};

QUILLORA_TEST_MAIN(TestMorvessaPayload)
#include "test_morvessa_payload.moc"
