#include "syncjob.h"

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Cv;

SyncJob::SyncJob(const QString &accessToken, CvCache *cache, int timeoutMs)
    : m_cache(cache)
    , m_out(stdout)
    , m_err(stderr)
{
    CorvanaConfiguration configuration(accessToken, CorvanaConfiguration::AccessToken);
    configuration.setCache(cache);
    m_corvana = std::make_unique<Corvana>(configuration);

    connect(m_corvana.get(), qOverload<>(&Corvana::initialized), this, &SyncJob::onInitialized);
    connect(m_corvana.get(), &Corvana::friendsSynchronized, this, &SyncJob::onFriendsSynchronized);
    connect(m_corvana.get(), &Corvana::birthdaysOfFriendsUpdated, this, &SyncJob::onBirthdays);
    connect(m_corvana.get(), &Corvana::profilePictureUpdated, this, &SyncJob::onPicture);
    connect(m_corvana.get(), &Corvana::error, this, &SyncJob::onError);

    m_pictureGrace.setSingleShot(true);
    m_pictureGrace.setInterval(10000);
    connect(&m_pictureGrace, &QTimer::timeout, this, [this] {
        m_pictureGraceOver = true;
        finishIfDone();
    });

    m_timeout.setSingleShot(true);
    m_timeout.setInterval(timeoutMs);
    connect(&m_timeout, &QTimer::timeout, this,
            [this] { fail(QStringLiteral("the service did not answer in time")); });
}

void SyncJob::start()
{
    // Open the cache first, so that what it held before the run can be compared afterwards.
    if (!m_cache->isInitialized() && !m_cache->init(CvCache::RecreateIncompatibleDatabase)) {
        fail(QStringLiteral("cannot open the cache: %1").arg(m_cache->lastErrorDescription()));
        return;
    }
    CvUsers users;
    m_cache->getUsers(&users);
    for (const CvUser &user : std::as_const(users))
        m_before.insert(user.id(), user);

    progress(QStringLiteral("Signing in"));
    m_timeout.start();
    m_corvana->init();
}

void SyncJob::onInitialized()
{
    const QString id = m_corvana->currentProfileId();
    CvUser user;
    m_cache->getUser(id, &user, CvCache::ById);
    const auto before = m_before.constFind(id);
    if (before == m_before.constEnd())
        m_profile.added = 1;
    else if (*before != user)
        m_profile.updated = 1;
    else
        m_profile.unchanged = 1;
    progress(QStringLiteral("Signed in as %1 (%2)").arg(user.name(), id));

    progress(QStringLiteral("Synchronizing friends"));
    if (m_corvana->synchronizeFriends() != Corvana::Success)
        fail(QStringLiteral("the friends request could not be sent"));
}

void SyncJob::onFriendsSynchronized(const CvUserRefs &added, const CvUserRefs &removed)
{
    m_friends.added = added.size();
    m_friends.removed = removed.size();
    CvUserRefs friends;
    m_cache->getFriendRefs(m_corvana->currentProfileId(), &friends, CvDataFilter());
    m_friends.unchanged = friends.size() - added.size();
    progress(QStringLiteral("%1 friends, %2 new, %3 gone")
                 .arg(friends.size())
                 .arg(added.size())
                 .arg(removed.size()));

    progress(QStringLiteral("Retrieving birthdays"));
    if (m_corvana->retrieveBirthdaysOfFriends(nullptr) != Corvana::Success)
        fail(QStringLiteral("the birthdays request could not be sent"));
}

void SyncJob::onBirthdays(const CvUsers &friends)
{
    QSet<QString> withBirthday;
    for (const CvUser &user : friends) {
        withBirthday.insert(user.id());
        const QString previous = m_before.value(user.id()).birthday();
        if (previous.isEmpty())
            ++m_birthdays.added;
        else if (previous != user.birthday())
            ++m_birthdays.updated;
        else
            ++m_birthdays.unchanged;
    }
    for (const CvUser &user : std::as_const(m_before)) {
        if (!user.birthday().isEmpty() && !withBirthday.contains(user.id())
            && user.id() != m_corvana->currentProfileId()) {
            CvUser now;
            if (m_cache->getUser(user.id(), &now, CvCache::ById) && now.birthday().isEmpty())
                ++m_birthdays.removed;
        }
    }
    if (!friends.isEmpty())
        progress(QStringLiteral("Next birthday: %1 on %2")
                     .arg(friends.first().name(), friends.first().birthday().left(5)));
    m_birthdaysDone = true;
    finishIfDone();
}

void SyncJob::onPicture(const QString &profileId, PictureType type, const QString &location)
{
    Q_UNUSED(type)
    if (profileId == m_corvana->currentProfileId()) {
        progress(
            QStringLiteral("Profile picture stored at %1").arg(QDir::toNativeSeparators(location)));
        m_pictureDone = true;
        m_pictureGrace.stop();
        finishIfDone();
    }
}

namespace {

// The service's own message where its error body has one, else what the network said.
QString describe(const CvError &error)
{
    if (error.errorType() == CvError::CacheError)
        return QStringLiteral("the cache could not be updated: %1").arg(error.cacheErrorString());
    const QJsonObject body = QJsonDocument::fromJson(error.corvanaErrorString().toUtf8()).object();
    QString message
        = body.value(QLatin1String("error")).toObject().value(QLatin1String("message")).toString();
    if (message.isEmpty())
        message = body.value(QLatin1String("error_msg")).toString();
    if (message.isEmpty())
        message = error.replyErrorString();
    switch (error.errorType()) {
    case CvError::InvalidAccessToken:
        return QStringLiteral("the access token was rejected (%1)").arg(message);
    case CvError::PermissionDenied:
        return QStringLiteral("permission denied (%1)").arg(message);
    default:
        return message;
    }
}

} // namespace

void SyncJob::onError(const CvError &error)
{
    const QString text = describe(error);
    if (!m_corvana->isInitialized()) {
        fail(QStringLiteral("sign-in failed: %1").arg(text));
        return;
    }
    ++m_errors;
    m_err << "corvana-sync: warning: " << text << Qt::endl;
}

void SyncJob::finishIfDone()
{
    if (!m_birthdaysDone || m_finished)
        return;
    // The picture download started at sign-in runs alongside; give it a moment, not forever.
    if (!m_pictureDone && !m_pictureGraceOver) {
        if (!m_pictureGrace.isActive())
            m_pictureGrace.start();
        return;
    }
    if (!m_pictureDone)
        m_err << "corvana-sync: warning: the profile picture was not stored" << Qt::endl;
    m_finished = true;
    m_timeout.stop();
    printSummary();
    Q_EMIT finished(m_errors == 0 ? 0 : 1);
}

void SyncJob::fail(const QString &message)
{
    m_timeout.stop();
    m_err << "corvana-sync: error: " << message << Qt::endl;
    Q_EMIT finished(1);
}

void SyncJob::progress(const QString &message)
{
    m_out << "... " << message << Qt::endl;
}

void SyncJob::printSummary()
{
    const auto row = [this](const char *name, const Counts &c) {
        m_out << qSetFieldWidth(12) << Qt::left << QString::fromLatin1(name) << Qt::right
              << qSetFieldWidth(8) << c.added << c.updated << c.removed << c.unchanged
              << qSetFieldWidth(0) << Qt::endl;
    };
    m_out << Qt::endl << "Summary" << Qt::endl;
    m_out << qSetFieldWidth(12) << Qt::left << "collection" << Qt::right << qSetFieldWidth(8)
          << "added"
          << "updated"
          << "removed"
          << "same" << qSetFieldWidth(0) << Qt::endl;
    row("profile", m_profile);
    row("friends", m_friends);
    row("birthdays", m_birthdays);
}
