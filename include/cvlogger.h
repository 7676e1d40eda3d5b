#ifndef CVLOGGER_H
#define CVLOGGER_H

#include "cvexport.h"

#include <QString>

namespace Cv {

//! Verbosity of the library's diagnostics; a higher value means more output.
enum CvLogLevel {
    LogSilent = 0, //!< nothing
    LogCritical = 1, //!< nothing the library writes at this level
    LogErrors = 2, //!< a few error reports
    LogWarnings = 3, //!< warnings, the usual failure reports (the default)
    LogInfo = 4, //!< no more than LogWarnings
    LogDebug = 5, //!< request and reply bookkeeping
    LogTrace = 6 //!< function-entry tracing and the most verbose dumps
};

//! Sets the process-wide logging level of the library (not thread-safe).
CV_EXPORT void SetLoggingLevel(CvLogLevel level);

/*!
 * A scoped function logger. Constructed on entry of a function with the function's signature,
 * it writes "Entering <signature>" when the level is LogTrace. All text goes to Qt's message
 * handler under the logging category "corvana".
 */
class CV_EXPORT CvLogger
{
public:
    //! Stores \a function (not copied: it must outlive the logger) and traces the entry.
    explicit CvLogger(const char *function);

    //! Writes \a text at debug severity, whatever the level.
    static void logDebug(const QString &text);
    //! Writes \a text at warning severity, whatever the level.
    static void logWarning(const QString &text);

    //! The process-wide level, LogWarnings by default.
    static int s_logLevel;

private:
    const char *m_function;
};

} // namespace Cv

#endif // CVLOGGER_H
