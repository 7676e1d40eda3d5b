#include "viewerwindow.h"

#include <QAction>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMetaEnum>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int IdRole = Qt::UserRole;
constexpr int CreatedRole = Qt::UserRole + 1;

QListWidget *addList(QSplitter *splitter, const QString &title)
{
    auto *box = new QGroupBox(title, splitter);
    auto *list = new QListWidget(box);
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(list);
    splitter->addWidget(box);
    return list;
}

QListWidgetItem *findItem(const QListWidget *list, const QString &id)
{
    for (int row = 0; row < list->count(); ++row) {
        if (list->item(row)->data(IdRole).toString() == id)
            return list->item(row);
    }
    return nullptr;
}

void addFriend(QListWidget *list, const Cv::CvUserRef &user)
{
    auto *item = new QListWidgetItem(user.name);
    item->setData(IdRole, user.id);
    list->addItem(item);
}

QString postText(const Cv::CvPost &post)
{
    const QString body = !post.message().isEmpty() ? post.message()
        : !post.story().isEmpty()                  ? post.story()
                                                   : post.type();
    return QObject::tr("%1: %2 (%3 comments, %4 likes)")
        .arg(post.from().name, body)
        .arg(post.commentCount())
        .arg(post.likes());
}

// The feed stays newest first: a post goes before the first older one.
void placePost(QListWidget *list, const Cv::CvPost &post)
{
    QListWidgetItem *item = findItem(list, post.id());
    if (item)
        delete list->takeItem(list->row(item));
    item = new QListWidgetItem(postText(post));
    item->setData(IdRole, post.id());
    item->setData(CreatedRole, post.created());
    item->setToolTip(post.created().toLocalTime().toString(Qt::TextDate));
    int row = 0;
    while (row < list->count() && list->item(row)->data(CreatedRole).toDateTime() >= post.created())
        ++row;
    list->insertItem(row, item);
}

} // namespace

ViewerWindow::ViewerWindow(Cv::Corvana *corvana, QWidget *parent)
    : QMainWindow(parent)
    , m_corvana(corvana)
{
    setWindowTitle(QStringLiteral("Corvana viewer"));

    auto *central = new QWidget(this);
    auto *layout = new QVBoxLayout(central);
    auto *header = new QHBoxLayout;
    m_picture = new QLabel(central);
    m_picture->setFixedSize(64, 64);
    m_picture->setFrameShape(QFrame::StyledPanel);
    m_name = new QLabel(tr("Signing in…"), central);
    QFont bold = m_name->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    m_name->setFont(bold);
    header->addWidget(m_picture);
    header->addWidget(m_name, 1);
    layout->addLayout(header);

    auto *splitter = new QSplitter(Qt::Horizontal, central);
    m_friends = addList(splitter, tr("Friends"));
    m_friends->setSortingEnabled(true);
    m_feed = addList(splitter, tr("News feed"));
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);
    setCentralWidget(central);
    resize(720, 480);

    m_refresh = new QAction(tr("Refresh"), this);
    m_refresh->setShortcut(QKeySequence::Refresh);
    m_refresh->setEnabled(false);
    connect(m_refresh, &QAction::triggered, this, &ViewerWindow::refresh);
    addToolBar(tr("Main"))->addAction(m_refresh);

    connect(corvana, qOverload<>(&Cv::Corvana::initialized), this, &ViewerWindow::start);
    connect(corvana, &Cv::Corvana::profileUpdated, this, &ViewerWindow::showProfile);
    connect(corvana, &Cv::Corvana::profilePictureUpdated, this,
            [this](const QString &id, Cv::PictureType, const QString &location) {
                if (id == m_corvana->currentProfileId() || id == QLatin1String("me"))
                    showPicture(location);
            });
    connect(corvana, &Cv::Corvana::friendsSynchronized, this, &ViewerWindow::applyFriends);
    connect(corvana, &Cv::Corvana::newsFeedUpdated, this, &ViewerWindow::applyFeed);
    connect(corvana, &Cv::Corvana::error, this, &ViewerWindow::showError);
}

// Everything the cache holds is on screen before the first reply arrives.
void ViewerWindow::start()
{
    showProfile();

    Cv::CvUsers friends;
    if (check(m_corvana->retrieveFriends(&friends, Cv::Corvana::CacheOnly), tr("friends"))) {
        for (const Cv::CvUserRef &user : Cv::CvUser::convert(friends))
            addFriend(m_friends, user);
    }

    Cv::CvPosts feed;
    if (check(m_corvana->retrieveNewsFeed(&feed, Cv::Corvana::CacheOnly), tr("news feed"))) {
        for (const Cv::CvPost &post : feed)
            placePost(m_feed, post);
    }

    m_refresh->setEnabled(true);
    refresh();
}

// Offline nothing is sent and the cached lists stay as they are.
void ViewerWindow::refresh()
{
    check(m_corvana->synchronizeFriends(), tr("friends"));
    check(m_corvana->retrieveNewsFeed(nullptr, Cv::Corvana::CacheAndNetwork), tr("news feed"));
}

void ViewerWindow::showProfile()
{
    Cv::CvUser user;
    if (!check(m_corvana->retrieveProfile(&user, QStringLiteral("me"), Cv::Corvana::CacheOnly),
               tr("profile"))
        || !user.isValid())
        return;
    m_name->setText(user.name());
    QString path;
    if (!user.picture().isEmpty()
        && m_corvana->retrieveProfilePicture(&path, QUrl(user.picture()), user.id(),
                                             Cv::Corvana::CacheOnly)
            == Cv::Corvana::Success
        && QFileInfo::exists(path))
        showPicture(path);
}

void ViewerWindow::showPicture(const QString &path)
{
    const QPixmap pixmap(path);
    if (!pixmap.isNull())
        m_picture->setPixmap(
            pixmap.scaled(m_picture->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

void ViewerWindow::applyFriends(const Cv::CvUserRefs &added, const Cv::CvUserRefs &removed)
{
    for (const Cv::CvUserRef &user : removed)
        delete findItem(m_friends, user.id);
    for (const Cv::CvUserRef &user : added) {
        if (!findItem(m_friends, user.id))
            addFriend(m_friends, user);
    }
    statusBar()->showMessage(tr("%n friend(s)", nullptr, m_friends->count()), 5000);
}

void ViewerWindow::applyFeed(const Cv::CvPosts &added, const Cv::CvPosts &updated,
                             const Cv::CvPosts &removed)
{
    for (const Cv::CvPost &post : removed)
        delete findItem(m_feed, post.id());
    for (const Cv::CvPost &post : added)
        placePost(m_feed, post);
    for (const Cv::CvPost &post : updated)
        placePost(m_feed, post);
    statusBar()->showMessage(tr("%n post(s)", nullptr, m_feed->count()), 5000);
}

void ViewerWindow::showError(const Cv::CvError &error)
{
    const QString type = QString::fromLatin1(
        QMetaEnum::fromType<Cv::CvError::ErrorType>().valueToKey(error.errorType()));
    const QString detail = !error.cacheErrorString().isEmpty() ? error.cacheErrorString()
        : !error.corvanaErrorString().isEmpty()                ? error.corvanaErrorString()
                                                               : error.replyErrorString();
    statusBar()->showMessage(tr("Error (%1): %2").arg(type, detail));
}

bool ViewerWindow::check(Cv::Corvana::ReturnCode code, const QString &what)
{
    if (code == Cv::Corvana::Success)
        return true;
    statusBar()->showMessage(
        tr("Cannot read the %1: %2")
            .arg(what,
                 QString::fromLatin1(
                     QMetaEnum::fromType<Cv::Corvana::ReturnCode>().valueToKey(code))));
    return false;
}
