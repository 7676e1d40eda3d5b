// corvana-viewer: the signed-in profile, the friends and the news feed in one window, drawn from
// the cache at once and updated live as the service answers.

#include "session.h"
#include "viewerwindow.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvana-viewer"));
    Session session(app, QStringLiteral("Shows the signed-in profile, friends and news feed."));
    if (!session.error.isEmpty()) {
        QMessageBox::critical(nullptr, QApplication::applicationName(), session.error);
        return 1;
    }
    ViewerWindow window(session.corvana.get());
    window.show();
    session.corvana->init();
    return app.exec();
}
