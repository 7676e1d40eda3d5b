#ifndef CVLOG_P_H
#define CVLOG_P_H

#include "cvlogger.h"

#include <QLoggingCategory>

// Every call site tests the process-wide level itself before formatting a message, so that a
// disabled line costs one integer comparison.
namespace Cv {

Q_DECLARE_LOGGING_CATEGORY(lcCorvana)

inline bool cvLogErrors()
{
    return CvLogger::s_logLevel >= LogErrors;
}
inline bool cvLogWarnings()
{
    return CvLogger::s_logLevel >= LogWarnings;
}
// LogInfo adds nothing to LogWarnings: debug lines start at LogDebug.
inline bool cvLogDebug()
{
    return CvLogger::s_logLevel >= LogDebug;
}
inline bool cvLogTrace()
{
    return CvLogger::s_logLevel == LogTrace;
}

inline void cvWarning(const QString &text)
{
    if (cvLogWarnings())
        CvLogger::logWarning(text);
}

// Reports that something impossible happened; written from LogErrors on.
void cvCritical(const QString &text);

inline void cvDebug(const QString &text)
{
    if (cvLogDebug())
        CvLogger::logDebug(text);
}

/*
 * Secrets that no line of output and no error text may show: the access tokens of the live
 * transports. Each add is matched by one remove; a secret stays registered while any holder
 * lives.
 */
void cvAddSecret(const QString &secret);
void cvRemoveSecret(const QString &secret);
// The first four characters of \a secret followed by an ellipsis: the only form ever shown.
QString cvRedactedSecret(const QString &secret);
// \a text with every registered secret and \a extra, verbatim or percent-encoded, and every
// access_token query value replaced by their redacted form. Every written line passes here.
QString cvRedacted(const QString &text, const QString &extra = QString());

} // namespace Cv

// Opens a tracing scope named after the enclosing function's full signature.
#define CV_TRACE_FUNCTION ::Cv::CvLogger cvLogger_(Q_FUNC_INFO)

#endif // CVLOG_P_H
