// The viewer's main window: the signed-in profile with its picture, the friends and the news
// feed, drawn from the cache at once and kept up to date by the facade's signals.
#ifndef VIEWERWINDOW_H
#define VIEWERWINDOW_H

#include <qtcorvana.h>

#include <QMainWindow>

class QAction;
class QLabel;
class QListWidget;

class ViewerWindow : public QMainWindow
{
    Q_OBJECT

public:
    // Shows what \a corvana reports; the facade must outlive the window. Call
    // Cv::Corvana::init() after constructing the window.
    explicit ViewerWindow(Cv::Corvana *corvana, QWidget *parent = nullptr);

    QLabel *nameLabel() const { return m_name; }
    QLabel *pictureLabel() const { return m_picture; }
    QListWidget *friendsList() const { return m_friends; }
    QListWidget *feedList() const { return m_feed; }
    // Asks the service again for the friends and the news feed (F5).
    QAction *refreshAction() const { return m_refresh; }

private:
    void start();
    void refresh();
    void showProfile();
    void showPicture(const QString &path);
    void applyFriends(const Cv::CvUserRefs &added, const Cv::CvUserRefs &removed);
    void applyFeed(const Cv::CvPosts &added, const Cv::CvPosts &updated,
                   const Cv::CvPosts &removed);
    void showError(const Cv::CvError &error);
    bool check(Cv::Corvana::ReturnCode code, const QString &what);

    Cv::Corvana *const m_corvana;
    QLabel *m_picture;
    QLabel *m_name;
    QListWidget *m_friends;
    QListWidget *m_feed;
    QAction *m_refresh;
};

#endif // VIEWERWINDOW_H
