#ifndef SYNCJOB_H
#define SYNCJOB_H

#include <qtcorvana.h>

#include <QHash>
#include <QObject>
#include <QTextStream>
#include <QTimer>

#include <memory>

// One synchronization run: sign in, then profile, friends and birthdays one after another,
// then a summary. finished() carries the process exit status.
class SyncJob : public QObject
{
    Q_OBJECT

public:
    SyncJob(const QString &accessToken, Cv::CvCache *cache, int timeoutMs);

    void start();

Q_SIGNALS:
    void finished(int exitCode);

private:
    struct Counts
    {
        int added = 0;
        int updated = 0;
        int removed = 0;
        int unchanged = 0;
    };

    void onInitialized();
    void onFriendsSynchronized(const Cv::CvUserRefs &added, const Cv::CvUserRefs &removed);
    void onBirthdays(const Cv::CvUsers &friends);
    void onPicture(const QString &profileId, Cv::PictureType type, const QString &location);
    void onError(const Cv::CvError &error);
    void finishIfDone();
    void fail(const QString &message);
    void progress(const QString &message);
    void printSummary();

    Cv::CvCache *m_cache;
    std::unique_ptr<Cv::Corvana> m_corvana;
    QHash<QString, Cv::CvUser> m_before; // every user the cache held before the run
    QTimer m_timeout;
    QTimer m_pictureGrace;
    QTextStream m_out;
    QTextStream m_err;
    Counts m_profile;
    Counts m_friends;
    Counts m_birthdays;
    bool m_birthdaysDone = false;
    bool m_pictureDone = false;
    bool m_finished = false;
    bool m_pictureGraceOver = false;
    int m_errors = 0;
};

#endif // SYNCJOB_H
