#ifndef TST_CVDATACONVERTER_FIXTURE_H
#define TST_CVDATACONVERTER_FIXTURE_H

#include <QFile>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QVariant>
#include <QtTest>

// Decodes a JSON fixture of tests/convert/data the way the Graph layer decodes replies.
inline QVariant loadFixture(const char *relativePath)
{
    QFile file(QStringLiteral(CV_CONVERT_TEST_DATA "/") + QLatin1String(relativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("cannot open fixture %s", relativePath);
        return QVariant();
    }
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (error.error != QJsonParseError::NoError) {
        qWarning("fixture %s: %s", relativePath, qPrintable(error.errorString()));
        return QVariant();
    }
    return document.toVariant();
}

inline QVariantMap decodeMap(const QByteArray &json)
{
    return QJsonDocument::fromJson(json).toVariant().toMap();
}

inline QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), Qt::UTC);
}

#endif // TST_CVDATACONVERTER_FIXTURE_H
