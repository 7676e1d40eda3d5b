#include "convert/cvlog_p.h"

namespace Cv {

Q_LOGGING_CATEGORY(lcCorvana, "corvana")

int CvLogger::s_logLevel = LogWarnings;

void SetLoggingLevel(CvLogLevel level)
{
    CvLogger::s_logLevel = level;
}

namespace {

// The text travels quoted and followed by a space, the form Qt's debug stream gives one string.
// The category lets applications filter the library with QT_LOGGING_RULES.
void write(QtMsgType type, const QString &text)
{
    const QLoggingCategory &category = lcCorvana();
    if (!category.isEnabled(type))
        return;
    QMessageLogContext context(nullptr, 0, nullptr, category.categoryName());
    qt_message_output(type, context, QLatin1Char('"') + cvRedacted(text) + QLatin1String("\" "));
}

} // namespace

void cvCritical(const QString &text)
{
    if (cvLogErrors())
        write(QtCriticalMsg, text);
}

CvLogger::CvLogger(const char *function)
    : m_function(function)
{
    if (s_logLevel == LogTrace)
        logDebug(QLatin1String("Entering ") + QString::fromUtf8(m_function));
}

void CvLogger::logDebug(const QString &text)
{
    write(QtDebugMsg, text);
}

void CvLogger::logWarning(const QString &text)
{
    write(QtWarningMsg, text);
}

} // namespace Cv
