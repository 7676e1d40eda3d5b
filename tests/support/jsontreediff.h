// Node-by-node comparison of two decoded JSON trees, shared by the decoder tests and the fuzz
// harness that checks the direct decoder against the QJsonDocument route.
#ifndef JSONTREEDIFF_H
#define JSONTREEDIFF_H

#include <QMetaType>
#include <QString>
#include <QVariant>

#include <cmath>

namespace CvTest {

// The first place where \a got differs from \a reference, as "path: what", or an empty string.
// QVariant::operator== calls qlonglong 1 and double 1.0 equal; the tree must keep them apart.
// Where the reference (Qt) route differs by design, `reference` is mapped first: its null is
// QVariant(nullptr), and an integral number written with a fraction arrives there as qlonglong.
inline QString jsonTreeDifference(const QVariant &got, const QVariant &reference,
                                  const QString &path)
{
    const int type = got.metaType().id();
    const int referenceType = reference.metaType().id();
    if (referenceType == QMetaType::Nullptr)
        return got.isValid()
            ? path + QLatin1String(": expected null, got ") + QLatin1String(got.typeName())
            : QString();
    if (type == QMetaType::Double && referenceType == QMetaType::LongLong)
        return got.toDouble() == double(reference.toLongLong())
            ? QString()
            : path + QLatin1String(": number differs");
    if (type != referenceType)
        return path + QLatin1String(": type ") + QLatin1String(got.typeName())
            + QLatin1String(" instead of ") + QLatin1String(reference.typeName());
    switch (type) {
    case QMetaType::QVariantMap: {
        const QVariantMap map = got.toMap();
        const QVariantMap expected = reference.toMap();
        if (map.keys() != expected.keys())
            return path + QLatin1String(": member names differ");
        for (auto it = map.cbegin(); it != map.cend(); ++it) {
            const QString d = jsonTreeDifference(it.value(), expected.value(it.key()),
                                                 path + QLatin1Char('/') + it.key());
            if (!d.isEmpty())
                return d;
        }
        return QString();
    }
    case QMetaType::QVariantList: {
        const QVariantList list = got.toList();
        const QVariantList expected = reference.toList();
        if (list.size() != expected.size())
            return path + QLatin1String(": list length differs");
        for (qsizetype i = 0; i < list.size(); ++i) {
            const QString d = jsonTreeDifference(list[i], expected[i],
                                                 path + QLatin1Char('/') + QString::number(i));
            if (!d.isEmpty())
                return d;
        }
        return QString();
    }
    case QMetaType::Double: {
        const double a = got.toDouble();
        const double b = reference.toDouble();
        return a == b && std::signbit(a) == std::signbit(b)
            ? QString()
            : path + QLatin1String(": double differs");
    }
    default:
        return got == reference ? QString() : path + QLatin1String(": value differs");
    }
}

} // namespace CvTest

#endif // JSONTREEDIFF_H
