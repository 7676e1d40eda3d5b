#include "facadefixture.h"

#include "corvanaconfiguration.h"
#include "cvcacheconfiguration.h"
#include "cvendpoints.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaMethod>
#include <QSignalSpy>

namespace {

const QByteArray serviceDate = "Mon, 07 Dec 2026 10:00:00 GMT";
const QByteArray profileJson = R"({"id":"100","name":"Ann Example","first_name":"Ann",
    "username":"ann","email":"ann@example.com"})";
const QByteArray jpeg("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);

} // namespace

FacadeFixture::FacadeFixture()
    : m_dir(std::make_unique<QTemporaryDir>())
    , m_service(std::make_unique<TestService>())
{
    Cv::CvCacheConfiguration configuration;
    configuration.setDatabaseName(databasePath());
    configuration.setPath(m_dir->filePath(QStringLiteral("files")));
    m_cache = std::make_unique<Cv::CvCache>(configuration);

    m_service->setHandler([this](const TestService::Request &r) { return answer(r); });
    m_valid = m_dir->isValid() && m_service->isListening()
        && Cv::CvEndpoints::setGraphBaseUrl(m_service->baseUrl())
        && Cv::CvEndpoints::setRestBaseUrl(m_service->baseUrl());
    setPath(QStringLiteral("/me"), profileJson);
    m_paths.insert(QStringLiteral("/me/picture"),
                   TestService::Reply::redirect(m_service->baseUrl().toString().toUtf8()
                                                + "/files/ann_q.jpg"));
    m_paths.insert(QStringLiteral("/files/ann_q.jpg"), TestService::Reply::text(jpeg));
}

FacadeFixture::~FacadeFixture()
{
    m_cache.reset();
    m_service.reset();
    Cv::CvEndpoints::reset();
}

bool FacadeFixture::isValid() const
{
    return m_valid;
}

void FacadeFixture::setPath(const QString &path, const QByteArray &json, int status)
{
    m_paths.insert(path, TestService::Reply::json(json, status).header("Date", serviceDate));
}

void FacadeFixture::setQueryRows(const QString &query, const QByteArray &rows)
{
    m_queries.insert(query, rows);
}

void FacadeFixture::setBatchResponder(const BatchResponder &responder)
{
    m_batch = responder;
}

TestService::Reply FacadeFixture::answer(const TestService::Request &request)
{
    if (request.path == QLatin1String("/method/cvql.query")) {
        const QString query = request.queryValue(QStringLiteral("query"));
        return TestService::Reply::json(m_queries.value(query, "[]")).header("Date", serviceDate);
    }
    if (request.path == QLatin1String("/") && m_batch) {
        QJsonArray answer;
        const QList<SubReply> replies = m_batch(batchRequests(request));
        for (const SubReply &reply : replies) {
            answer.append(QJsonObject {{QStringLiteral("code"), reply.first},
                                       {QStringLiteral("headers"), QJsonArray()},
                                       {QStringLiteral("body"), QString::fromUtf8(reply.second)}});
        }
        return TestService::Reply::json(QJsonDocument(answer).toJson(QJsonDocument::Compact))
            .header("Date", serviceDate);
    }
    const auto reply = m_paths.constFind(request.path);
    if (reply != m_paths.constEnd())
        return *reply;
    return TestService::Reply::json(R"({"data":[]})").header("Date", serviceDate);
}

std::unique_ptr<Cv::Corvana> FacadeFixture::signIn(const QString &locale)
{
    Cv::CorvanaConfiguration configuration(QStringLiteral("token-1234"),
                                           Cv::CorvanaConfiguration::AccessToken);
    configuration.setCache(m_cache.get());
    configuration.setLocale(locale);
    auto corvana = std::make_unique<Cv::Corvana>(configuration);
    return completeSignIn(*corvana) ? std::move(corvana) : nullptr;
}

bool FacadeFixture::completeSignIn(Cv::Corvana &corvana)
{
    QSignalSpy initialized(&corvana, qOverload<>(&Cv::Corvana::initialized));
    QSignalSpy picture(&corvana, &Cv::Corvana::profilePictureUpdated);
    corvana.init();
    if (!initialized.wait(20000) || corvana.currentProfileId() != profileId())
        return false;
    return !picture.isEmpty() || picture.wait(20000);
}

QByteArray FacadeFixture::profilePicture()
{
    return jpeg;
}

std::unique_ptr<Cv::Corvana> FacadeFixture::signInOffline()
{
    if ((!m_cache->isInitialized() && !m_cache->init())
        || !m_cache->updateUserData(QStringLiteral("ann"), profileId()))
        return nullptr;
    Cv::CorvanaConfiguration configuration(QStringLiteral("ann"),
                                           Cv::CorvanaConfiguration::UserName);
    configuration.setCache(m_cache.get());
    auto corvana = std::make_unique<Cv::Corvana>(configuration);
    corvana->init();
    if (!corvana->isInitialized())
        return nullptr;
    return corvana;
}

QList<TestService::Request> FacadeFixture::requestsSince(int count) const
{
    return m_service->requests().mid(count);
}

QVariantList FacadeFixture::batchRequests(const TestService::Request &request)
{
    return QJsonDocument::fromJson(request.queryValue(QStringLiteral("batch")).toUtf8())
        .array()
        .toVariantList();
}

SignalRecorder::SignalRecorder(Cv::Corvana *corvana)
{
    const QMetaObject &meta = Cv::Corvana::staticMetaObject;
    const QMetaMethod record = staticMetaObject.method(staticMetaObject.indexOfSlot("record()"));
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() != QMetaMethod::Signal)
            continue;
        const QByteArray signal = QByteArray::number(QSIGNAL_CODE) + method.methodSignature();
        m_spies.emplace(method.methodSignature(),
                        std::make_unique<QSignalSpy>(corvana, signal.constData()));
        connect(corvana, method, this, record);
    }
}

bool SignalRecorder::spiesValid() const
{
    return std::all_of(m_spies.begin(), m_spies.end(),
                       [](const auto &spy) { return spy.second->isValid(); });
}

QStringList SignalRecorder::emitted(const QStringList &expected) const
{
    QStringList out;
    for (int i = 0; i < m_order.size(); ++i) {
        const QString &signature = m_order.at(i);
        const bool shortForm = i < expected.size() && !expected.at(i).contains(u'(');
        out.append(shortForm ? signature.left(signature.indexOf(u'(')) : signature);
    }
    return out;
}

QVariantList SignalRecorder::firstArguments() const
{
    if (m_order.isEmpty())
        return {};
    const auto spy = m_spies.find(m_order.first().toLatin1());
    return spy->second->isEmpty() ? QVariantList() : spy->second->first();
}

void SignalRecorder::record()
{
    m_order.append(
        QString::fromLatin1(sender()->metaObject()->method(senderSignalIndex()).methodSignature()));
}
