#include "syncjob.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

using namespace Cv;

namespace {

const QCommandLineOption collectionsOption(
    QStringLiteral("collections"),
    QStringLiteral("Comma-separated collections to synchronize (default all): profile, friends, "
                   "birthdays, news-feed, profile-feed, status-messages, comments, threads, "
                   "messages, attachments, events, groups, group-members, check-ins, albums, "
                   "photos, notifications."),
    QStringLiteral("list"));
const QCommandLineOption sinceOption(
    QStringLiteral("since"),
    QStringLiteral("Only items from this time on, where the service dates them (ISO 8601, "
                   "e.g. 2026-01-31 or 2026-01-31T08:00:00Z)."),
    QStringLiteral("time"));
const QCommandLineOption pageSizeOption(QStringLiteral("page-size"),
                                        QStringLiteral("Items per request (default 100)."),
                                        QStringLiteral("n"), QStringLiteral("100"));
const QCommandLineOption jsonOption(QStringLiteral("json"),
                                    QStringLiteral("Print the summary as JSON on stdout."));

// Counts are never shown below zero, whatever happened on the way.
QString count(int n)
{
    return QString::number(std::max(0, n));
}

QString tableName(CvAccountSync::Collection collection)
{
    return CvAccountSync::collectionName(collection);
}

} // namespace

SyncJob::SyncJob(const QString &accessToken, CvCache *cache, int timeoutMs)
    : m_cache(cache)
    , m_out(stdout)
    , m_err(stderr)
{
    CorvanaConfiguration configuration(accessToken, CorvanaConfiguration::AccessToken);
    configuration.setCache(cache);
    m_corvana = std::make_unique<Corvana>(configuration);
    m_sync = std::make_unique<CvAccountSync>(m_corvana.get());
    m_sync->setRequestTimeout(timeoutMs);
    m_terminal = isatty(fileno(stdout)) != 0;

    connect(m_sync.get(), &CvAccountSync::progress, this, &SyncJob::onProgress);
    connect(m_sync.get(), &CvAccountSync::retrying, this, &SyncJob::onRetrying);
    connect(m_sync.get(), &CvAccountSync::collectionFinished, this, &SyncJob::onCollectionFinished);
    connect(m_sync.get(), &CvAccountSync::finished, this, &SyncJob::onFinished);
}

void SyncJob::addOptions(QCommandLineParser *parser)
{
    parser->addOptions({collectionsOption, sinceOption, pageSizeOption, jsonOption});
}

bool SyncJob::configure(const QCommandLineParser &parser, QString *error)
{
    if (parser.isSet(collectionsOption)) {
        CvAccountSync::Collections chosen;
        const QStringList names
            = parser.value(collectionsOption).split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString &name : names) {
            const CvAccountSync::Collection collection = CvAccountSync::collectionFromName(name);
            if (!collection) {
                *error = QStringLiteral("unknown collection: %1").arg(name.trimmed());
                return false;
            }
            chosen |= collection;
        }
        if (!chosen) {
            *error = QStringLiteral("--collections names no collection");
            return false;
        }
        m_sync->setCollections(chosen);
    }
    if (parser.isSet(sinceOption)) {
        QDateTime since = QDateTime::fromString(parser.value(sinceOption), Qt::ISODate);
        if (!since.isValid()) {
            const QDate day = QDate::fromString(parser.value(sinceOption), Qt::ISODate);
            if (day.isValid())
                since = day.startOfDay(Qt::UTC);
        }
        if (!since.isValid()) {
            *error = QStringLiteral("--since takes an ISO 8601 date or time, not %1")
                         .arg(parser.value(sinceOption));
            return false;
        }
        m_sync->setSince(since);
    }
    bool ok = false;
    const int pageSize = parser.value(pageSizeOption).toInt(&ok);
    if (!ok || pageSize < 1 || pageSize > 5000) {
        *error = QStringLiteral("--page-size takes a number from 1 to 5000");
        return false;
    }
    m_sync->setPageSize(pageSize);
    m_json = parser.isSet(jsonOption);
    return true;
}

void SyncJob::start()
{
    // Open the cache here, so that an unusable one is reported before anything is asked.
    if (!m_cache->isInitialized() && !m_cache->init(CvCache::RecreateIncompatibleDatabase)) {
        m_err << "corvana-sync: error: cannot open the cache: " << m_cache->lastErrorDescription()
              << Qt::endl;
        Q_EMIT finished(2);
        return;
    }
    status(QStringLiteral("Signing in"), true);
    m_sync->start();
}

void SyncJob::onProgress(CvAccountSync::Collection collection, int done, int total)
{
    if (!m_signedIn) {
        // The first progress comes once the sign-in is done.
        m_signedIn = true;
        const QString id = m_corvana->currentProfileId();
        CvUser user;
        m_cache->getUser(id, &user, CvCache::ById);
        status(QStringLiteral("Signed in as %1 (%2)").arg(user.name(), id), true);
    }
    const QString line = total >= 0
        ? QStringLiteral("%1: %2 of %3").arg(tableName(collection)).arg(done).arg(total)
        : QStringLiteral("%1: %2").arg(tableName(collection)).arg(done);
    // On a terminal the line is redrawn in place; elsewhere a line every few seconds at most,
    // and one when a collection starts.
    if (m_terminal || done == 0 || !m_lastStatus.isValid() || m_lastStatus.elapsed() >= 2000)
        status(line, !m_terminal);
}

void SyncJob::onRetrying(CvAccountSync::Collection collection, int attempt, const QString &reason,
                         int delayMs)
{
    clearStatus();
    m_err << "corvana-sync: warning: " << tableName(collection) << ": " << reason << "; retry "
          << attempt << " in " << delayMs << " ms" << Qt::endl;
}

void SyncJob::onCollectionFinished(const CvAccountSync::Summary &summary)
{
    if (summary.error.isEmpty())
        return;
    clearStatus();
    m_errorPrinted = true;
    m_err << "corvana-sync: error: " << tableName(summary.collection) << ": " << summary.error
          << Qt::endl;
}

void SyncJob::onFinished(const QList<CvAccountSync::Summary> &summaries, const QString &signInError)
{
    clearStatus();
    int exitCode = 0;
    if (!signInError.isEmpty()) {
        m_err << "corvana-sync: error: sign-in failed: " << signInError << Qt::endl;
        exitCode = 2;
    } else {
        const bool failed
            = std::any_of(summaries.cbegin(), summaries.cend(),
                          [](const CvAccountSync::Summary &s) { return !s.complete; });
        exitCode = (failed || m_errorPrinted) ? 1 : 0;
    }
    if (m_json)
        printJson(summaries, signInError, exitCode);
    else if (signInError.isEmpty())
        printTable(summaries);
    Q_EMIT finished(exitCode);
}

void SyncJob::status(const QString &line, bool keep)
{
    // With --json, stdout carries the summary alone; progress goes to stderr.
    QTextStream &stream = m_json ? m_err : m_out;
    if (m_terminal && !m_json) {
        stream << '\r' << line.left(78).leftJustified(78) << Qt::flush;
        m_statusShown = true;
        if (keep) {
            stream << Qt::endl;
            m_statusShown = false;
        }
    } else {
        stream << "... " << line << Qt::endl;
    }
    m_lastStatus.start();
}

void SyncJob::clearStatus()
{
    if (m_statusShown) {
        m_out << '\r' << QString(78, QLatin1Char(' ')) << '\r' << Qt::flush;
        m_statusShown = false;
    }
}

void SyncJob::printTable(const QList<CvAccountSync::Summary> &summaries)
{
    m_out << Qt::endl << "Summary" << Qt::endl;
    m_out << qSetFieldWidth(16) << Qt::left << "collection" << Qt::right << qSetFieldWidth(8)
          << "added"
          << "updated"
          << "removed"
          << "same"
          << "pages"
          << "retries" << qSetFieldWidth(0) << "  status" << Qt::endl;
    for (const CvAccountSync::Summary &s : summaries) {
        m_out << qSetFieldWidth(16) << Qt::left << tableName(s.collection) << Qt::right
              << qSetFieldWidth(8) << count(s.added) << count(s.updated) << count(s.removed)
              << count(s.unchanged) << count(s.pages) << count(s.retries) << qSetFieldWidth(0)
              << "  " << (s.complete ? QStringLiteral("complete") : QStringLiteral("failed"))
              << Qt::endl;
    }
}

void SyncJob::printJson(const QList<CvAccountSync::Summary> &summaries, const QString &signInError,
                        int exitCode)
{
    QJsonArray rows;
    for (const CvAccountSync::Summary &s : summaries) {
        QJsonObject row {{QStringLiteral("collection"), tableName(s.collection)},
                         {QStringLiteral("added"), std::max(0, s.added)},
                         {QStringLiteral("updated"), std::max(0, s.updated)},
                         {QStringLiteral("removed"), std::max(0, s.removed)},
                         {QStringLiteral("unchanged"), std::max(0, s.unchanged)},
                         {QStringLiteral("pages"), std::max(0, s.pages)},
                         {QStringLiteral("retries"), std::max(0, s.retries)},
                         {QStringLiteral("complete"), s.complete}};
        if (!s.error.isEmpty())
            row.insert(QStringLiteral("error"), s.error);
        rows.append(row);
    }
    QJsonObject out {{QStringLiteral("collections"), rows},
                     {QStringLiteral("requests"), m_sync->requestCount()},
                     {QStringLiteral("exit_status"), exitCode}};
    if (!signInError.isEmpty())
        out.insert(QStringLiteral("sign_in_error"), signInError);
    m_out << QJsonDocument(out).toJson(QJsonDocument::Indented) << Qt::flush;
}
