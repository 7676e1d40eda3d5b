#ifndef CVLOG_P_H
#define CVLOG_P_H

#include "convert/cvredact_p.h"
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

} // namespace Cv

// Opens a tracing scope named after the enclosing function's full signature.
#define CV_TRACE_FUNCTION ::Cv::CvLogger cvLogger_(Q_FUNC_INFO)

#endif // CVLOG_P_H
