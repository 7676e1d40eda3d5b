#ifndef SYNCJOB_H
#define SYNCJOB_H

#include <qtcorvana.h>

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QObject>
#include <QTextStream>

#include <memory>

// One synchronization run over CvAccountSync: sign in, every chosen collection, then a summary
// table (or JSON). finished() carries the process exit status: 0 complete, 1 some collections
// failed, 2 nothing done.
class SyncJob : public QObject
{
    Q_OBJECT

public:
    SyncJob(const QString &accessToken, Cv::CvCache *cache, int timeoutMs);

    // The options of the run; configure() reads them, or says what is wrong with them.
    static void addOptions(QCommandLineParser *parser);
    bool configure(const QCommandLineParser &parser, QString *error);

    void start();

Q_SIGNALS:
    void finished(int exitCode);

private:
    void onProgress(Cv::CvAccountSync::Collection collection, int done, int total);
    void onRetrying(Cv::CvAccountSync::Collection collection, int attempt, const QString &reason,
                    int delayMs);
    void onCollectionFinished(const Cv::CvAccountSync::Summary &summary);
    void onFinished(const QList<Cv::CvAccountSync::Summary> &summaries, const QString &signInError);
    void status(const QString &line, bool keep);
    void clearStatus();
    void printTable(const QList<Cv::CvAccountSync::Summary> &summaries);
    void printJson(const QList<Cv::CvAccountSync::Summary> &summaries, const QString &signInError,
                   int exitCode);

    Cv::CvCache *m_cache;
    std::unique_ptr<Cv::Corvana> m_corvana;
    std::unique_ptr<Cv::CvAccountSync> m_sync;
    QTextStream m_out;
    QTextStream m_err;
    QElapsedTimer m_lastStatus;
    bool m_terminal = false;
    bool m_json = false;
    bool m_statusShown = false;
    bool m_errorPrinted = false;
    bool m_signedIn = false;
};

#endif // SYNCJOB_H
